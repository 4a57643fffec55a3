#include "health/PlaylistProbe.h"

#include <array>

#include "files/TextCase.h"
#include "m3u/M3uParser.h"
#include "playback/AddressPolicy.h"
#include "playback/WindowsPlaylist.h"

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

std::string_view SkipBomAndSpace(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    while (!bytes.empty() && (bytes.front() == ' ' || bytes.front() == '\t' ||
                              bytes.front() == '\r' || bytes.front() == '\n')) {
        bytes.remove_prefix(1);
    }
    return bytes;
}

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

bool LooksLikeText(std::string_view bytes) {
    for (const unsigned char c : bytes) {
        if (c == 0 || (c < 0x20 && c != '\r' && c != '\n' && c != '\t'))
            return false;
    }
    return true;
}

bool IsPls(std::string_view bytes, std::string_view contentType, std::string_view url) {
    if (StartsWithIgnoringCase(SkipBomAndSpace(bytes), "[playlist]"))
        return true;
    const std::string_view type = MediaType(contentType);
    if (EqualsIgnoringCase(type, "audio/x-scpls") ||
        EqualsIgnoringCase(type, "application/pls+xml"))
        return true;
    url = url.substr(0, url.find_first_of("?#"));
    return url.size() >= 4 && EqualsIgnoringCase(url.substr(url.size() - 4), ".pls");
}

std::optional<std::string> Allowed(std::string_view url, std::string_view entry) {
    if (entry.empty())
        return std::nullopt;
    const AddressCheck check = CheckAddress(ResolvePlaylistEntry(url, entry));
    if (!EntryAllowed(check, PlaylistOrigin::Network))
        return std::nullopt;
    return check.address;
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
    const std::string_view start = SkipBomAndSpace(firstBytes);
    return StartsWithIgnoringCase(start, "#EXTM3U") ||
           StartsWithIgnoringCase(start, "[playlist]") ||
           DetectPlaylistFormat(firstBytes) != PlaylistFormat::NotAPlaylist;
}

std::optional<std::string> FirstStreamOfPlaylist(std::string_view bytes, std::string_view url,
                                                 std::string_view contentType) {
    if (DetectPlaylistFormat(bytes) != PlaylistFormat::NotAPlaylist)
        return FirstPlayableEntry(bytes, url);
    if (IsPls(bytes, contentType, url)) {
        // The player's own reader, so the check follows the entry the player would play.
        for (const std::string& entry : ReadPlaylistEntries(bytes, PlaylistFormat::Pls)) {
            if (std::optional<std::string> first = Allowed(url, entry))
                return first;
        }
        return std::nullopt;
    }
    for (const M3uEntry& entry : ParseM3u(bytes).entries) {
        if (std::optional<std::string> first = Allowed(url, entry.url))
            return first;
    }
    return std::nullopt;
}

}  // namespace quorvel
