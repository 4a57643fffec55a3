#include <gtest/gtest.h>
#include <iconv.h>
#include <locale.h>
#include <wctype.h>
#include <cctype>

#include <map>
#include <random>

#include "files/Utf8.h"

#include "search/NameSearch.h"
#include "search/SearchFold.h"

namespace quorvel {
namespace {

// Every character of the Basic Multilingual Plane against the C library: Latin letters
// lose their accents as iconv's transliteration in C.UTF-8 drops them, Greek and Cyrillic
// capitals become towlower's small letters, then lose the accents written out below;
// controls become blanks, and what the fold does not know, broken UTF-8 too, stays.
TEST(NameSearchTest, FoldOfEveryCharacterMatchesTheCLibrary) {
    const locale_t locale = newlocale(LC_ALL_MASK, "C.UTF-8", nullptr);
    ASSERT_NE(locale, nullptr);
    const locale_t previous = uselocale(locale);
    const iconv_t ascii = iconv_open("ASCII//TRANSLIT", "UTF-8");
    ASSERT_NE(ascii, reinterpret_cast<iconv_t>(-1));
    const auto translit = [&](std::string in) {
        char out[16];
        char *from = in.data(), *to = out;
        std::size_t left = in.size(), room = sizeof out;
        iconv(ascii, &from, &left, &to, &room);
        std::string text(out, to);
        for (char& c : text)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return text;
    };
    // Where the fold keeps a sign or drops an apostrophe that transliteration writes.
    const std::map<char32_t, std::string> kLatinOwn = {
        {0xD7, "\xC3\x97"}, {0xF7, "\xC3\xB7"}, {0x138, "k"}, {0x149, "n"}};
    const std::map<char32_t, char32_t> kAccents = {
        {0x3AC, 0x3B1}, {0x3AD, 0x3B5}, {0x3AE, 0x3B7}, {0x3AF, 0x3B9}, {0x3CA, 0x3B9},
        {0x390, 0x3B9}, {0x3CC, 0x3BF}, {0x3CD, 0x3C5}, {0x3CB, 0x3C5}, {0x3B0, 0x3C5},
        {0x3CE, 0x3C9}, {0x3C2, 0x3C3}, {0x451, 0x435}};
    for (char32_t c = 0; c < 0x10000; ++c) {
        if (c >= 0xD800 && c <= 0xDFFF)
            continue;
        std::string text;
        AppendUtf8(text, c);
        std::string want = text;
        if (c < 0x20) {
            want = " ";
        } else if (c < 0x80) {
            want = static_cast<char>(std::tolower(static_cast<int>(c)));
        } else if (c >= 0x300 && c <= 0x36F) {
            want.clear();
        } else if ((c >= 0xC0 && c < 0x180) || c == 0x192) {
            const auto own = kLatinOwn.find(c);
            want = own != kLatinOwn.end() ? own->second : translit(text);
        } else if ((c >= 0x386 && c <= 0x3CE) || (c >= 0x400 && c <= 0x45F)) {
            char32_t small = static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), locale));
            if (const auto plain = kAccents.find(small); plain != kAccents.end())
                small = plain->second;
            want.clear();
            AppendUtf8(want, small);
        }
        ASSERT_EQ(SearchFold(text), want) << "U+" << std::hex << static_cast<unsigned>(c);
    }
    EXPECT_EQ(SearchFold(std::string_view("\xE4\xB8\xAD\xFF\xC3\xE2\x82", 7)),
              "\xE4\xB8\xAD\xFF\xC3\xE2\x82");
    iconv_close(ascii);
    uselocale(previous);
    freelocale(locale);
}

TEST(NameSearchTest, NarrowWidenAndStartAfresh) {
    const std::vector<std::string> names = {"BBC One",   "ab", "cd",     "Caf\xC3\xA9 Jazz",
                                            "Cafeteria", "",   "bbc two"};
    NameSearch search;
    search.Load(names.size(), [&](std::size_t row) { return std::string_view(names[row]); });
    using Rows = std::vector<int>;
    EXPECT_EQ(search.Find(" "), (Rows{0, 3, 6}));  // a blank is text too
    EXPECT_EQ(search.Find(""), (Rows{0, 1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(search.Find("b"), (Rows{0, 1, 6}));
    EXPECT_EQ(search.Find("bb"), (Rows{0, 6}));
    EXPECT_EQ(search.Find("bbc o"), (Rows{0}));
    EXPECT_EQ(search.Find("bb"), (Rows{0, 6}));  // back again
    EXPECT_EQ(search.Find("bc"), (Rows{0, 6}));  // no hit spans "ab" and "cd"
    EXPECT_EQ(search.Find("CAFE"), (Rows{3, 4}));
    EXPECT_EQ(search.Find("caf\xC3\xA9 j"), (Rows{3}));
    EXPECT_EQ(search.Find("x"), Rows{});

    search.Load(1, [](std::size_t) { return std::string_view("Radio Caf\xC3\xA9"); });
    EXPECT_EQ(search.Find("cafe"), (Rows{0}));
    EXPECT_EQ(search.Find("bbc"), Rows{});
}

// Typing, deleting and retyping in any order gives what a plain fold-and-find gives.
TEST(NameSearchTest, AnySequenceOfQueriesMatchesAPlainSearch) {
    std::mt19937 random(7);
    const char* pieces[] = {"a", "b", "\xC3\xA1", "A", "\xC3\x81", "ab", " ", "\xC3\x9F", "s"};
    std::vector<std::string> names(2000);
    for (auto& name : names) {
        for (std::size_t i = random() % 8; i > 0; --i)
            name += pieces[random() % 9];
    }
    NameSearch search;
    search.Load(names.size(), [&](std::size_t row) { return std::string_view(names[row]); });
    std::string query;
    for (int step = 0; step < 400; ++step) {
        if (!query.empty() && random() % 3 == 0)
            query.pop_back();  // may leave half a character: still a query
        else
            query += pieces[random() % 9];
        std::vector<int> expected;
        const std::string folded = SearchFold(query);
        for (std::size_t row = 0; row < names.size(); ++row) {
            if (SearchFold(names[row]).find(folded) != std::string::npos)
                expected.push_back(static_cast<int>(row));
        }
        ASSERT_EQ(search.Find(query), expected) << "query " << query;
    }
}

}  // namespace
}  // namespace quorvel
