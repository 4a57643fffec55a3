#pragma once

#include <memory>
#include <string>
#include <vector>

#include "catalogue/CatalogueEntries.h"
#include "playlists/PlaylistChannel.h"
#include "rows/ListRows.h"
#include "search/NameSearch.h"

namespace quorvel {

enum class AdultCategory { Left, Included };

// Every channel the program knows, as rows of the search results: the name, where it comes
// from (its catalogue category or its playlist's name) and its type (language or group);
// the tag is its address, the logo goes with it. Catalogue channels first, in file order,
// then each playlist's; the adult category only when its button is shown.
std::vector<ListRow> EverythingRows(const std::vector<CatalogueEntry>& catalogue,
                                    const std::vector<NamedPlaylist>& playlists,
                                    AdultCategory adult);

// The rows and their names folded once for searching.
struct EverythingIndex {
    std::vector<ListRow> rows;
    NameSearch names;
};

std::shared_ptr<EverythingIndex> IndexEverything(std::vector<ListRow> rows);

}  // namespace quorvel
