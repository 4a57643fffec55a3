#include "playback/FetchedPlaylist.h"

#include <array>

#include "files/TextCase.h"
#include "files/TextLines.h"

namespace quorvel {
namespace {

constexpr std::array<std::string_view, 10> kPlaylistTypes = {
    "audio/x-mpegurl",       "audio/mpegurl",
    "application/x-mpegurl", "application/vnd.apple.mpegurl",
    "audio/x-scpls",         "application/pls+xml",
    "video/x-ms-asx",        "video/x-ms-wvx",
    "audio/x-ms-wax",        "video/x-ms-asf"};

constexpr std::array<std::string_view, 7> kPlaylistExtensions = {".m3u", ".m3u8", ".pls", ".asx",
                                                                 ".wax", ".wvx",  ".wpl"};

std::string_view MediaType(std::string_view contentType) {
    contentType = contentType.substr(0, contentType.find(';'));
    return TrimBlanks(contentType);
}

bool HasPlaylistExtension(std::string_view url) {
    url = url.substr(0, url.find_first_of("?#"));
    for (const auto extension : kPlaylistExtensions) {
        if (url.size() >= extension.size() &&
            EqualsIgnoringCase(url.substr(url.size() - extension.size()), extension)) {
            return true;
        }
    }
    return false;
}

bool LooksLikeText(std::string_view bytes) {
    for (const unsigned char c : bytes) {
        if (c == 0 || (c < 0x20 && c != '\r' && c != '\n' && c != '\t'))
            return false;
    }
    return true;
}

}  // namespace

bool MayBePlaylist(std::string_view contentType, std::string_view url,
                   std::string_view firstBytes) {
    if (!LooksLikeText(firstBytes.substr(0, 512)))
        return false;
    const std::string_view type = MediaType(contentType);
    for (const auto known : kPlaylistTypes) {
        if (EqualsIgnoringCase(type, known))
            return true;
    }
    if (HasPlaylistExtension(url))
        return true;
    const std::string_view start = SkipByteOrderMarkAndSpace(firstBytes);
    return StartsWithIgnoringCase(start, "#EXTM3U") ||
           StartsWithIgnoringCase(start, "[playlist]") ||
           DetectPlaylistFormat(firstBytes) != PlaylistFormat::NotAPlaylist;
}

PlaylistFormat DetectFetchedPlaylistFormat(std::string_view bytes, std::string_view url,
                                           std::string_view contentType) {
    if (const PlaylistFormat format = DetectAnyPlaylistFormat(bytes, url);
        format != PlaylistFormat::NotAPlaylist)
        return format;
    if (!LooksLikeText(bytes.substr(0, 512)))
        return PlaylistFormat::NotAPlaylist;
    const std::string_view type = MediaType(contentType);
    if (EqualsIgnoringCase(type, "audio/x-scpls") ||
        EqualsIgnoringCase(type, "application/pls+xml"))
        return PlaylistFormat::Pls;
    for (const std::string_view m3u :
         {"audio/x-mpegurl", "audio/mpegurl", "application/x-mpegurl"}) {
        if (EqualsIgnoringCase(type, m3u))
            return PlaylistFormat::M3u;
    }
    return PlaylistFormat::NotAPlaylist;
}

std::vector<std::string> PlayableEntries(const std::vector<std::string>& entries,
                                         PlaylistFormat format, std::string_view base,
                                         PlaylistOrigin origin) {
    std::vector<std::string> playable;
    for (const auto& entry : entries) {
        const AddressCheck check = CheckAddress(ResolvePlaylistEntry(base, entry));
        if (EntryAllowed(check, origin))
            playable.push_back(check.address);
    }
    if (format != PlaylistFormat::Reference)
        return playable;
    // A Windows Media server hands this file to every client that does not speak its own
    // streaming dialect over HTTP, so an http ref fetched again only brings the same file
    // back. mmsh speaks that dialect; the http form stays as a further backup.
    std::vector<std::string> viaMmsh;
    for (const auto& address : playable) {
        if (SchemeOf(address) == "http")
            viaMmsh.push_back("mmsh" + address.substr(4));
    }
    playable.insert(playable.begin(), viaMmsh.begin(), viaMmsh.end());
    return playable;
}

}  // namespace quorvel
