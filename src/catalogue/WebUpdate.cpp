#include "catalogue/WebUpdate.h"

#include "catalogue/Publish.h"
#include "files/FileIo.h"

namespace quorvel {
namespace {

constexpr std::string_view kUnchanged = " The channel list was left as it was.";

UpdateResult Failure(UpdateStatus status, std::string message) {
    UpdateResult result;
    result.status = status;
    result.message = std::move(message);
    return result;
}

}  // namespace

std::optional<std::string_view> ExtractDataBlock(std::string_view page) {
    const std::size_t start = page.find(kDataStartMarker);
    if (start == std::string_view::npos)
        return std::nullopt;
    const std::size_t from = start + kDataStartMarker.size();
    const std::size_t end = page.find(kDataEndMarker, from);
    if (end == std::string_view::npos)
        return std::nullopt;
    return page.substr(from, end - from);
}

UpdateResult ApplyUpdatePage(std::string_view page, const std::filesystem::path& catalogue) {
    if (page.find(kDataStartMarker) == std::string_view::npos) {
        return Failure(UpdateStatus::NoStartMarker,
                       "The downloaded page holds no channel list." + std::string(kUnchanged));
    }
    const auto block = ExtractDataBlock(page);
    if (!block) {
        return Failure(UpdateStatus::NoEndMarker,
                       "The downloaded page holds only the beginning of a channel list (its end "
                       "marker is missing)." +
                           std::string(kUnchanged));
    }
    std::string bytes;
    bytes.reserve(block->size() + 2);
    bytes.append(*block).append("\r\n");
    std::string error;
    if (!WriteFileAtomically(catalogue, bytes, error)) {
        return Failure(UpdateStatus::WriteFailed,
                       "The channel list was downloaded but could not be saved: " + error +
                           std::string(kUnchanged));
    }
    UpdateResult result;
    result.status = UpdateStatus::Applied;
    return result;
}

}  // namespace quorvel
