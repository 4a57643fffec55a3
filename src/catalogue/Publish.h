#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "rows/ListRows.h"

namespace quorvel {

inline constexpr std::string_view kDataStartMarker = "<data>";
inline constexpr std::string_view kDataEndMarker = "</data>";

// The page as published: "<data>", one encoded catalogue line per row in list order (name,
// URL, category, type, wherever the row's layout keeps them), "</data>", each line ending
// CR LF. Rows holding a character that a catalogue line cannot carry ("|", or what encodes
// to a line end) are listed in `unstorable` (positions from 1) and left out.
std::string PublishedPage(const ListRows& rows, std::vector<int>* unstorable = nullptr);

struct PublishResult {
    bool ok = false;
    std::string error;
};

// Writes PublishedPage(rows) to `page` atomically. When a row cannot be stored nothing is
// written and the error names the rows.
PublishResult PublishCatalogue(const ListRows& rows, const std::filesystem::path& page);

}  // namespace quorvel
