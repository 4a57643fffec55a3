#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

enum class SortDirection { Ascending, Descending };

// In-place quicksort of values[0..upperIndex] (the whole vector when no upper index is
// given) by byte value, so capital letters come before small ones. Not stable. An upper
// index below 0 changes nothing; one past the end is taken as the last element.
void SortValues(std::vector<std::string>& values, std::optional<std::ptrdiff_t> upperIndex = {},
                SortDirection direction = SortDirection::Ascending);

}  // namespace quorvel
