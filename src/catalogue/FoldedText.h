#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// Windows-1252 bytes with letter case folded (FoldCase1252 on each byte), written to `out`
// (replacing what it held, so a buffer can be reused line after line).
void FoldText1252(std::string_view bytes, std::string& out);

inline std::string FoldText1252(std::string_view bytes) {
    std::string out;
    FoldText1252(bytes, out);
    return out;
}

}  // namespace quorvel
