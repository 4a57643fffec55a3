#pragma once

#include <string>
#include <string_view>

namespace quorvel::reg {

// Key and value names compare without regard to letter case; this is the form they are
// compared (and sorted) in: every character of the Basic Multilingual Plane in its upper case
// (by a table of our own, so it never changes with the C library), the rest of the UTF-8
// text as it is. So "i" and "I" are one name, "i" and U+0130 two.
std::string FoldName(std::string_view utf8);

// The small-letter form hives of the first version were written with (through the C
// library); only for reading such a hive that cannot be rewritten yet.
std::string LegacyFoldName(std::string_view utf8);

// Number of characters (code points) in UTF-8 text; a stray byte counts as one.
std::size_t CountCharacters(std::string_view utf8);

}  // namespace quorvel::reg
