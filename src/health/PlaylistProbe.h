#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// Whether an HTTP answer may be a playlist (M3U, PLS, ASX and the other Windows formats)
// to read whole rather than a stream to stop after its first bytes: by its content type,
// the address's file name or the first bytes, and only when those bytes look like text.
bool MayBePlaylist(std::string_view contentType, std::string_view url, std::string_view firstBytes);

// The first entry of a playlist read from `url` that a network playlist may lead to,
// made absolute; nothing when it holds none or is not a playlist.
std::optional<std::string> FirstStreamOfPlaylist(std::string_view bytes, std::string_view url,
                                                 std::string_view contentType);

}  // namespace quorvel
