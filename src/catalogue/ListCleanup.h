#pragma once

#include <string>
#include <string_view>

#include "rows/ListRows.h"

namespace quorvel {

// "Deleted " and the count: what Remove Duplicates tells when it is done.
inline constexpr std::string_view kDeletedPrefix = "Deleted ";

// Of every group of rows whose addresses agree without regard to letter case, the topmost
// stays and the others go; the survivors keep their order. Returns the number removed.
int RemoveDuplicateChannels(ListRows& rows);

// The columns Replace works on, as the column box names them.
inline constexpr std::string_view kReplaceChannel = "Channel";
inline constexpr std::string_view kReplaceLanguage = "Language";

// "Channel": every occurrence of `search` in a row's name, any letter case, becomes
// `replacement`. "Language": a type (section, for an imported row) that equals `search`
// exactly becomes `replacement`. Any other column, or an empty search, changes nothing.
// Returns the number of rows changed.
int ReplaceInChannels(ListRows& rows, std::string_view search, std::string_view replacement,
                      std::string_view column);

}  // namespace quorvel
