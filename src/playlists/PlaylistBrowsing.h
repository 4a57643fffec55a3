#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "playlists/PlaylistChannel.h"
#include "rows/ListRows.h"

namespace quorvel {

// The type box over the playlists' channels: "All", then the groups, then the languages,
// each once (letter case ignored, the first spelling kept) and sorted.
std::vector<std::string> PlaylistTypeChoices(const std::vector<const Playlist*>& playlists);

// Whether the channel belongs under the type box's choice: "All", its group, or one of its
// languages (tvg-language, separated by ";" or ",").
bool ChannelHasType(const PlaylistChannel& channel, std::string_view type);

// The channel as a row of the channel list: its name, the playlist it comes from, its group;
// the tag is its address, so a favorite made of it plays whatever becomes of the playlist;
// its logo goes with it.
ListRow PlaylistChannelRow(const PlaylistChannel& channel, const std::string& playlistName);

// Whether an address or path names a playlist to read rather than a stream to play: .m3u
// and .pls, and .m3u8 for a local file (over the network .m3u8 is a live stream's index).
bool NamesPlaylist(std::string_view addressOrPath);

}  // namespace quorvel
