#pragma once

#include <cstddef>
#include <string_view>

#include "playlists/PlaylistChannel.h"

namespace quorvel {

// A playlist holding more is read up to this many channels.
inline constexpr std::size_t kMaxPlaylistChannels = 100'000;
// Longer names are cut (at a character's start): a name is a line in a list.
inline constexpr std::size_t kMaxChannelNameBytes = 1024;
// A file or download past this is no playlist a person keeps.
inline constexpr std::size_t kMaxPlaylistBytes = 64u * 1024 * 1024;

// Reads an M3U/M3U8 (extended or plain) or PLS playlist in one pass. `name` is the file
// name or address it came from: a list without a header is told by its name. Anything
// else comes back as NotAPlaylist with no channels. Pure: no files, no state.
Playlist ReadPlaylist(std::string_view bytes, std::string_view name);

// Each channel's address made absolute against the playlist's own address or path, as a
// player opens it ("song.mp3" beside a local list, "/live/1" on the list's server).
void ResolveChannelAddresses(Playlist& playlist, std::string_view playlistAddress);

}  // namespace quorvel
