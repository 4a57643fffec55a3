#pragma once

#include <cstddef>
#include <filesystem>
#include <string>

#include "rows/ListRows.h"

namespace quorvel {

// The four texts of the add or edit boxes (UTF-8), taken as they are: nothing is checked.
struct ChannelFields {
    std::string name;
    std::string url;
    std::string category;
    std::string type;
};

// Appends a row of the catalogue layout (at its sort position in sorted mode); no tag.
int AddChannel(ListRows& rows, ChannelFields fields);

// What the edit boxes show for a row, whatever its layout.
ChannelFields RowChannelFields(const ListRow& row);

// Writes the boxes into the selected row, which then has the catalogue layout; its tag (the
// address a click plays) stays. Each of these returns false and changes nothing when no row
// is selected.
bool EditSelectedChannel(ListRows& rows, ChannelFields fields);
bool DeleteSelectedChannel(ListRows& rows);
// "Music Type": the selected row's type (its section, for an imported row).
bool SetSelectedType(ListRows& rows, std::string type);

// Far above any list a person keeps; past it the file is no list.
inline constexpr std::size_t kMaxImportListBytes = 64 * 1024 * 1024;

struct ImportResult {
    bool ok = false;
    int added = 0;
    std::string error;  // names the file and the reason when it could not be read
};

// The list import: a plain Windows-1252 file of bracketed section lines, each followed by a
// line that is passed over, then pairs of lines, name and URL. Every pair becomes a row of
// the import layout with `category` and the current section. A file that cannot be read
// (missing, no regular file, over kMaxImportListBytes) adds nothing.
ImportResult ImportChannelList(const std::filesystem::path& file, const std::string& category,
                               ListRows& rows);

}  // namespace quorvel
