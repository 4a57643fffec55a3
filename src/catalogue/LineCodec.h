#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

// The per-byte scramble of catalogue lines: every byte a becomes a + 64, wrapping by 255
// (not 256), so code 255 encodes like code 0 and comes back as 0. Line ends are never
// encoded; an encoded line never holds byte 0. Lines of any length.
std::string EncodeLine(std::string_view text);
std::string DecodeLine(std::string_view text);

// The same on raw buffers; `out` may be `in` (in place) but must not overlap otherwise.
void EncodeBytes(const char* in, char* out, std::size_t size);
void DecodeBytes(const char* in, char* out, std::size_t size);

inline void EncodeLineInPlace(std::string& text) {
    EncodeBytes(text.data(), text.data(), text.size());
}
inline void DecodeLineInPlace(std::string& text) {
    DecodeBytes(text.data(), text.data(), text.size());
}

// Single bytes, for callers that look at one character.
constexpr unsigned char EncodeByte(unsigned char a) {
    return static_cast<unsigned char>(a + 64 + (a >= 192 ? 1 : 0));
}
constexpr unsigned char DecodeByte(unsigned char a) {
    return static_cast<unsigned char>(a - 64 - (a < 64 ? 1 : 0));
}

}  // namespace quorvel
