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

}  // namespace quorvel
