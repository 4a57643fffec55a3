#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// A user agent or referrer longer than this is refused: no server needs one, and each is
// sent with every request of the channel.
inline constexpr std::size_t kMaxHeaderValueBytes = 2048;

// Whether `value` may be sent as an HTTP header's value: no control character (a CR or LF
// would start a header of the playlist's choosing), nothing past the cap.
bool IsSafeHeaderValue(std::string_view value);

// What a "|User-Agent=...&Referer=..." suffix of a playlist address says; other options
// are ignored. Values are percent-decoded as such suffixes write them.
struct AddressSuffix {
    std::string_view address;  // before the "|", blanks trimmed
    std::optional<std::string> userAgent;
    std::optional<std::string> referrer;
};

// Splits `line` at its first "|". Linear in the line however many options it holds; the
// last of several values for one header wins.
AddressSuffix SplitAddressSuffix(std::string_view line);

// The value of an #EXTVLCOPT option text ("http-user-agent=Foo" or with the value in
// quotes) when its name is `name` (letter case ignored).
std::optional<std::string_view> OptionValue(std::string_view option, std::string_view name);

// The engine's per-file options that send this user agent and referrer (either may be
// empty): "user-agent=%N%value,referrer=%N%value", each value counted in bytes so that
// commas and quotes stay inside it. An unsafe value is left out.
std::string EngineFileOptions(std::string_view userAgent, std::string_view referrer);

}  // namespace quorvel
