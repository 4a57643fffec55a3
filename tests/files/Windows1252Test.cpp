#include "files/Windows1252.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(Windows1252, EveryByteSurvivesTheRoundTripThroughUtf8) {
    std::string all;
    for (int i = 0; i < 256; ++i)
        all.push_back(static_cast<char>(i));
    const std::string utf8 = Windows1252ToUtf8(all);
    EXPECT_EQ(Utf8ToWindows1252(utf8), all);
}

TEST(Windows1252, MapsTheCodePagesOwnCharacters) {
    EXPECT_EQ(Windows1252ToUtf8("\x80"), "\u20AC");
    EXPECT_EQ(Windows1252ToUtf8("caf\xE9"), "caf\u00E9");
    EXPECT_EQ(Windows1252ToUtf8("\x9F"), "\u0178");
    // Undefined bytes become the C1 control of the same number, as on Windows.
    EXPECT_EQ(Windows1252ToUtf8("\x81\x8D\x8F\x90\x9D"), "\u0081\u008D\u008F\u0090\u009D");
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
}

TEST(Windows1252, FoldsLettersOfTheCodePageOnly) {
    EXPECT_EQ(FoldCase1252('A'), 'a');
    EXPECT_EQ(FoldCase1252('z'), 'z');
    EXPECT_EQ(FoldCase1252(0xC9), 0xE9);  // É
    EXPECT_EQ(FoldCase1252(0xD7), 0xD7);  // × has no small form
    EXPECT_EQ(FoldCase1252(0x8A), 0x9A);  // Š
    EXPECT_EQ(FoldCase1252('|'), '|');
}

}  // namespace
}  // namespace quorvel
