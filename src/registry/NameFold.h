#pragma once

#include <string>
#include <string_view>

namespace quorvel::reg {

// Key and value names compare without regard to letter case; this is the form they are
// compared (and sorted) in: every letter in its small form, the rest of the UTF-8 text as it
// is. Covers every letter of Windows-1252 and the other alphabets the C library knows.
std::string FoldName(std::string_view utf8);

// Number of characters (code points) in UTF-8 text; a stray byte counts as one.
std::size_t CountCharacters(std::string_view utf8);

}  // namespace quorvel::reg
