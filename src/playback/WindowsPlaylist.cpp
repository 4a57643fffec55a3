#include "playback/WindowsPlaylist.h"

#include "files/TextCase.h"
#include "files/TextLines.h"
#include "playback/AddressPolicy.h"
#include "playback/XmlTagScanner.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>

namespace quorvel {
namespace {

std::string_view TrimAll(std::string_view text) {
    const auto isSpace = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; };
    while (!text.empty() && isSpace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && isSpace(text.back()))
        text.remove_suffix(1);
    return text;
}

// Values of "<prefix>N=address" lines, in the order written: the entries of [Reference]
// files ("Ref") and of PLS playlists ("File").
std::vector<std::string> ReadNumberedEntries(std::string_view bytes, std::string_view prefix) {
    std::vector<std::string> entries;
    ForEachNumberedLine(bytes, {&prefix, 1},
                        [&](std::size_t, std::uint32_t, std::string_view value) {
                            if (!value.empty())
                                entries.emplace_back(value);
                        });
    return entries;
}

std::vector<std::string> ReadReferenceEntries(std::string_view bytes) {
    return ReadNumberedEntries(bytes, "ref");
}

// Lines that are not blank and not comments, as M3U has them.
std::vector<std::string> ReadM3uEntries(std::string_view bytes) {
    std::vector<std::string> entries;
    std::size_t start = 0;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF")
        start = 3;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view line = TrimAll(bytes.substr(start, end - start));
        start = end + 1;
        if (!line.empty() && line.front() != '#')
            entries.emplace_back(line);
    }
    return entries;
}

// "FileN=address" lines of a PLS playlist, in the order written.
std::vector<std::string> ReadPlsEntries(std::string_view bytes) {
    return ReadNumberedEntries(bytes, "file");
}

std::vector<std::string> ReadTagEntries(std::string_view bytes, PlaylistFormat format) {
    std::vector<std::string> entries;
    ForEachXmlTag(bytes, [&](const XmlTag& tag) {
        std::optional<std::string> value;
        if (format == PlaylistFormat::Asx &&
            (EqualsIgnoringCase(tag.name, "ref") || EqualsIgnoringCase(tag.name, "entryref"))) {
            value = tag.Attribute("href");
        } else if (format == PlaylistFormat::Wpl && EqualsIgnoringCase(tag.name, "media")) {
            value = tag.Attribute("src");
        }
        if (value) {
            const std::string_view trimmed = TrimAll(*value);
            if (!trimmed.empty())
                entries.emplace_back(trimmed);
        }
    });
    return entries;
}

bool IsDriveLetterPath(std::string_view path) {
    return path.size() >= 2 && path[1] == ':' &&
           ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

}  // namespace

void ForEachNumberedLine(std::string_view bytes, std::span<const std::string_view> prefixes,
                         const std::function<void(std::size_t prefix, std::uint32_t number,
                                                  std::string_view value)>& found) {
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find_first_of("\r\n", start);
        if (end == std::string_view::npos)
            end = bytes.size();
        const std::string_view line = TrimAll(bytes.substr(start, end - start));
        start = end + 1;
        const std::size_t equals = line.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = TrimAll(line.substr(0, equals));
        for (std::size_t i = 0; i < prefixes.size(); ++i) {
            const std::string_view prefix = prefixes[i];
            if (key.size() <= prefix.size() || !StartsWithIgnoringCase(key, prefix))
                continue;
            const std::string_view digits = key.substr(prefix.size());
            // Nine digits at most: the number fits, and no list holds more entries.
            if (digits.size() > 9 || !std::all_of(digits.begin(), digits.end(),
                                                  [](char c) { return c >= '0' && c <= '9'; }))
                continue;
            std::uint32_t number = 0;
            for (const char c : digits)
                number = number * 10 + static_cast<std::uint32_t>(c - '0');
            found(i, number, TrimAll(line.substr(equals + 1)));
            break;
        }
    }
}

PlaylistFormat DetectPlaylistFormat(std::string_view bytes) {
    const std::string_view head = SkipByteOrderMarkAndSpace(bytes);
    if (head.size() >= 11 && EqualsIgnoringCase(head.substr(0, 11), "[reference]")) {
        return PlaylistFormat::Reference;
    }
    if (head.empty() || head.front() != '<')
        return PlaylistFormat::NotAPlaylist;
    const std::string_view window = head.substr(0, 4096);
    if (ContainsIgnoringCase(window, "<asx"))
        return PlaylistFormat::Asx;
    if (ContainsIgnoringCase(window, "<?wpl") || ContainsIgnoringCase(window, "<smil")) {
        return PlaylistFormat::Wpl;
    }
    return PlaylistFormat::NotAPlaylist;
}

bool HasWindowsPlaylistExtension(std::string_view address) {
    std::string_view path = address;
    if (!SchemeOf(address).empty())
        path = path.substr(0, path.find_first_of("?#"));
    if (path.size() < 4)
        return false;
    const std::string_view extension = path.substr(path.size() - 4);
    for (const std::string_view known : {".asx", ".wax", ".wvx", ".wpl"}) {
        if (EqualsIgnoringCase(extension, known))
            return true;
    }
    return false;
}

PlaylistFormat DetectAnyPlaylistFormat(std::string_view bytes, std::string_view address) {
    if (const PlaylistFormat windows = DetectPlaylistFormat(bytes);
        windows != PlaylistFormat::NotAPlaylist)
        return windows;
    const std::string_view head = SkipByteOrderMarkAndSpace(bytes);
    if (head.size() >= 10 && EqualsIgnoringCase(head.substr(0, 10), "[playlist]"))
        return PlaylistFormat::Pls;
    if (head.substr(0, 7) == "#EXTM3U")
        return PlaylistFormat::M3u;
    const std::string_view path = address.substr(0, address.find_first_of("?#"));
    const auto endsWith = [&](std::string_view extension) {
        return path.size() >= extension.size() &&
               EqualsIgnoringCase(path.substr(path.size() - extension.size()), extension);
    };
    if (endsWith(".pls"))
        return PlaylistFormat::Pls;
    if (endsWith(".m3u"))
        return PlaylistFormat::M3u;
    // A bare list of stream addresses, as servers hand out under any name.
    const std::string_view firstLine = head.substr(0, head.find_first_of("\r\n"));
    const bool text = head.substr(0, 1024).find('\0') == std::string_view::npos;
    if (text && IsNetworkScheme(SchemeOf(firstLine)))
        return PlaylistFormat::M3u;
    return PlaylistFormat::NotAPlaylist;
}

bool IsWindowsPlaylistFormat(PlaylistFormat format) {
    return format == PlaylistFormat::Asx || format == PlaylistFormat::Wpl ||
           format == PlaylistFormat::Reference;
}

bool IsPlaylistReadByPlayer(std::string_view address) {
    if (HasWindowsPlaylistExtension(address))
        return true;
    if (SchemeOf(address).empty())
        return false;
    const std::string_view path = address.substr(0, address.find_first_of("?#"));
    for (const std::string_view known : {".m3u", ".pls"}) {
        if (path.size() >= known.size() &&
            EqualsIgnoringCase(path.substr(path.size() - known.size()), known))
            return true;
    }
    return false;
}

std::vector<std::string> ReadPlaylistEntries(std::string_view bytes) {
    return ReadPlaylistEntries(bytes, DetectPlaylistFormat(bytes));
}

std::vector<std::string> ReadPlaylistEntries(std::string_view bytes, PlaylistFormat format) {
    switch (format) {
        case PlaylistFormat::M3u:
            return ReadM3uEntries(bytes);
        case PlaylistFormat::Pls:
            return ReadPlsEntries(bytes);
        case PlaylistFormat::Reference:
            return ReadReferenceEntries(bytes);
        case PlaylistFormat::Asx:
        case PlaylistFormat::Wpl:
            return ReadTagEntries(bytes, format);
        case PlaylistFormat::NotAPlaylist:
            break;
    }
    return {};
}

std::string ResolvePlaylistEntry(std::string_view playlistAddress, std::string_view entry) {
    if (!SchemeOf(entry).empty())
        return std::string(entry);
    std::string relative(entry);
    std::replace(relative.begin(), relative.end(), '\\', '/');
    if (IsDriveLetterPath(relative))
        return relative;  // a Windows path: nothing to join

    const std::string scheme = SchemeOf(playlistAddress);
    if (!scheme.empty()) {
        const std::string_view url = playlistAddress.substr(0, playlistAddress.find_first_of("?#"));
        const std::size_t authorityStart = scheme.size() + 3;
        const std::size_t pathStart = std::min(url.find('/', authorityStart), url.size());
        if (relative.rfind("//", 0) == 0)
            return scheme + ":" + relative;
        if (!relative.empty() && relative.front() == '/') {
            return std::string(url.substr(0, pathStart)) + relative;
        }
        const std::size_t lastSlash = url.rfind('/');
        if (lastSlash == std::string_view::npos || lastSlash < pathStart) {
            return std::string(url) + "/" + relative;
        }
        return std::string(url.substr(0, lastSlash + 1)) + relative;
    }
    if (!relative.empty() && relative.front() == '/')
        return relative;
    const std::size_t lastSlash = playlistAddress.rfind('/');
    if (lastSlash == std::string_view::npos)
        return relative;
    return std::string(playlistAddress.substr(0, lastSlash + 1)) + relative;
}

std::optional<std::string> FirstPlayableEntry(std::string_view bytes,
                                              std::string_view playlistAddress) {
    const PlaylistOrigin origin = CheckAddress(playlistAddress).kind == AddressKind::LocalPath
                                      ? PlaylistOrigin::Local
                                      : PlaylistOrigin::Network;
    for (const auto& entry : ReadPlaylistEntries(bytes)) {
        const AddressCheck check = CheckAddress(ResolvePlaylistEntry(playlistAddress, entry));
        if (EntryAllowed(check, origin))
            return check.address;
    }
    return std::nullopt;
}

}  // namespace quorvel
