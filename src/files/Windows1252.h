#pragma once

#include <array>
#include <string>
#include <string_view>

namespace quorvel {

// Whether the bytes are plain ASCII, and so the same in Windows-1252 and UTF-8.
bool IsAsciiText(std::string_view bytes);

// Files of the program are bytes in Windows-1252; strings inside it are UTF-8.
// The five bytes that the code page leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// map to the C1 control of the same number, as Windows does, so every byte survives
// a round trip.
std::string Windows1252ToUtf8(std::string_view bytes);
// The same, appended to `out` (plain ASCII, the usual case, is copied as it is).
void AppendWindows1252AsUtf8(std::string& out, std::string_view bytes);
// The same, written at `out`, which has room for three bytes for each one, with every byte
// `from` written as `to` (both ASCII; the same byte for none); returns the end.
char* WriteWindows1252AsUtf8(std::string_view bytes, char* out, char from = 0, char to = 0);

namespace detail {
// What 0x80 to 0x9F stand for; every other byte is the code point of the same number. The
// five bytes the code page leaves undefined stand for their C1 controls.
inline constexpr std::array<char16_t, 32> kWindows1252HighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};
}  // namespace detail

// One byte as UTF-8 at `out`, which has room for three; returns the end. Inline, for
// converters of their own that meet a high byte now and then.
inline char* WriteWindows1252Character(unsigned char byte, char* out) {
    if (byte < 0x80) {
        *out++ = static_cast<char>(byte);
        return out;
    }
    const char32_t code = byte < 0xA0 ? detail::kWindows1252HighControls[byte - 0x80] : byte;
    if (code < 0x800) {
        *out++ = static_cast<char>(0xC0 | (code >> 6));
    } else {
        *out++ = static_cast<char>(0xE0 | (code >> 12));
        *out++ = static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    *out++ = static_cast<char>(0x80 | (code & 0x3F));
    return out;
}

// A character the code page cannot hold becomes "?"; so does a malformed UTF-8 byte.
std::string Utf8ToWindows1252(std::string_view utf8);

// Letter case folding on Windows-1252 bytes (ASCII, Latin-1 letters, Š Œ Ž Ÿ):
// the small letter of a capital, every other byte unchanged.
unsigned char FoldCase1252(unsigned char byte);

}  // namespace quorvel
