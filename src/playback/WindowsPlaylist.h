#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// The playlist formats of Windows media that the engine cannot open itself: ASX (also
// saved as .wax and .wvx), WPL and the "[Reference]" text that stream servers hand out.
// M3U and PLS the engine reads itself, but only from local files: from the network the
// player reads them, with a size cap, since a server can send one without end.
enum class PlaylistFormat { NotAPlaylist, Asx, Wpl, Reference, M3u, Pls };

// The Windows formats only: M3U and PLS are left to the engine unless asked for below.
PlaylistFormat DetectPlaylistFormat(std::string_view bytes);
// Any of the formats, by content, or for M3U and PLS also by the address's name.
PlaylistFormat DetectAnyPlaylistFormat(std::string_view bytes, std::string_view address);

// Each "<prefix>N=value" line (a prefix of `prefixes` in any letter case, N up to nine
// digits), in the order written: which prefix, N and the value, blanks trimmed. PLS
// ("File", "Title") and "[Reference]" ("Ref") files are made of such lines.
void ForEachNumberedLine(std::string_view bytes, std::span<const std::string_view> prefixes,
                         const std::function<void(std::size_t prefix, std::uint32_t number,
                                                  std::string_view value)>& found);

// The entries of a playlist of the format given, as ReadPlaylistEntries reads them.
std::vector<std::string> ReadPlaylistEntries(std::string_view bytes, PlaylistFormat format);

// True when the address's file name ends in .asx, .wax, .wvx or .wpl (letter case
// ignored; for a URL, the query and fragment do not count).
bool HasWindowsPlaylistExtension(std::string_view address);

// True for the playlists the player reads itself: the Windows ones, and .m3u and .pls
// from the network.
bool IsPlaylistReadByPlayer(std::string_view address);

bool IsWindowsPlaylistFormat(PlaylistFormat format);

// The entries of the playlist in the order written, entities decoded and blanks trimmed;
// empty for anything that is not one of the formats above.
std::vector<std::string> ReadPlaylistEntries(std::string_view bytes);

// An entry made absolute against the address of the playlist it came from (a URL or a
// local path). Entries with a scheme come back as they are.
std::string ResolvePlaylistEntry(std::string_view playlistAddress, std::string_view entry);

// The first entry, resolved, that a playlist at that address may lead to: a playlist
// read from the network only to network streams, a local one to local files as well.
std::optional<std::string> FirstPlayableEntry(std::string_view bytes,
                                              std::string_view playlistAddress);

}  // namespace quorvel
