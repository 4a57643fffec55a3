#include "m3u/M3uParser.h"

#include <cstring>

#include "files/TextCase.h"
#include "files/Utf8.h"
#include "files/Windows1252.h"

namespace quorvel {
namespace {

constexpr std::string_view kBom = "\xEF\xBB\xBF";

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view TrimSpace(std::string_view text) {
    while (!text.empty() && IsBlank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsBlank(text.back()))
        text.remove_suffix(1);
    return text;
}

// Where each line ends: at LF, CR LF or a lone CR. The next LF and the next CR are each
// searched for again only once a line has passed them: searching the rest of the file on
// every line made a file of lone CRs cost its size squared.
class LineEnds {
public:
    explicit LineEnds(std::string_view bytes)
        : m_bytes(bytes), m_lf(Find('\n', 0)), m_cr(Find('\r', 0)) {}

    std::size_t From(std::size_t start) {
        if (m_lf < start)
            m_lf = Find('\n', start);
        if (m_cr < start)
            m_cr = Find('\r', start);
        return m_lf < m_cr ? m_lf : m_cr;
    }

private:
    std::size_t Find(char c, std::size_t start) const {
        const void* found = std::memchr(m_bytes.data() + start, c, m_bytes.size() - start);
        return found ? static_cast<std::size_t>(static_cast<const char*>(found) - m_bytes.data())
                     : m_bytes.size();
    }

    std::string_view m_bytes;
    std::size_t m_lf;
    std::size_t m_cr;
};

// Walks attributes `name="value" name=value ...` from `i` and hands each to `found`
// (name, value) until it returns true. Returns where the title's comma stands, or npos
// when the attributes run to the end (an unclosed quote does).
template <typename Found>
std::size_t ScanAttributes(std::string_view rest, std::size_t i, Found&& found) {
    const std::size_t n = rest.size();
    for (;;) {
        while (i < n && IsBlank(rest[i]))
            ++i;
        if (i >= n)
            return std::string_view::npos;
        if (rest[i] == ',')
            return i;
        const std::size_t nameStart = i;
        while (i < n && rest[i] != '=' && rest[i] != ',' && !IsBlank(rest[i]))
            ++i;
        const std::string_view name = rest.substr(nameStart, i - nameStart);
        if (i >= n || rest[i] != '=')
            continue;  // a bare word; the loop goes on at the blank or comma after it
        ++i;
        std::string_view value;
        if (i < n && (rest[i] == '"' || rest[i] == '\'')) {
            const char quote = rest[i++];
            const std::size_t close = rest.find(quote, i);
            // An unclosed quote runs to the end of the line.
            const std::size_t stop = close == std::string_view::npos ? n : close;
            value = rest.substr(i, stop - i);
            i = close == std::string_view::npos ? n : close + 1;
        } else {
            const std::size_t valueStart = i;
            while (i < n && rest[i] != ',' && !IsBlank(rest[i]))
                ++i;
            value = rest.substr(valueStart, i - valueStart);
        }
        if (!name.empty() && found(name, TrimSpace(value)))
            return std::string_view::npos;
    }
}

// "#EXTINF:<duration> name="value" name=value ...,Title"
void ReadExtInf(std::string_view rest, M3uEntry& entry) {
    std::size_t i = 0;
    // The duration: everything up to the first blank or comma.
    while (i < rest.size() && !IsBlank(rest[i]) && rest[i] != ',')
        ++i;
    const std::size_t comma =
        ScanAttributes(rest, i, [](std::string_view, std::string_view) { return false; });
    const std::size_t stop = comma == std::string_view::npos ? rest.size() : comma;
    entry.attributes = std::string(TrimSpace(rest.substr(i, stop - i)));
    if (comma != std::string_view::npos)
        entry.title = std::string(TrimSpace(rest.substr(comma + 1)));
}

}  // namespace

void ForEachM3uAttribute(
    std::string_view attributes,
    const std::function<bool(std::string_view name, std::string_view value)>& found) {
    ScanAttributes(attributes, 0, found);
}

void M3uEntry::ForEachAttribute(
    const std::function<bool(std::string_view name, std::string_view value)>& found) const {
    ScanAttributes(attributes, 0, found);
}

std::optional<std::string_view> M3uEntry::Attribute(std::string_view name) const {
    std::optional<std::string_view> result;
    ScanAttributes(attributes, 0, [&](std::string_view key, std::string_view value) {
        if (!EqualsIgnoringCase(key, name))
            return false;
        result = value;
        return true;
    });
    return result;
}

void ReadM3u(std::string_view bytes, M3uPlaylist& playlist,
             const std::function<void(M3uEntry&& entry)>& take) {
    if (bytes.substr(0, kBom.size()) == kBom)
        bytes.remove_prefix(kBom.size());
    // Converted line by line: a copy of the whole file would cost up to three times its size.
    const bool windows1252 = !IsValidUtf8(bytes);
    std::string converted;

    M3uEntry pending;
    bool havePending = false;
    std::string group;
    std::string options;
    std::size_t addresses = 0;
    bool sawHeader = false;
    LineEnds lineEnds(bytes);
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t stop = lineEnds.From(start);
        std::string_view line = TrimSpace(bytes.substr(start, stop - start));
        start = stop + 1;
        if (stop + 1 < bytes.size() && bytes[stop] == '\r' && bytes[stop + 1] == '\n')
            ++start;

        if (line.empty())
            continue;
        if (windows1252 && !IsAsciiText(line)) {
            converted = Windows1252ToUtf8(line);
            line = converted;
        }
        if (line.front() != '#') {
            if (addresses == kMaxM3uEntries) {
                playlist.tooManyEntries = true;
                break;
            }
            ++addresses;
            M3uEntry entry = std::move(pending);
            entry.url = std::string(line);
            entry.group = std::move(group);
            entry.options = std::move(options);
            pending = M3uEntry{};
            havePending = false;
            group.clear();
            options.clear();
            take(std::move(entry));
            continue;
        }
        if (StartsWithIgnoringCase(line, "#EXTINF:")) {
            if (havePending)
                ++playlist.entriesWithoutAddress;
            pending = M3uEntry{};
            havePending = true;
            ReadExtInf(line.substr(8), pending);
        } else if (StartsWithIgnoringCase(line, "#EXTGRP:")) {
            group = std::string(TrimSpace(line.substr(8)));
        } else if (StartsWithIgnoringCase(line, "#EXTVLCOPT:")) {
            options.append(TrimSpace(line.substr(11))).push_back('\n');
        } else if (playlist.title.empty() && StartsWithIgnoringCase(line, "#PLAYLIST:")) {
            playlist.title = std::string(TrimSpace(line.substr(10)));
        } else if (!sawHeader && StartsWithIgnoringCase(line, "#EXTM3U")) {
            sawHeader = true;
            playlist.headerAttributes = std::string(TrimSpace(line.substr(7)));
        }
        // Other directives (#KODIPROP, #EXT-X-...) and comments say nothing about which
        // channels the list holds.
    }
    if (havePending && !playlist.tooManyEntries)
        ++playlist.entriesWithoutAddress;
}

M3uPlaylist ParseM3u(std::string_view bytes) {
    M3uPlaylist playlist;
    ReadM3u(bytes, playlist,
            [&](M3uEntry&& entry) { playlist.entries.push_back(std::move(entry)); });
    return playlist;
}

}  // namespace quorvel
