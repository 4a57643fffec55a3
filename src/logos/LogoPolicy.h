#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// A logo copy is used as it is for a week, then asked for again with its ETag.
inline constexpr std::int64_t kLogoRecheckSeconds = 7 * 24 * 60 * 60;
// A logo that failed is not asked for again for a day.
inline constexpr std::int64_t kLogoRetrySeconds = 24 * 60 * 60;
// A logo larger than this is refused while it arrives.
inline constexpr std::uint64_t kMaxLogoBytes = 512 * 1024;

// What the cache remembers of one logo address (times in seconds since 1970; 0 never).
struct LogoRecord {
    std::string address;
    std::int64_t fetchedAt = 0;  // the copy was fetched or confirmed current
    std::string etag;
    std::int64_t failedAt = 0;  // the last attempt failed
};

enum class LogoStep {
    UseCopy,     // the copy is current
    Revalidate,  // show the copy, and ask the server whether it changed
    Fetch,       // nothing held: ask
    Wait,        // failed lately and nothing held: nothing to show, nothing to ask
};

// What to do for a logo at `now`, from its record and whether its copy is on disk. A time
// in the future (the clock was set back) counts as long past, so nothing waits for ever.
LogoStep NextLogoStep(const std::optional<LogoRecord>& record, bool haveCopy, std::int64_t now);

// Whether a server's Content-Type names a raster image (image/..., not SVG, which is a
// document rather than a picture).
bool IsLogoContentType(std::string_view contentType);

// Whether the address may be asked for a logo: http or https, no control characters.
bool IsLogoAddress(std::string_view address);

}  // namespace quorvel
