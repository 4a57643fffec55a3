#pragma once

#include "net/HttpRequest.h"

#include <atomic>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// HLS playlists (.m3u8) are read by the engine's own HLS reader, which takes whatever a
// server sends. A network one is fetched here first, with the size cap, and only a whole
// one goes on to the engine.

// True for an http or https address whose file name ends in .m3u8 (letter case ignored;
// the query and fragment do not count).
bool HasHlsExtension(std::string_view address);

// True for the text of an HLS playlist: "#EXTM3U" first and an "#EXT-X-" tag somewhere.
bool IsHlsPlaylist(std::string_view bytes);

// The playlists a master playlist names (its variants and renditions), in order and as
// written; the engine opens every one of them when it opens the master.
std::vector<std::string> HlsNestedPlaylists(std::string_view bytes);

// More than this and the master is refused rather than each of them fetched twice.
constexpr std::size_t kMaxHlsNestedPlaylists = 64;

struct HlsNestedCheck {
    bool ok = true;
    bool tooMany = false;
    // The nested playlist that was refused, and how its fetch went.
    std::string address;
    HttpResponse fetched;
};

// Fetches the network playlists a master names, each as `like` is fetched; refuses the
// master when one of them is too large or never finishes. One that cannot be fetched at all
// is left for the engine to report or pass over.
HlsNestedCheck CheckHlsNestedPlaylists(std::string_view master, const std::string& masterUrl,
                                       const HttpRequest& like);

}  // namespace quorvel
