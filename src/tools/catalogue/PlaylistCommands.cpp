#include <cstdio>

#include "CommandLine.h"
#include "Commands.h"
#include "playlists/PlaylistFile.h"
#include "playlists/PlaylistListing.h"
#include "playlists/PlaylistReader.h"

namespace quorvel::tool {
namespace {

constexpr const char* kChannelsHelp =
    "Usage: quorvel-catalogue channels PLAYLIST\n"
    "Writes what a playlist file (M3U, M3U8 or PLS) holds, UTF-8 with LF line ends:\n"
    "first \"guide<TAB>ADDRESS\" for each guide address of its header (url-tvg, x-tvg-url),\n"
    "then one line per channel in playlist order with these fields separated by TAB:\n"
    "name, address, group, tvg-id, tvg-name, tvg-logo, tvg-language, tvg-country,\n"
    "tvg-shift, catchup, catchup-source, catchup-days, user agent, referrer.\n"
    "An absent value is empty; TAB, CR and LF inside a value are written as spaces.\n";

}  // namespace

int RunChannels(const std::vector<std::string>& args) {
    const CommandLine line(args, {});
    if (line.HelpWanted())
        return WriteStdout(kChannelsHelp) ? 0 : 1;
    line.ExpectPositionals(1, 1);
    const std::string& path = line.Positionals()[0];
    std::string bytes;
    std::string error;
    if (!ReadPlaylistFile(path, bytes, error))
        throw UsageError(error);
    const Playlist playlist = ReadPlaylist(bytes, path);
    bytes.clear();
    bytes.shrink_to_fit();
    if (playlist.kind == PlaylistKind::NotAPlaylist)
        throw UsageError(path + ": not a playlist (M3U, M3U8 or PLS)");
    if (playlist.tooManyEntries) {
        std::fprintf(stderr,
                     "quorvel-catalogue channels: more than %zu channels, the rest left out\n",
                     kMaxPlaylistChannels);
    }
    if (playlist.refusedHeaders > 0) {
        std::fprintf(stderr,
                     "quorvel-catalogue channels: %zu user agents or referrers with control "
                     "characters left out\n",
                     playlist.refusedHeaders);
    }
    return WriteStdout(ListPlaylist(playlist)) ? 0 : 1;
}

}  // namespace quorvel::tool
