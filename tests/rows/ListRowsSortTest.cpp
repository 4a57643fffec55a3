#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "rows/ListRows.h"

namespace quorvel {
namespace {

// Texts built to hit every corner of the sort's shortcuts: long shared prefixes, letter case
// differences only, texts that are prefixes of others, empty ones, bytes above 0x7F.
std::string RandomText(std::mt19937& random) {
    static const std::string kStarts[] = {
        "", "BBC ", "bbc ", "Radio Nacional ", "RADIO NACIONAL ", "\xC3\xA9"};
    static const char kLetters[] = {'a', 'B', 'b', 'A', ' ', 'z', '\xC3', '\x80', '0'};
    std::string text = kStarts[random() % 6];
    const std::size_t length = random() % 12;
    for (std::size_t i = 0; i < length; ++i)
        text.push_back(kLetters[random() % 9]);
    return text;
}

TEST(ListRowsSort, OrderMatchesCompareListTextAndKeepsArrivalOrderOfEqualRows) {
    std::mt19937 random(3);
    for (const SortOrder order : {SortOrder::Ascending, SortOrder::Descending}) {
        for (int key : {0, 2}) {
            std::vector<ListRow> source(3000);
            for (std::size_t i = 0; i < source.size(); ++i) {
                source[i].text = RandomText(random);
                if (random() % 4)
                    source[i].SetSubItem(2, RandomText(random));
                source[i].tag = std::to_string(i);  // arrival order
            }
            std::vector<ListRow> expected = source;
            std::stable_sort(expected.begin(), expected.end(),
                             [&](const ListRow& a, const ListRow& b) {
                                 const int c = CompareListText(a.Column(key), b.Column(key));
                                 return order == SortOrder::Descending ? c > 0 : c < 0;
                             });

            ListRows rows;
            rows.AddRows(source);
            rows.SetSortKey(key);
            rows.SetSortOrder(order);
            rows.SetSorted(true);
            ASSERT_EQ(rows.Count(), static_cast<int>(expected.size()));
            for (int p = 1; p <= rows.Count(); ++p) {
                ASSERT_EQ(rows.At(p).tag, expected[static_cast<std::size_t>(p - 1)].tag)
                    << "key " << key << " position " << p;
            }
        }
    }
}

}  // namespace
}  // namespace quorvel
