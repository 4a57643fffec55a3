#pragma once

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

// A character the code page cannot hold becomes "?"; so does a malformed UTF-8 byte.
std::string Utf8ToWindows1252(std::string_view utf8);

// Letter case folding on Windows-1252 bytes (ASCII, Latin-1 letters, Š Œ Ž Ÿ):
// the small letter of a capital, every other byte unchanged.
unsigned char FoldCase1252(unsigned char byte);

}  // namespace quorvel
