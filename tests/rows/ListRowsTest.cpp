#include "rows/ListRows.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

std::vector<std::string> Texts(const ListRows& rows) {
    std::vector<std::string> out;
    for (int i = 1; i <= rows.Count(); ++i)
        out.push_back(rows.At(i).text);
    return out;
}

ListRow Row(std::string text, std::string category = {}, std::string type = {}) {
    ListRow row;
    row.text = std::move(text);
    row.SetSubItem(1, std::move(category));
    row.SetSubItem(2, std::move(type));
    return row;
}

TEST(ListRows, AddsAtTheEndAndRemovesByPositionFromOne) {
    ListRows rows;
    EXPECT_EQ(rows.Add("one"), 1);
    EXPECT_EQ(rows.Add("two"), 2);
    rows.SetTag(2, "http://two");
    EXPECT_EQ(rows.At(2).tag, "http://two");
    EXPECT_EQ(rows.At(1).SubItem(3), "");  // unset reads as empty
    rows.RemoveAt(1);
    ASSERT_EQ(rows.Count(), 1);
    EXPECT_EQ(rows.At(1).text, "two");
    EXPECT_THROW(rows.At(2), std::out_of_range);
    EXPECT_THROW(rows.RemoveAt(0), std::out_of_range);
    rows.Clear();
    EXPECT_EQ(rows.Count(), 0);
}

TEST(ListRows, SelectionFollowsItsRowThroughInsertsRemovalsAndSorting) {
    ListRows rows;
    rows.AddRows({Row("b"), Row("c"), Row("a")});
    EXPECT_FALSE(rows.SelectedPosition());
    rows.Select(2);  // "c"
    rows.SetSorted(true);
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"a", "b", "c"}));
    EXPECT_EQ(rows.SelectedPosition(), 3);
    rows.RemoveAt(1);
    EXPECT_EQ(rows.SelectedPosition(), 2);
    rows.RemoveAt(2);
    EXPECT_FALSE(rows.SelectedPosition());
}

TEST(ListRows, SortedModeResortsOnEveryChangeAndPlacesNewRows) {
    ListRows rows;
    rows.AddRows({Row("Zeta", "TV", "English"), Row("alpha", "Radio", "German"),
                  Row("Beta", "Video", "Arabic")});
    rows.SetSorted(true);
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"alpha", "Beta", "Zeta"}));
    rows.SetSortKey(2);
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"Beta", "Zeta", "alpha"}));
    rows.SetSortOrder(SortOrder::Descending);
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"alpha", "Zeta", "Beta"}));
    EXPECT_EQ(rows.Add(Row("Gamma", "TV", "French")), 2);
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"alpha", "Gamma", "Zeta", "Beta"}));
    // Back in unsorted mode rows are appended again.
    rows.SetSorted(false);
    EXPECT_EQ(rows.Add(Row("Aardvark")), 5);
}

TEST(ListRows, SortIgnoresLetterCaseAndKeepsEqualRowsInArrivalOrder) {
    ListRows rows;
    rows.AddRows(
        {Row("x", "tv"), Row("y", "Radio"), Row("z", "TV"), Row("w", "radio"), Row("v", "Radio")});
    rows.SetSortKey(1);
    rows.SetSorted(true);
    // Letter case decides only between texts that are otherwise equal.
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"y", "v", "w", "z", "x"}));
}

}  // namespace
}  // namespace quorvel
