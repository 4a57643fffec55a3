#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// Accent-blind fold for the name search; lengths change, so list fields that need stable
// positions use the case-only fold of the catalogue instead.

// UTF-8 text folded for search, so that a folded query is found in a folded name as a plain
// substring: letter case ignored; the accented Latin letters of Latin-1 and Latin
// Extended-A (and ƒ) become their base letters (ß ss, æ ae, œ oe, þ th, ĳ ij); Greek and
// Cyrillic capitals become small letters, Greek tonos and ё are dropped; combining accents
// are dropped; control characters become blanks. Everything else is kept as it is.
// Appends to `out`.
void AppendSearchFold(std::string_view utf8, std::string& out);

inline std::string SearchFold(std::string_view utf8) {
    std::string out;
    AppendSearchFold(utf8, out);
    return out;
}

}  // namespace quorvel
