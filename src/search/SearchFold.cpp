#include "search/SearchFold.h"
#include "files/Utf8.h"

#include <array>
#include <cstdint>

namespace quorvel {
namespace {

// Base letters of U+00C0 to U+017F, one entry per code point; "" keeps the character.
// Two-letter entries are the ligatures and letters that stand for two.
constexpr std::array<const char*, 0x180 - 0xC0> kLatin = {
    // U+00C0
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    // U+00D0
    "d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "ss",
    // U+00E0
    "a", "a", "a", "a", "a", "a", "ae", "c", "e", "e", "e", "e", "i", "i", "i", "i",
    // U+00F0
    "d", "n", "o", "o", "o", "o", "o", "", "o", "u", "u", "u", "u", "y", "th", "y",
    // U+0100
    "a", "a", "a", "a", "a", "a", "c", "c", "c", "c", "c", "c", "c", "c", "d", "d",
    // U+0110
    "d", "d", "e", "e", "e", "e", "e", "e", "e", "e", "e", "e", "g", "g", "g", "g",
    // U+0120
    "g", "g", "g", "g", "h", "h", "h", "h", "i", "i", "i", "i", "i", "i", "i", "i",
    // U+0130
    "i", "i", "ij", "ij", "j", "j", "k", "k", "k", "l", "l", "l", "l", "l", "l", "l",
    // U+0140
    "l", "l", "l", "n", "n", "n", "n", "n", "n", "n", "n", "n", "o", "o", "o", "o",
    // U+0150
    "o", "o", "oe", "oe", "r", "r", "r", "r", "r", "r", "s", "s", "s", "s", "s", "s",
    // U+0160
    "s", "s", "t", "t", "t", "t", "t", "t", "u", "u", "u", "u", "u", "u", "u", "u",
    // U+0170
    "u", "u", "u", "u", "w", "w", "y", "y", "y", "z", "z", "z", "z", "z", "z", "s"};

// Greek and Cyrillic small letters for capitals and accented forms; 0 when unchanged.
std::uint32_t FoldGreekCyrillic(std::uint32_t c) {
    if ((c >= 0x391 && c <= 0x3A9 && c != 0x3A2) || (c >= 0x410 && c <= 0x42F))
        return c + 0x20;
    switch (c) {
        case 0x386:
        case 0x3AC:
            return 0x3B1;  // ά
        case 0x388:
        case 0x3AD:
            return 0x3B5;  // έ
        case 0x389:
        case 0x3AE:
            return 0x3B7;  // ή
        case 0x38A:
        case 0x3AF:
        case 0x3AA:
        case 0x3CA:
        case 0x390:
            return 0x3B9;  // ί ϊ ΐ
        case 0x38C:
        case 0x3CC:
            return 0x3BF;  // ό
        case 0x38E:
        case 0x3CD:
        case 0x3AB:
        case 0x3CB:
        case 0x3B0:
            return 0x3C5;  // ύ ϋ ΰ
        case 0x38F:
        case 0x3CE:
            return 0x3C9;  // ώ
        case 0x3C2:
            return 0x3C3;  // final sigma
        case 0x401:
        case 0x451:
            return 0x435;  // ё
        default:
            break;
    }
    if (c >= 0x400 && c <= 0x40F)
        return c + 0x50;
    return 0;
}

}  // namespace

void AppendSearchFold(std::string_view utf8, std::string& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const auto* end = p + utf8.size();
    while (p < end) {
        const unsigned char c = *p;
        if (c < 0x80) {
            out.push_back(c < 0x20 ? ' ' : (c >= 'A' && c <= 'Z') ? char(c + 32) : char(c));
            ++p;
            continue;
        }
        // Two- and three-byte sequences carry every letter folded here; others are copied.
        std::uint32_t code = 0;
        std::size_t length = 1;
        if (c >= 0xC2 && c <= 0xDF && end - p >= 2 && (p[1] & 0xC0) == 0x80) {
            code = ((c & 0x1Fu) << 6) | (p[1] & 0x3Fu);
            length = 2;
        } else if (c >= 0xE0 && c <= 0xEF && end - p >= 3 && (p[1] & 0xC0) == 0x80 &&
                   (p[2] & 0xC0) == 0x80) {
            code = ((c & 0x0Fu) << 12) | ((p[1] & 0x3Fu) << 6) | (p[2] & 0x3Fu);
            length = 3;
        }
        if (code >= 0xC0 && code < 0x180 && *kLatin[code - 0xC0]) {
            out.append(kLatin[code - 0xC0]);
        } else if (code == 0x192) {
            out.push_back('f');  // ƒ
        } else if (code >= 0x300 && code <= 0x36F) {
            // a combining accent: dropped
        } else if (const std::uint32_t folded = code ? FoldGreekCyrillic(code) : 0) {
            AppendUtf8(out, folded);
        } else {
            out.append(reinterpret_cast<const char*>(p), length);
        }
        p += length;
    }
}

}  // namespace quorvel
