#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// Playlists come from the web; bigger files are refused before they are read.
inline constexpr std::size_t kMaxM3uBytes = 256u * 1024 * 1024;
// Every entry costs memory of its own however short its line: reading stops past this many.
inline constexpr std::size_t kMaxM3uEntries = 100'000;

// One entry of an (extended) M3U playlist, UTF-8.
struct M3uEntry {
    std::string url;    // the address line, blanks trimmed
    std::string title;  // the text after the #EXTINF attributes' comma, blanks trimmed
    // The #EXTINF attributes as written (between the duration and the title's comma).
    // Kept as one text, read when asked: a list of pairs cost many times the line.
    std::string attributes;
    std::string group;  // from an #EXTGRP line before the address
    // The #EXTVLCOPT lines since the previous address, the text after the colon of each,
    // each ended by LF, in the order written. Empty for most lists: read when asked.
    std::string options;

    // The first attribute of that name (letter case ignored), unquoted and trimmed, or
    // nothing. Reads the attributes anew on each call.
    std::optional<std::string_view> Attribute(std::string_view name) const;
    // Each attribute in the order written, its name and its value (unquoted, trimmed),
    // until `found` returns true.
    void ForEachAttribute(
        const std::function<bool(std::string_view name, std::string_view value)>& found) const;
};

struct M3uPlaylist {
    std::vector<M3uEntry> entries;
    // The attributes of the first #EXTM3U line (url-tvg="..." and the like), as written.
    std::string headerAttributes;
    // The playlist's own title, from its first #PLAYLIST: line.
    std::string title;
    // #EXTINF lines that no address followed (the next #EXTINF or the end came first).
    std::size_t entriesWithoutAddress = 0;
    // The file names more than kMaxM3uEntries addresses: reading stopped after that many.
    bool tooManyEntries = false;
};

// Reads a playlist in one pass: a UTF-8 byte-order mark, CR LF, LF or CR line ends,
// entries with or without #EXTINF, quoted values holding commas, other directives and
// comments passed over. Bytes that are not UTF-8 are read as Windows-1252, as older
// .m3u files are written. Pure: no files, no state.
M3uPlaylist ParseM3u(std::string_view bytes);

// The same reading, but each entry is handed to `take` as soon as it is complete instead
// of being kept: `playlist.entries` stays empty, the rest is filled in. For a reader that
// turns entries into something else, so that the whole list is never held twice.
void ReadM3u(std::string_view bytes, M3uPlaylist& playlist,
             const std::function<void(M3uEntry&& entry)>& take);

// Each attribute of `name="value" name=value ...` text (an #EXTINF's or the header's), in
// the order written, its name and its value (unquoted, trimmed), until `found` returns true.
void ForEachM3uAttribute(
    std::string_view attributes,
    const std::function<bool(std::string_view name, std::string_view value)>& found);

}  // namespace quorvel
