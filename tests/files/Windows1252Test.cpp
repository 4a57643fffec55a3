#include "files/Utf8.h"
#include "files/Windows1252.h"

#include <gtest/gtest.h>
#include <iconv.h>
#include <locale.h>
#include <wctype.h>

#include <algorithm>
#include <optional>
#include <string>

namespace quorvel {
namespace {

TEST(Windows1252, EveryByteSurvivesTheRoundTripThroughUtf8) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const std::string utf8 = Windows1252ToUtf8(all);
    EXPECT_EQ(Utf8ToWindows1252(utf8), all);
}

// Texts are converted sixteen bytes at a time: wherever the accents fall, and however the
// length splits into steps, a text converts as its bytes do one by one, and a byte asked to
// be swapped (a separator for TAB) is swapped wherever it falls.
TEST(Windows1252, ConvertsATextAsItsBytesOneByOne) {
    for (std::size_t size = 0; size <= 40; ++size) {
        for (std::size_t at = 0; at <= size; ++at) {
            std::string text(size, 'a');
            if (at < size) {
                text[at] = '\xE9';
                text[size - 1 - at] = '\x80';
                text[(at + 7) % size] = '|';
            }
            std::string expected;
            for (const char c : text)
                expected += Windows1252ToUtf8(std::string(1, c));
            EXPECT_EQ(Windows1252ToUtf8(text), expected) << size << " " << at;

            std::string swapped(3 * size, '\0');
            swapped.resize(static_cast<std::size_t>(
                WriteWindows1252AsUtf8(text, swapped.data(), '|', '\t') - swapped.data()));
            std::replace(expected.begin(), expected.end(), '|', '\t');
            EXPECT_EQ(swapped, expected) << size << " " << at;
        }
    }
}

// glibc's converter as a second opinion: every byte, and every character there is, convert
// as it does; but the five undefined bytes, which it refuses, stand for their C1 controls,
// and the tag characters, which it drops without a word, become "?" as any other.
TEST(Windows1252, ConvertsEveryByteAndEveryCharacterAsTheSystemConverterDoes) {
    const iconv_t from = iconv_open("UTF-8", "WINDOWS-1252");
    const iconv_t to = iconv_open("WINDOWS-1252", "UTF-8");
    ASSERT_NE(from, reinterpret_cast<iconv_t>(-1));
    ASSERT_NE(to, reinterpret_cast<iconv_t>(-1));
    const auto convert = [](iconv_t handle, std::string in) -> std::optional<std::string> {
        char buffer[8];
        char* src = in.data();
        char* dst = buffer;
        std::size_t srcLeft = in.size();
        std::size_t dstLeft = sizeof buffer;
        iconv(handle, nullptr, nullptr, nullptr, nullptr);
        if (iconv(handle, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1))
            return std::nullopt;
        return std::string(buffer, sizeof buffer - dstLeft);
    };
    for (int byte = 0; byte < 256; ++byte) {
        const std::string one(1, static_cast<char>(byte));
        std::string expected = convert(from, one).value_or("");
        if (expected.empty())
            AppendUtf8(expected, static_cast<char32_t>(byte));
        EXPECT_EQ(Windows1252ToUtf8(one), expected) << byte;
    }
    for (char32_t code = 1; code <= 0x10FFFF; ++code) {
        if ((code >= 0xD800 && code <= 0xDFFF) || (code >= 0xE0000 && code <= 0xE007F))
            continue;
        std::string utf8;
        AppendUtf8(utf8, code);
        const std::string expected = convert(to, utf8).value_or("?");
        const std::string got = Utf8ToWindows1252(utf8);
        if (got != expected && !(code >= 0x80 && code < 0xA0 && got == std::string(1, char(code))))
            ADD_FAILURE() << "U+" << std::hex << static_cast<unsigned>(code) << ": " << got;
    }
    iconv_close(from);
    iconv_close(to);
}

TEST(Windows1252, WritesQuestionMarksForWhatTheCodePageCannotHold) {
    EXPECT_EQ(Utf8ToWindows1252("\u4E2D\u6587 TV"), "?? TV");
    EXPECT_EQ(Utf8ToWindows1252("\u20AC5"),
              "\x80"
              "5");
    // A broken sequence costs only its own bytes, never the next character.
    EXPECT_EQ(Utf8ToWindows1252("a\xC3"
                                "b"),
              "a?b");
    EXPECT_EQ(Utf8ToWindows1252("\xFF\xFE"), "??");
    EXPECT_EQ(Utf8ToWindows1252("end\xE2\x82"), "end?");
    // Overlong forms, surrogates and code points past Unicode are broken sequences too.
    EXPECT_EQ(
        Utf8ToWindows1252("\xC0\xA9|\xE0\x82\xA9|\xF0\x82\x82\xAC|\xED\xA0\x80|\xF4\x90\x80\x80"),
        "??|?|?|?|?");
}

// Every byte against towlower in C.UTF-8, where the small letter is in the code page too.
TEST(Windows1252, FoldsLettersOfTheCodePageOnly) {
    const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    ASSERT_NE(locale, nullptr);
    for (int byte = 0; byte < 256; ++byte) {
        char32_t code = 0;
        DecodeUtf8(Windows1252ToUtf8(std::string(1, static_cast<char>(byte))), 0, code);
        std::string small;
        AppendUtf8(small, static_cast<char32_t>(towlower_l(static_cast<wint_t>(code), locale)));
        const std::string folded = Utf8ToWindows1252(small);
        EXPECT_EQ(FoldCase1252(static_cast<unsigned char>(byte)),
                  static_cast<unsigned char>(folded == "?" ? byte : folded[0]))
            << byte;
    }
    freelocale(locale);
}

}  // namespace
}  // namespace quorvel
