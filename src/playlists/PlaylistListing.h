#pragma once

#include <string>

#include "playlists/PlaylistChannel.h"

namespace quorvel {

// The playlist as lines for scripts: "guide<TAB>address" per guide address of the header,
// then per channel, in order: name, address, group, tvg-id, tvg-name, tvg-logo,
// tvg-language, tvg-country, tvg-shift, catchup, catchup-source, catchup-days, user agent
// and referrer, separated by TAB. TAB, CR and LF inside a value are written as spaces; each
// line ends with LF.
std::string ListPlaylist(const Playlist& playlist);

}  // namespace quorvel
