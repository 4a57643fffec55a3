#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// Case-only folding for list fields (language, type, addresses), where accents must still
// tell names apart and positions must survive. Accent-blind name search has its own fold.

// Windows-1252 bytes with letter case folded (FoldCase1252 on each byte), written to `out`
// (replacing what it held, so a buffer can be reused line after line).
void FoldText1252(std::string_view bytes, std::string& out);

inline std::string FoldText1252(std::string_view bytes) {
    std::string out;
    FoldText1252(bytes, out);
    return out;
}

// UTF-8 text with the letters of Windows-1252 folded to small ones (ASCII, Latin-1, Š Œ Ž
// Ÿ); every other character stays as it is. The result has the same length in bytes, so
// a position found in it is the same position in the text.
std::string FoldTextUtf8(std::string_view utf8);

}  // namespace quorvel
