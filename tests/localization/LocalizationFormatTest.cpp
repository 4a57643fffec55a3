#include "localization/LocalizationFormat.h"

#include <gtest/gtest.h>
#include <locale.h>
#include <wctype.h>

#include "files/Utf8.h"

namespace quorvel {
namespace {

// Every character against towupper in C.UTF-8, where the capital is in Latin-1 too.
TEST(LocalizationFormat, UpperFirstCharacterMatchesTheCLibrary) {
    const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", nullptr);
    ASSERT_NE(locale, nullptr);
    for (char32_t c = 1; c < 0x800; ++c) {
        const auto upper = static_cast<char32_t>(towupper_l(static_cast<wint_t>(c), locale));
        std::string text, want;
        AppendUtf8(text, c);
        AppendUtf8(want, c < 0x100 && upper < 0x100 ? upper : c);
        text += "x";
        want += "x";
        UpperFirstCharacter(text);
        ASSERT_EQ(text, want) << "U+" << std::hex << static_cast<unsigned>(c);
    }
    freelocale(locale);
}

TEST(LocalizationFormat, TextFilesAndTagsAreReadWhole) {
    // UTF-8 only when it is valid and holds a character of two bytes or more.
    EXPECT_EQ(ReadLocalizationTxtText("Gr\xC3\xBC\xC3\x9F"
                                      "e\r\nx"),
              "Gr\xC3\xBC\xC3\x9F"
              "e\r\nx\r\n");
    EXPECT_EQ(ReadLocalizationTxtText("Gr\xFC\xDF"
                                      "e\r"),
              "Gr\xC3\xBC\xC3\x9F"
              "e\r\n");
    EXPECT_EQ(ReadLocalizationTxtText("\xC3\xBC\xFC"), "\xC3\x83\xC2\xBC\xC3\xBC\r\n");
    // A tag that ends the text is found; one cut short is not.
    EXPECT_TRUE(IsLocalizationText("x<translation_items>"));
    EXPECT_FALSE(IsLocalizationText("x<TRANSLATION_ITEMS"));
}

}  // namespace
}  // namespace quorvel
