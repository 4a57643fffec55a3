#include "files/Utf8.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

// RFC 3629's table: the lead byte's high bits give the length, every further byte is
// 10xxxxxx, and the value lies in its length's range, surrogates excepted; 0 when not so.
std::size_t ReferenceDecode(std::string_view s, char32_t& code) {
    static constexpr char32_t kLowest[] = {0, 0, 0x80, 0x800, 0x10000};
    const auto lead = static_cast<unsigned char>(s[0]);
    const std::size_t n = lead < 0x80   ? 1
                          : lead < 0xC0 ? 0
                          : lead < 0xE0 ? 2
                          : lead < 0xF0 ? 3
                          : lead < 0xF8 ? 4
                                        : 0;
    if (n == 0 || s.size() < n)
        return 0;
    char32_t value = n == 1 ? lead : lead & (0x7F >> n);
    for (std::size_t i = 1; i < n; ++i) {
        if ((s[i] & 0xC0) != 0x80)
            return 0;
        value = (value << 6) | (s[i] & 0x3F);
    }
    if (value < kLowest[n] || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF))
        return 0;
    code = value;
    return n;
}

bool ReferenceValid(std::string_view s) {
    for (std::size_t at = 0; at < s.size();) {
        char32_t code = 0;
        const std::size_t n = ReferenceDecode(s.substr(at), code);
        if (n == 0)
            return false;
        at += n;
    }
    return true;
}

// Whether the decoder and the whole-text check agree with the reference on `s`.
bool Agrees(std::string_view s) {
    char32_t want = 0, got = 0;
    const std::size_t wanted = ReferenceDecode(s, want);
    const bool same = DecodeUtf8(s, 0, got) == wanted && (wanted == 0 || got == want) &&
                      IsValidUtf8(s) == ReferenceValid(s);
    if (!same)
        ADD_FAILURE() << testing::PrintToString(std::string(s));
    return same;
}

// Every one-, two- and three-byte string and a sweep of four-byte ones: overlong forms of
// each length, surrogates, values past U+10FFFF, sequences cut short and stray continuation
// bytes, each held against the reference.
TEST(Utf8, DecodesExactlyTheWellFormedSequences) {
    char b[4];
    for (int x = 0; x < 256; ++x) {
        b[0] = static_cast<char>(x);
        Agrees({b, 1});
        for (int y = 0; y < 256; ++y) {
            b[1] = static_cast<char>(y);
            Agrees({b, 2});
            for (int z = 0; z < 256; ++z) {
                b[2] = static_cast<char>(z);
                if (!Agrees({b, 3}))
                    return;
            }
        }
    }
    const unsigned char tails[] = {0x00, 0x7F, 0x80, 0x8F, 0x90, 0xBF, 0xC0, 0xFF};
    for (int x = 0x80; x < 256; ++x) {
        for (int y = 0; y < 256; ++y) {
            for (const unsigned char z : tails) {
                for (const unsigned char w : tails) {
                    const char s[] = {char(x), char(y), char(z), char(w)};
                    if (!Agrees({s, 4}))
                        return;
                }
            }
        }
    }
    // A well-formed text with one sequence broken at each place of its eight-byte steps.
    for (std::size_t at = 0; at < 24; ++at) {
        std::string text(24, 'a');
        EXPECT_TRUE(IsValidUtf8(text.replace(at, 2, "\xC3\xA9")));
        EXPECT_FALSE(IsValidUtf8(text.replace(at, 1, "\x80"))) << at;
    }
    // Read from the place given, and cut short by the end of the text, not of the sequence.
    char32_t code = 0;
    EXPECT_EQ(DecodeUtf8("a\xF0\x9F\x8E\xB5", 1, code), 4u);
    EXPECT_EQ(code, U'\U0001F3B5');
    EXPECT_EQ(DecodeUtf8("a\xE2\x82", 1, code), 0u);
}

}  // namespace
}  // namespace quorvel
