#include "m3u/M3uParser.h"

#include <cstdint>
#include <cstring>

#include "files/TextCase.h"
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

bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}

// Strict UTF-8 check (no overlong forms, no surrogates, nothing past U+10FFFF).
bool IsValidUtf8(std::string_view text) {
    const auto* p = reinterpret_cast<const unsigned char*>(text.data());
    const auto* end = p + text.size();
    while (p < end) {
        // Runs of ASCII, eight bytes at a time.
        while (end - p >= 8) {
            std::uint64_t word;
            std::memcpy(&word, p, 8);
            if (word & 0x8080808080808080ull)
                break;
            p += 8;
        }
        if (p == end)
            break;
        const unsigned char c = *p;
        if (c < 0x80) {
            ++p;
            continue;
        }
        std::size_t length = 0;
        unsigned char low = 0x80, high = 0xBF;
        if (c >= 0xC2 && c <= 0xDF) {
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF) {
            length = 3;
            if (c == 0xE0)
                low = 0xA0;
            if (c == 0xED)
                high = 0x9F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            length = 4;
            if (c == 0xF0)
                low = 0x90;
            if (c == 0xF4)
                high = 0x8F;
        } else {
            return false;
        }
        if (static_cast<std::size_t>(end - p) < length || p[1] < low || p[1] > high)
            return false;
        for (std::size_t i = 2; i < length; ++i) {
            if ((p[i] & 0xC0) != 0x80)
                return false;
        }
        p += length;
    }
    return true;
}

// Where the line from `start` ends: at LF, CR LF or a lone CR. Two memchr calls beat a
// byte-by-byte search for either.
std::size_t LineEnd(std::string_view bytes, std::size_t start) {
    const char* begin = bytes.data() + start;
    const std::size_t size = bytes.size() - start;
    const void* lf = std::memchr(begin, '\n', size);
    const std::size_t lfAt =
        lf ? static_cast<std::size_t>(static_cast<const char*>(lf) - begin) : size;
    const void* cr = std::memchr(begin, '\r', lfAt);
    const std::size_t end =
        cr ? static_cast<std::size_t>(static_cast<const char*>(cr) - begin) : lfAt;
    return start + end;
}

// "#EXTINF:<duration> name="value" name=value ...,Title"
void ReadExtInf(std::string_view rest, M3uEntry& entry) {
    std::size_t i = 0;
    const std::size_t n = rest.size();
    entry.attributes.reserve(8);
    // The duration: everything up to the first blank or comma.
    while (i < n && !IsBlank(rest[i]) && rest[i] != ',')
        ++i;
    for (;;) {
        while (i < n && IsBlank(rest[i]))
            ++i;
        if (i >= n)
            return;
        if (rest[i] == ',') {
            entry.title = std::string(TrimSpace(rest.substr(i + 1)));
            return;
        }
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
        if (!name.empty())
            entry.attributes.emplace_back(ToLowerAscii(name), std::string(TrimSpace(value)));
    }
}

}  // namespace

std::optional<std::string_view> M3uEntry::Attribute(std::string_view name) const {
    for (const auto& [key, value] : attributes) {
        if (EqualsIgnoringCase(key, name))
            return std::string_view(value);
    }
    return std::nullopt;
}

M3uPlaylist ParseM3u(std::string_view bytes) {
    if (bytes.substr(0, kBom.size()) == kBom)
        bytes.remove_prefix(kBom.size());
    std::string converted;
    if (!IsValidUtf8(bytes)) {
        converted = Windows1252ToUtf8(bytes);
        bytes = converted;
    }

    M3uPlaylist playlist;
    M3uEntry pending;
    bool havePending = false;
    std::string group;
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t stop = LineEnd(bytes, start);
        const std::string_view line = TrimSpace(bytes.substr(start, stop - start));
        start = stop + 1;
        if (stop + 1 < bytes.size() && bytes[stop] == '\r' && bytes[stop + 1] == '\n')
            ++start;

        if (line.empty())
            continue;
        if (line.front() != '#') {
            M3uEntry entry = havePending ? std::move(pending) : M3uEntry{};
            entry.url = std::string(line);
            entry.group = std::move(group);
            playlist.entries.push_back(std::move(entry));
            pending = M3uEntry{};
            havePending = false;
            group.clear();
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
        }
        // Other directives (#EXTM3U, #EXTVLCOPT, #KODIPROP, #EXT-X-...) and comments
        // say nothing about which channels the list holds.
    }
    if (havePending)
        ++playlist.entriesWithoutAddress;
    return playlist;
}

}  // namespace quorvel
