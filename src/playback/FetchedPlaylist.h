#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "playback/AddressPolicy.h"
#include "playback/WindowsPlaylist.h"

namespace quorvel {

// Whether an HTTP answer may be a playlist (M3U, PLS, ASX and the other Windows formats)
// to read whole rather than a stream to stop after its first bytes: by its content type,
// the address's file name or the first bytes, and only when those bytes look like text.
bool MayBePlaylist(std::string_view contentType, std::string_view url, std::string_view firstBytes);

// The format of a playlist fetched from `url`: by its content, its name, or the type the
// server gave it.
PlaylistFormat DetectFetchedPlaylistFormat(std::string_view bytes, std::string_view url,
                                           std::string_view contentType);

// The entries a playlist of that format, read from `base`, may lead to: made absolute,
// refused ones left out, in the order they are to be tried. The http entries of a
// "[Reference]" file come first as mmsh, then as they were written.
std::vector<std::string> PlayableEntries(const std::vector<std::string>& entries,
                                         PlaylistFormat format, std::string_view base,
                                         PlaylistOrigin origin);

}  // namespace quorvel
