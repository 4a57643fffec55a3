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

// Filling a row the way the favorites and editing code do: Add(text), then tag and sub-items
// on the position each step returns.
int AddPiecewise(ListRows& rows, const ListRow& row) {
    int position = rows.Add(row.text);
    rows.SetTag(position, row.tag);
    position = rows.SetSubItem(position, 1, row.SubItem(1));
    return rows.SetSubItem(position, 2, row.SubItem(2));
}

TEST(ListRows, ARowFilledAfterAddEndsWhereAWholeRowWouldInEverySortColumnAndOrder) {
    const std::vector<ListRow> source = {
        Row("Zeta", "TV", "English"), Row("alpha", "Radio", "German"), Row("Beta", "Video", ""),
        Row("beta", "TV", "arabic"),  Row("Mid", "Radio", "German"),   Row("", "XXX", "Zulu"),
        Row("Other", "TV", "arabic"), Row("Zeta", "TV", "English")};
    for (const SortOrder order : {SortOrder::Ascending, SortOrder::Descending}) {
        for (int key = 0; key <= 2; ++key) {
            ListRows whole;
            ListRows piecewise;
            for (ListRows* rows : {&whole, &piecewise}) {
                rows->SetSortKey(key);
                rows->SetSortOrder(order);
                rows->SetSorted(true);
            }
            for (const ListRow& row : source) {
                whole.Add(row);
                const int position = AddPiecewise(piecewise, row);
                EXPECT_EQ(piecewise.At(position).text, row.text) << key;
            }
            ASSERT_EQ(Texts(piecewise), Texts(whole)) << "key " << key;
            for (int i = 1; i <= whole.Count(); ++i)
                EXPECT_EQ(piecewise.At(i).subItems, whole.At(i).subItems);
        }
    }
}

TEST(ListRows, ChangingTheSortColumnMovesTheRowAndTheSelectionWithIt) {
    ListRows rows;
    rows.AddRows({Row("a", "TV", "German"), Row("b", "TV", "English"), Row("c", "TV", "French"),
                  Row("d", "TV", "Arabic")});
    rows.SetSortKey(2);
    rows.SetSorted(true);  // d Arabic, b English, c French, a German
    rows.Select(2);        // b
    EXPECT_EQ(rows.SetSubItem(2, 2, "Zulu"), 4);
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"d", "c", "a", "b"}));
    EXPECT_EQ(rows.SelectedPosition(), 4);
    // Another row moving past the selected one shifts the selection, not its row.
    EXPECT_EQ(rows.SetSubItem(1, 2, "Hindi"), 3);
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"c", "a", "d", "b"}));
    EXPECT_EQ(rows.At(*rows.SelectedPosition()).text, "b");
    // Columns other than the sort column, and the row text, leave the order alone.
    EXPECT_EQ(rows.SetText(1, "zz"), 1);
    EXPECT_EQ(rows.SetSubItem(1, 1, "Radio"), 1);
    // A row equal to its neighbour stays where it is.
    EXPECT_EQ(rows.SetSubItem(2, 2, "French"), 2);
    rows.SetSortKey(0);  // a, b, d, zz
    EXPECT_EQ(rows.SetText(4, "c"), 3);
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"a", "b", "c", "d"}));
}

TEST(ListRows, DeferredPlacementKeepsPositionsForAWalkAndSortsOnceAtItsEnd) {
    ListRows rows;
    rows.AddRows({Row("a"), Row("b"), Row("c")});
    rows.SetSorted(true);
    rows.Select(1);
    {
        const ListRows::DeferredPlacement outer(rows);
        {
            const ListRows::DeferredPlacement inner(rows);
            EXPECT_EQ(rows.SetText(1, "d"), 1);
        }
        EXPECT_EQ(rows.SetText(2, "e"), 2);  // still deferred: the outer one lives
        EXPECT_EQ(Texts(rows), (std::vector<std::string>{"d", "e", "c"}));
    }
    EXPECT_EQ(Texts(rows), (std::vector<std::string>{"c", "d", "e"}));
    EXPECT_EQ(rows.SelectedPosition(), 2);
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
