#pragma once

#include <atomic>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>

namespace quorvel {

// A logo is fetched again (with its ETag) once it is this old, and a failed one is not
// asked for again until this long after the failure.
inline constexpr std::int64_t kLogoRecheckSeconds = 7 * 24 * 60 * 60;
inline constexpr std::int64_t kLogoRetrySeconds = 24 * 60 * 60;
// Larger answers are no logo.
inline constexpr std::uint64_t kMaxLogoBytes = 512 * 1024;

// What the cache knows of one logo address.
struct LogoRecord {
    std::string etag;
    std::int64_t fetchedAt = 0;  // seconds since 1970; 0 never
    std::int64_t failedAt = 0;
};

enum class LogoStep {
    Fetch,       // nothing kept: fetch it
    Use,         // the kept picture is current
    Recheck,     // use the kept picture and ask the server with its ETag
    WaitToRetry  // it failed lately: leave the row as it is
};

// What to do about a logo, given what the cache holds and the time.
LogoStep DecideLogo(const std::optional<LogoRecord>& record, bool pictureKept, std::int64_t now);

// The logos' pictures (already decoded and scaled by the window) and what is known of each
// address, in a cache folder, keyed by the address. Every file is rewritten atomically.
class LogoCache {
public:
    explicit LogoCache(std::filesystem::path folder);

    // $XDG_CACHE_HOME/quorvel/logos, or ~/.cache/quorvel/logos.
    static std::filesystem::path DefaultFolder();

    std::optional<LogoRecord> Record(const std::string& address) const;
    // The kept picture's bytes, or nothing.
    std::optional<std::string> Picture(const std::string& address) const;
    bool Store(const std::string& address, const LogoRecord& record, const std::string* picture,
               std::string& error) const;

    std::filesystem::path PicturePath(const std::string& address) const;

private:
    std::filesystem::path RecordPath(const std::string& address) const;

    std::filesystem::path m_folder;
};

enum class LogoFetchResult { Image, NotModified, Failed };

struct LogoFetch {
    LogoFetchResult result = LogoFetchResult::Failed;
    std::string bytes;  // the image as sent
    std::string etag;
    std::string detail;
};

// Fetches a logo over http or https: at most kMaxLogoBytes, an image type only, within a
// short deadline; with `etag` as a conditional request. Blocks: run it off the GUI thread.
LogoFetch FetchLogo(const std::string& address, const std::string& etag,
                    const std::atomic<bool>* cancel = nullptr);

}  // namespace quorvel
