// The Windows playlist formats and the address check: whatever a playlist holds, the
// entry it leads to passes the check, and one read from the network never leads to a
// local path.
#include "FuzzCheck.h"
#include "playback/AddressPolicy.h"
#include "playback/FetchedPlaylist.h"
#include "playback/HlsPlaylist.h"
#include "playback/WindowsPlaylist.h"

#include <cstdint>
#include <string>

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    DetectPlaylistFormat(bytes);
    ReadPlaylistEntries(bytes);
    IsHlsPlaylist(bytes);
    // What a master names is one whole line's worth, never a piece of two.
    for (const auto& nested : HlsNestedPlaylists(bytes))
        FUZZ_CHECK(!nested.empty() && nested.find('\n') == std::string::npos);

    if (const auto entry = FirstPlayableEntry(bytes, "http://radio.example.net/live/list.asx")) {
        FUZZ_CHECK(CheckAddress(*entry).kind == AddressKind::NetworkStream);
    }
    // Whatever the server calls it, a fetched playlist leads only to network streams.
    const std::string_view url = "http://radio.example.net/live/listen";
    const PlaylistFormat format = DetectFetchedPlaylistFormat(bytes, url, "audio/x-scpls");
    for (const auto& entry :
         PlayableEntries(ReadPlaylistEntries(bytes, format), format, url, PlaylistOrigin::Network))
        FUZZ_CHECK(CheckAddress(entry).kind == AddressKind::NetworkStream);
    if (const auto entry = FirstPlayableEntry(bytes, "/home/user/Music/list.wpl")) {
        FUZZ_CHECK(CheckAddress(*entry).kind != AddressKind::Refused);
    }

    // The check is stable: what it hands on is judged the same way again.
    const AddressCheck check = CheckAddress(bytes);
    if (check.kind != AddressKind::Refused) {
        const AddressCheck again = CheckAddress(check.address);
        FUZZ_CHECK(again.kind == check.kind);
        FUZZ_CHECK(again.address == check.address);
    }
    if (check.kind == AddressKind::NetworkStream)
        FUZZ_CHECK(IsNetworkScheme(SchemeOf(check.address)));
    return 0;
}
