#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel::guide {

// Seconds since 1970-01-01 00:00 UTC.
using GuideTime = std::int64_t;

// A guide's time: "YYYYMMDDhhmmss" or a shorter prefix down to "YYYYMMDD" (the parts left out
// are zero), then an optional zone "+hhmm" or "-hhmm", with or without one space before it.
// Without a zone the time is UTC. Anything else (a bad digit, a month 13, trailing words)
// gives nothing.
std::optional<GuideTime> ParseGuideTime(std::string_view text);

// "YYYYMMDDhhmmss +0000".
std::string FormatGuideTime(GuideTime time);

}  // namespace quorvel::guide
