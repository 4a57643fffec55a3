#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "rows/ListRows.h"

namespace quorvel {

struct M3uRows {
    bool ok = false;
    std::vector<ListRow> rows;  // catalogue layout, the address also in the tag
    std::size_t entriesWithoutAddress = 0;
    std::string error;  // names the file and the reason when it could not be read
};

// Why a playlist with more than kMaxM3uEntries entries is not imported, naming the file.
std::string TooManyEntriesMessage(const std::filesystem::path& file);

// A playlist file's channels as rows for the editing list (see ChannelsFromM3u for how the
// fields are taken); `category` empty takes each entry's group. A playlist of more
// than kMaxM3uEntries entries, or one whose channels would take many times its size
// (hostile addresses grow when made storable), is refused whole. Reads and parses the whole
// file: call it off the GUI thread.
M3uRows ReadM3uRows(const std::filesystem::path& file, const std::string& category);

}  // namespace quorvel
