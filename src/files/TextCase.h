#pragma once

#include <string>
#include <string_view>

namespace quorvel {

// ASCII-only case helpers for UTF-8 text; bytes >= 0x80 compare as they are.
inline char ToUpperAscii(char c) {
    return (c >= 'a' && c <= 'z') ? char(c - 'a' + 'A') : c;
}
inline char ToLowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c;
}

std::string ToUpperAscii(std::string_view text);
std::string ToLowerAscii(std::string_view text);
bool EqualsIgnoringCase(std::string_view a, std::string_view b);
// Position of needle in haystack, or npos; an empty needle is found at 0.
std::size_t FindIgnoringCase(std::string_view haystack, std::string_view needle,
                             std::size_t from = 0);
inline bool StartsWithIgnoringCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           EqualsIgnoringCase(text.substr(0, prefix.size()), prefix);
}
inline bool ContainsIgnoringCase(std::string_view haystack, std::string_view needle) {
    return FindIgnoringCase(haystack, needle) != std::string_view::npos;
}
// Every occurrence of `from` (any letter case) replaced by `to`.
std::string ReplaceAllIgnoringCase(std::string_view text, std::string_view from,
                                   std::string_view to);
// Blanks (spaces only, as classic Trim does) removed from both ends.
std::string_view TrimBlanks(std::string_view text);
// Spaces and tabs removed from both ends, as the text formats we read lay out their fields.
std::string_view TrimSpacesAndTabs(std::string_view text);
// The value of a hexadecimal digit of either case; -1 for any other character.
inline int HexDigitValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    return -1;
}

}  // namespace quorvel
