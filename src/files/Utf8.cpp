#include "files/Utf8.h"

#include <cstdint>
#include <cstring>

namespace quorvel {

std::size_t DecodeUtf8(std::string_view text, std::size_t at, char32_t& code) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    const unsigned char lead = byte(0);
    if (lead < 0x80) {
        code = lead;
        return 1;
    }
    // The second byte's range rules out the overlong forms (E0, F0), the surrogates (ED)
    // and what lies past U+10FFFF (F4); C0, C1 and F5 on lead only overlong or too large.
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;
    if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
        code = lead & 0x1Fu;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        code = lead & 0x0Fu;
        if (lead == 0xE0)
            low = 0xA0;
        else if (lead == 0xED)
            high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        code = lead & 0x07u;
        if (lead == 0xF0)
            low = 0x90;
        else if (lead == 0xF4)
            high = 0x8F;
    } else {
        return 0;
    }
    if (text.size() - at < length || byte(1) < low || byte(1) > high)
        return 0;
    code = (code << 6) | (byte(1) & 0x3Fu);
    for (std::size_t i = 2; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80)
            return 0;
        code = (code << 6) | (byte(i) & 0x3Fu);
    }
    return length;
}

bool IsValidUtf8(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size()) {
        // Runs of ASCII, eight bytes at a time.
        while (text.size() - at >= 8) {
            std::uint64_t word;
            std::memcpy(&word, text.data() + at, 8);
            if (word & 0x8080808080808080ull)
                break;
            at += 8;
        }
        if (at == text.size())
            break;
        const std::size_t length = ValidUtf8Length(text, at);
        if (length == 0)
            return false;
        at += length;
    }
    return true;
}

}  // namespace quorvel
