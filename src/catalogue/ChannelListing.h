#pragma once

#include <filesystem>
#include <functional>
#include <string_view>

#include "catalogue/BrowsingState.h"
#include "catalogue/CatalogueRecords.h"

namespace quorvel {

// Takes each piece of a listing; false when it could not be written (the listing goes on,
// and reports the failure at its end).
using ListingSink = std::function<bool(std::string_view piece)>;

struct ListingResult {
    bool loaded = false;   // the catalogue was read to its end and held no broken record
    bool written = false;  // every piece was taken
};

// The channels ForEachListedChannel gives, as UTF-8 lines of name, URL, category and type
// separated by TAB, handed to `write` in pieces of about 256 KB; a list of any length needs
// no more memory. When the catalogue cannot be loaded, the lines before the fault are
// written. `scan` as for ForEachEncodedRecord: both give the same listing.
ListingResult WriteListedChannels(const std::filesystem::path& catalogueFile,
                                  const BrowsingState& state, const ListingSink& write,
                                  RecordScan scan = RecordScan::Fastest);

}  // namespace quorvel
