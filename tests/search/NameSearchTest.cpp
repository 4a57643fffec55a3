#include <gtest/gtest.h>

#include <random>

#include "search/NameSearch.h"
#include "search/SearchFold.h"

namespace quorvel {
namespace {

TEST(NameSearchTest, FoldIgnoresCaseAndAccents) {
    EXPECT_EQ(SearchFold("Caf\xC3\xA9 M\xC3\x9CNCHEN Stra\xC3\x9F"
                         "e \xC5\x92uvre \xC5\x81\xC3\xB3"
                         "d\xC5\xBA"),
              "cafe munchen strasse oeuvre lodz");
    // Decomposed accents, Greek and Cyrillic capitals and accents.
    EXPECT_EQ(SearchFold("Cafe\xCC\x81"), SearchFold("CAF\xC3\x89"));
    EXPECT_EQ(SearchFold("\xCE\x91\xCE\xB8\xCE\xAE\xCE\xBD\xCE\xB1"),
              SearchFold("\xCE\xB1\xCE\xB8\xCE\xB7\xCE\xBD\xCE\xB1"));
    EXPECT_EQ(SearchFold("\xD0\x9C\xD0\x9E\xD0\xA1\xD0\x9A\xD0\x92\xD0\x90"),
              "\xD0\xBC\xD0\xBE\xD1\x81\xD0\xBA\xD0\xB2\xD0\xB0");
    // What it does not know, broken UTF-8 included, stays as it is; controls become blanks.
    EXPECT_EQ(SearchFold("\xE4\xB8\xAD\xFF\xC3"
                         "a\tb\0c"),
              std::string("\xE4\xB8\xAD\xFF\xC3"
                          "a b"));
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
