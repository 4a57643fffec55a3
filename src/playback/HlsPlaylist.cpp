#include "playback/HlsPlaylist.h"

#include "files/TextCase.h"
#include "playback/AddressPolicy.h"
#include "playback/PlaylistFetch.h"
#include "playback/WindowsPlaylist.h"

namespace quorvel {
namespace {

std::string_view TrimLine(std::string_view line) {
    while (!line.empty() && (line.back() == '\r' || line.back() == ' ' || line.back() == '\t'))
        line.remove_suffix(1);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t'))
        line.remove_prefix(1);
    return line;
}

// The URI="..." attribute of a tag line, or empty.
std::string_view UriAttribute(std::string_view line) {
    const std::size_t at = FindIgnoringCase(line, "URI=\"");
    if (at == std::string_view::npos)
        return {};
    const std::size_t start = at + 5;
    const std::size_t end = line.find('"', start);
    return end == std::string_view::npos ? std::string_view() : line.substr(start, end - start);
}

bool IsHttpUrl(std::string_view address) {
    const std::string scheme = SchemeOf(address);
    return scheme == "http" || scheme == "https";
}

}  // namespace

bool HasHlsExtension(std::string_view address) {
    if (!IsHttpUrl(address))
        return false;
    const std::string_view path = address.substr(0, address.find_first_of("?#"));
    return path.size() >= 5 && EqualsIgnoringCase(path.substr(path.size() - 5), ".m3u8");
}

bool IsHlsPlaylist(std::string_view bytes) {
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        bytes.remove_prefix(3);
    while (!bytes.empty() && (bytes.front() == ' ' || bytes.front() == '\r' ||
                              bytes.front() == '\n' || bytes.front() == '\t'))
        bytes.remove_prefix(1);
    return bytes.substr(0, 7) == "#EXTM3U" && bytes.find("#EXT-X-") != std::string_view::npos;
}

std::vector<std::string> HlsNestedPlaylists(std::string_view bytes) {
    std::vector<std::string> nested;
    bool variantNext = false;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view line = TrimLine(bytes.substr(start, end - start));
        start = end + 1;
        if (line.empty())
            continue;
        if (StartsWithIgnoringCase(line, "#EXT-X-STREAM-INF")) {
            variantNext = true;
        } else if (StartsWithIgnoringCase(line, "#EXT-X-MEDIA:")) {
            if (const std::string_view uri = UriAttribute(line); !uri.empty())
                nested.emplace_back(uri);
        } else if (line.front() != '#' && variantNext) {
            nested.emplace_back(line);
            variantNext = false;
        }
    }
    return nested;
}

HlsNestedCheck CheckHlsNestedPlaylists(std::string_view master, const std::string& masterUrl,
                                       const HttpRequest& like) {
    HlsNestedCheck check;
    const std::vector<std::string> nested = HlsNestedPlaylists(master);
    if (nested.size() > kMaxHlsNestedPlaylists) {
        check.ok = false;
        check.tooMany = true;
        return check;
    }
    for (const auto& entry : nested) {
        if (like.cancel && like.cancel->load())
            break;
        const std::string address = ResolvePlaylistEntry(masterUrl, entry);
        if (!IsHttpUrl(address))
            continue;  // the engine's own protocol list decides about those
        HttpRequest request = like;
        request.url = address;
        HttpResponse fetched = Fetch(request);
        if (PlaylistRefused(fetched)) {
            check.ok = false;
            check.address = address;
            check.fetched = std::move(fetched);
            return check;
        }
    }
    return check;
}

}  // namespace quorvel
