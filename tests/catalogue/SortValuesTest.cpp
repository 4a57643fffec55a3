#include "catalogue/SortValues.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>

namespace quorvel {
namespace {

using Values = std::vector<std::string>;

TEST(SortValuesTest, OrdersByCharacterCodeCapitalsFirst) {
    Values values{"b", "B", "a"};
    SortValues(values);
    EXPECT_EQ(values, (Values{"B", "a", "b"}));

    Values languages{"arabic",          "Zulu",          "English", "Old English",
                     "\xC3\xA9tranger", "Espa\xC3\xB1ol"};
    SortValues(languages);
    EXPECT_EQ(languages, (Values{"English", "Espa\xC3\xB1ol", "Old English", "Zulu", "arabic",
                                 "\xC3\xA9tranger"}));
}

TEST(SortValuesTest, UpperIndexAndTinyArraysLimitTheSort) {
    Values one{"x"};
    SortValues(one);
    EXPECT_EQ(one, Values{"x"});
    Values empty;
    SortValues(empty);
    EXPECT_TRUE(empty.empty());

    Values values{"d", "c", "b", "a"};
    SortValues(values, -1);
    EXPECT_EQ(values, (Values{"d", "c", "b", "a"}));
    SortValues(values, 0);
    EXPECT_EQ(values, (Values{"d", "c", "b", "a"}));
    SortValues(values, 2);  // the last value stays where it is
    EXPECT_EQ(values, (Values{"b", "c", "d", "a"}));
    SortValues(values, 99);  // past the end: the whole array
    EXPECT_EQ(values, (Values{"a", "b", "c", "d"}));
}

TEST(SortValuesTest, SortsAnyMixAscendingAndDescending) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        const std::size_t size = random() % 300;
        Values values(size);
        // Few distinct values, so that runs of equal ones and sorted stretches occur.
        for (auto& v : values)
            v = std::string(1 + random() % 3, static_cast<char>('A' + random() % 40));
        if (round % 10 == 0)
            std::sort(values.begin(), values.end());
        if (round % 10 == 1)
            std::sort(values.rbegin(), values.rend());

        Values expected = values;
        std::sort(expected.begin(), expected.end());
        Values ascending = values;
        SortValues(ascending);
        ASSERT_EQ(ascending, expected) << "round " << round;

        std::reverse(expected.begin(), expected.end());
        Values descending = values;
        SortValues(descending, {}, SortDirection::Descending);
        ASSERT_EQ(descending, expected) << "round " << round;
    }
}

TEST(SortValuesTest, SortedAndReversedInputDoNotTakeQuadraticTime) {
    // 100,000 values in order would take a pivot-last quicksort minutes.
    Values values(100000);
    for (std::size_t i = 0; i < values.size(); ++i)
        values[i] = "Lang" + std::to_string(1000000 + i);
    const Values sorted = values;
    SortValues(values);
    EXPECT_EQ(values, sorted);
    std::reverse(values.begin(), values.end());
    SortValues(values);
    EXPECT_EQ(values, sorted);
    SortValues(values, {}, SortDirection::Descending);
    EXPECT_EQ(values, Values(sorted.rbegin(), sorted.rend()));
}

}  // namespace
}  // namespace quorvel
