#include "logos/LogoCache.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>

#include "files/FileIo.h"
#include "files/TextCase.h"
#include "net/HttpRequest.h"
#include "playback/AddressPolicy.h"

namespace quorvel {
namespace {

// FNV-1a, 64 bits: a file name for any address.
std::string KeyOf(const std::string& address) {
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (const unsigned char c : address) {
        hash ^= c;
        hash *= 0x100000001b3ull;
    }
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

bool ParseNumber(std::string_view text, std::int64_t& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

bool IsAbsolute(const char* path) {
    return path && path[0] == '/';
}

}  // namespace

LogoStep DecideLogo(const std::optional<LogoRecord>& record, bool pictureKept, std::int64_t now) {
    if (record && record->failedAt > 0 && now >= record->failedAt &&
        now - record->failedAt < kLogoRetrySeconds)
        return pictureKept ? LogoStep::Use : LogoStep::WaitToRetry;
    if (!record || !pictureKept)
        return LogoStep::Fetch;
    if (now < record->fetchedAt || now - record->fetchedAt >= kLogoRecheckSeconds)
        return LogoStep::Recheck;
    return LogoStep::Use;
}

LogoCache::LogoCache(std::filesystem::path folder) : m_folder(std::move(folder)) {}

std::filesystem::path LogoCache::DefaultFolder() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); IsAbsolute(cache))
        return std::filesystem::path(cache) / "quorvel" / "logos";
    if (const char* home = std::getenv("HOME"); IsAbsolute(home))
        return std::filesystem::path(home) / ".cache" / "quorvel" / "logos";
    return {};
}

std::filesystem::path LogoCache::PicturePath(const std::string& address) const {
    return m_folder / (KeyOf(address) + ".png");
}

std::filesystem::path LogoCache::RecordPath(const std::string& address) const {
    return m_folder / (KeyOf(address) + ".txt");
}

std::optional<LogoRecord> LogoCache::Record(const std::string& address) const {
    std::string bytes;
    std::string error;
    if (ReadFileAtMost(RecordPath(address), 64 * 1024, bytes, error) != FileReadStatus::Read)
        return std::nullopt;
    // "address\netag\nfetchedAt\nfailedAt\n": the address guards against a key shared by two.
    std::string_view rest = bytes;
    std::string_view lines[4];
    for (auto& line : lines) {
        const std::size_t end = rest.find('\n');
        if (end == std::string_view::npos)
            return std::nullopt;
        line = rest.substr(0, end);
        rest.remove_prefix(end + 1);
    }
    LogoRecord record;
    if (lines[0] != address || !ParseNumber(lines[2], record.fetchedAt) ||
        !ParseNumber(lines[3], record.failedAt))
        return std::nullopt;
    record.etag = std::string(lines[1]);
    return record;
}

std::optional<std::string> LogoCache::Picture(const std::string& address) const {
    std::string bytes;
    std::string error;
    if (!Record(address) || ReadFileAtMost(PicturePath(address), 4 * kMaxLogoBytes, bytes, error) !=
                                FileReadStatus::Read)
        return std::nullopt;
    return bytes;
}

bool LogoCache::Store(const std::string& address, const LogoRecord& record,
                      const std::string* picture, std::string& error) const {
    std::error_code code;
    std::filesystem::create_directories(m_folder, code);
    if (code) {
        error = m_folder.string() + ": " + code.message();
        return false;
    }
    if (picture && !WriteFileAtomically(PicturePath(address), *picture, error))
        return false;
    // An ETag with a line end could not be read back; it is dropped.
    const std::string etag =
        record.etag.find_first_of("\r\n") == std::string::npos ? record.etag : "";
    if (address.find_first_of("\r\n") != std::string::npos) {
        error = "an address with a line end";
        return false;
    }
    return WriteFileAtomically(RecordPath(address),
                               address + "\n" + etag + "\n" + std::to_string(record.fetchedAt) +
                                   "\n" + std::to_string(record.failedAt) + "\n",
                               error);
}

LogoFetch FetchLogo(const std::string& address, const std::string& etag,
                    const std::atomic<bool>* cancel) {
    LogoFetch fetch;
    const std::string scheme = ToLowerAscii(SchemeOf(address));
    if (scheme != "http" && scheme != "https") {
        fetch.detail = "not an http or https address";
        return fetch;
    }
    HttpRequest request;
    request.url = address;
    request.maxBytes = kMaxLogoBytes;
    request.connectTimeoutMs = 10'000;
    request.stallTimeoutSeconds = 10;
    request.deadlineMs = 30'000;
    request.maxRedirects = 3;
    request.ifNoneMatch = etag;
    request.cancel = cancel;
    HttpResponse response = Fetch(request);
    if (!response.Ok()) {
        fetch.detail = response.detail.empty() ? "HTTP error " + std::to_string(response.httpStatus)
                                               : response.detail;
        return fetch;
    }
    if (response.httpStatus == 304 && !etag.empty()) {
        fetch.result = LogoFetchResult::NotModified;
        fetch.etag = etag;
        return fetch;
    }
    const std::string_view type = TrimBlanks(
        std::string_view(response.contentType).substr(0, response.contentType.find(';')));
    if (!StartsWithIgnoringCase(type, "image/") || response.body.empty()) {
        fetch.detail = "not an image";
        return fetch;
    }
    fetch.result = LogoFetchResult::Image;
    fetch.bytes = std::move(response.body);
    fetch.etag = std::move(response.etag);
    return fetch;
}

}  // namespace quorvel
