// The user's playlists: whatever a playlist holds, no more channels than the cap, every
// channel has an address of one line, no user agent or referrer can carry a header of its
// own, and the listing for scripts has exactly one line per guide and per channel, each with
// its fields and no more.
#include "FuzzCheck.h"
#include "playlists/ChannelHeaders.h"
#include "playlists/PlaylistListing.h"
#include "playlists/PlaylistReader.h"

#include <cstdint>
#include <string>

using namespace quorvel;

namespace {

bool HasControl(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

std::size_t Count(std::string_view text, char c) {
    std::size_t n = 0;
    for (const char x : text)
        n += x == c;
    return n;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    // The first byte picks the name the playlist came under, as detection looks at it.
    const char* names[] = {"list.m3u", "list.m3u8", "list.pls", "list"};
    const std::string_view name = size > 0 ? names[data[0] % 4] : names[0];
    const Playlist playlist = ReadPlaylist(bytes.substr(size > 0 ? 1 : 0), name);
    FUZZ_CHECK(playlist.channels.size() <= kMaxPlaylistChannels);
    if (playlist.kind == PlaylistKind::NotAPlaylist)
        FUZZ_CHECK(playlist.channels.empty() && playlist.guideAddresses.empty());
    for (const PlaylistChannel& channel : playlist.channels) {
        FUZZ_CHECK(!channel.address.empty() && !HasControl(channel.address));
        FUZZ_CHECK(channel.address.find('|') == std::string::npos);
        FUZZ_CHECK(!channel.name.empty() && channel.name.size() <= kMaxChannelNameBytes);
        FUZZ_CHECK(IsSafeHeaderValue(channel.userAgent) && IsSafeHeaderValue(channel.referrer));
        // The engine's options hold the two values whole, and nothing else.
        const std::string options = EngineFileOptions(channel.userAgent, channel.referrer);
        FUZZ_CHECK(options.size() <= channel.userAgent.size() + channel.referrer.size() + 40);
        FUZZ_CHECK(options.find('\n') == std::string::npos &&
                   options.find('\r') == std::string::npos);
    }
    const std::string listing = ListPlaylist(playlist);
    FUZZ_CHECK(Count(listing, '\n') == playlist.guideAddresses.size() + playlist.channels.size());
    FUZZ_CHECK(Count(listing, '\r') == 0);
    FUZZ_CHECK(Count(listing, '\t') ==
               playlist.guideAddresses.size() + 13 * playlist.channels.size());
    return 0;
}
