#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel {

// Appends one code point as UTF-8. The caller passes a valid scalar value.
inline void AppendUtf8(std::string& out, char32_t code) {
    if (code < 0x80) {
        out += static_cast<char>(code);
    } else if (code < 0x800) {
        out += static_cast<char>(0xC0 | (code >> 6));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
        out += static_cast<char>(0xE0 | (code >> 12));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (code >> 18));
        out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (code & 0x3F));
    }
}

// Strict UTF-8, one check for every reader that tells well-formed text from other bytes
// (playlists, localization files, recording names, registry names), so that they agree.

// Decodes the sequence at text[at] (at < text.size()) into `code` and returns its length,
// 1 to 4; returns 0 when the bytes there are no well-formed sequence: a stray continuation
// byte, an overlong form, a surrogate, a value past U+10FFFF or a sequence cut short.
std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& code);

// The length DecodeUtf8 gives, without the code point.
inline std::size_t ValidUtf8Length(std::string_view text, std::size_t at) {
    char32_t code = 0;
    return DecodeUtf8(text, at, code);
}

// Whether all of the text is well-formed UTF-8.
bool IsValidUtf8(std::string_view text);

}  // namespace quorvel
