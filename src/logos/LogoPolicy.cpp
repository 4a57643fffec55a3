#include "logos/LogoPolicy.h"

#include "files/TextCase.h"

namespace quorvel {
namespace {

// How long ago `then` was; a time in the future counts as long past.
bool Within(std::int64_t then, std::int64_t now, std::int64_t seconds) {
    return then > 0 && then <= now && now - then < seconds;
}

}  // namespace

LogoStep NextLogoStep(const std::optional<LogoRecord>& record, bool haveCopy, std::int64_t now) {
    if (!record)
        return LogoStep::Fetch;
    if (Within(record->failedAt, now, kLogoRetrySeconds))
        return haveCopy ? LogoStep::UseCopy : LogoStep::Wait;
    if (!haveCopy)
        return LogoStep::Fetch;
    return Within(record->fetchedAt, now, kLogoRecheckSeconds) ? LogoStep::UseCopy
                                                               : LogoStep::Revalidate;
}

bool IsLogoContentType(std::string_view contentType) {
    const std::string_view type = TrimBlanks(contentType.substr(0, contentType.find(';')));
    return StartsWithIgnoringCase(type, "image/") && type.size() > 6 &&
           !StartsWithIgnoringCase(type, "image/svg");
}

bool IsLogoAddress(std::string_view address) {
    for (const char c : address) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
    }
    return StartsWithIgnoringCase(address, "http://") ||
           StartsWithIgnoringCase(address, "https://");
}

}  // namespace quorvel
