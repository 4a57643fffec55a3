#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "rows/ListRows.h"

namespace quorvel {

inline constexpr std::string_view kFavoritesFileName = "Favorites.txt";

// The favorites file: one encoded line per favorite, name|URL|category|type, CR LF after
// each, in the order of the list. Rows hold the name as text, the URL as tag and the
// category and type as sub-items 1 and 2, as catalogue rows do.

struct FavoritesReadResult {
    std::vector<ListRow> rows;
    std::string error;  // set when an existing file could not be read; rows then hold none
};

// The rows of a favorites file. A missing file gives no rows and no error. Lines that decode
// without "|" are skipped; fields after the fourth are dropped and missing ones left empty.
FavoritesReadResult ReadFavoritesFile(const std::filesystem::path& file);

// The bytes a favorites file holds for these rows.
std::string FavoritesFileBytes(const ListRows& rows);

// Rewrites the file from the rows, atomically: on failure the old file stays whole and the
// reason comes back in `error`.
bool WriteFavoritesFile(const std::filesystem::path& file, const ListRows& rows,
                        std::string& error);

// The same on the program's own "Favorites.txt". LoadFavorites appends to the rows without
// clearing them first.
FavoritesReadResult ReadFavorites();
void LoadFavorites(ListRows& rows);
bool SaveFavorites(const ListRows& rows, std::string& error);

// The program's favorites as the main window keeps them. A file that is there but failed to
// load is never written over until it has been read: the list then holds none of its
// favorites, and saving it would replace them all with the few changed since.
class FavoritesKeeper {
public:
    // Appends the file's rows; false with the reason when it is there but cannot be read.
    bool Load(ListRows& rows, std::string& error);
    // Whether the list may change now. After a failed load the file is read again first;
    // when it reads now its rows are put in the list, which held none of them.
    bool ReadyToChange(ListRows& rows, std::string& error);
    // Refused after a failed load until the file has been read.
    bool Save(const ListRows& rows, std::string& error);

private:
    bool m_loadFailed = false;
};

}  // namespace quorvel
