#include <gtest/gtest.h>

#include "catalogue/CatalogueEditing.h"
#include "catalogue/CatalogueRows.h"
#include "catalogue/FoldedText.h"
#include "catalogue/ListCleanup.h"

namespace quorvel {
namespace {

using Names = std::vector<std::string>;

Names Texts(const ListRows& rows) {
    Names names;
    for (int position = 1; position <= rows.Count(); ++position)
        names.push_back(rows.At(position).text);
    return names;
}

// The pairwise walk, as the reference for the one-pass removal.
Names PairwiseSurvivors(ListRows rows) {
    for (int i = 1; i <= rows.Count(); ++i) {
        const std::string key = FoldTextUtf8(RowField(rows.At(i), ChannelField::Url));
        for (int j = i + 1; j <= rows.Count();) {
            if (FoldTextUtf8(RowField(rows.At(j), ChannelField::Url)) == key)
                rows.RemoveAt(j);
            else
                ++j;
        }
    }
    return Texts(rows);
}

TEST(RemoveDuplicates, KeepsTheFirstOfEachAddressOnBothLayouts) {
    ListRows rows;
    rows.Add(MakeCatalogueRow("a1", "http://A", "TV", "English"));
    rows.Add(MakeImportRow("b1", "http://b", "Radio", "German"));
    rows.Add(MakeImportRow("a2", "HTTP://a", "TV", "English"));       // same as a1, other case
    rows.Add(MakeCatalogueRow("b2", "http://B", "Radio", "German"));  // same as b1
    rows.Add(MakeCatalogueRow("c1", "http://caf\xC3\xA9", "TV", "x"));
    rows.Add(MakeCatalogueRow("c2", "http://CAF\xC3\x89", "TV", "x"));  // É folds to é
    rows.Add(MakeCatalogueRow("e1", "", "TV", "x"));
    rows.Add(MakeImportRow("e2", "", "TV", "x"));             // empty addresses are one group too
    rows.Add(MakeCatalogueRow("a3", "http://a", "TV", "x"));  // the last row, three times over
    rows.Add(MakeCatalogueRow("a4", "http://a", "TV", "x"));
    rows.Select(4);  // a duplicate: the selection goes with it
    EXPECT_EQ(RemoveDuplicateChannels(rows), 6);
    EXPECT_EQ(Texts(rows), (Names{"a1", "b1", "c1", "e1"}));
    EXPECT_FALSE(rows.SelectedPosition());

    // Same categories are not duplicates: only the address counts.
    ListRows sameCategory;
    sameCategory.Add(MakeCatalogueRow("x", "http://x", "TV", "English"));
    sameCategory.Add(MakeCatalogueRow("y", "http://y", "TV", "English"));
    sameCategory.Select(2);
    EXPECT_EQ(RemoveDuplicateChannels(sameCategory), 0);
    EXPECT_EQ(sameCategory.SelectedPosition(), 2);

    ListRows empty;
    EXPECT_EQ(RemoveDuplicateChannels(empty), 0);

    // Rows listed by a category have no URL column: their tags are compared.
    ListRows listed;
    for (const char* url : {"http://one", "http://two", "http://ONE"}) {
        ListRow row;
        row.text = url;
        row.tag = url;
        row.subItems = {"TV", "English"};
        listed.Add(row);
    }
    EXPECT_EQ(RemoveDuplicateChannels(listed), 1);
    EXPECT_EQ(Texts(listed), (Names{"http://one", "http://two"}));
}

TEST(RemoveDuplicates, SurvivorsMatchThePairwiseWalk) {
    ListRows rows;
    for (int i = 0; i < 400; ++i) {
        // Letters of both cases in ASCII, and in Latin-1 and beyond (\xC3, \xC5 lead them).
        const char* ends[] = {"/X", "/x", "/\xC3\x89", "/\xC3\xA9", "/\xC5\xA0", "/\xC5\xA1"};
        const std::string url = "http://h" + std::to_string((i * 7919) % 97) + ends[i % 6];
        if (i % 2 == 0)
            rows.Add(MakeCatalogueRow("r" + std::to_string(i), url, "TV", "t"));
        else
            rows.Add(MakeImportRow("r" + std::to_string(i), url, "TV", "t"));
    }
    const Names expected = PairwiseSurvivors(rows);
    RemoveDuplicateChannels(rows);
    EXPECT_EQ(Texts(rows), expected);
}

TEST(Replace, ChannelModeReplacesInNamesIgnoringCase) {
    ListRows rows;
    rows.Add(MakeCatalogueRow("BBC News HD", "u", "TV", "English"));
    rows.Add(MakeImportRow("news and NEWS", "u", "TV", "English"));
    rows.Add(MakeCatalogueRow("Caf\xC3\x89 News", "u", "TV", "English"));
    rows.Add(MakeCatalogueRow("Sport", "u", "TV", "English"));
    EXPECT_EQ(ReplaceInChannels(rows, "news", "Info", "Channel"), 3);
    EXPECT_EQ(Texts(rows), (Names{"BBC Info HD", "Info and Info", "Caf\xC3\x89 Info", "Sport"}));
    EXPECT_EQ(ReplaceInChannels(rows, "caf\xC3\xA9", "Bar", "Channel"), 1);
    EXPECT_EQ(rows.At(3).text, "Bar Info");

    // An empty search, or a column the box does not offer, changes nothing.
    EXPECT_EQ(ReplaceInChannels(rows, "", "x", "Channel"), 0);
    EXPECT_EQ(ReplaceInChannels(rows, "Sport", "x", "channel"), 0);
    EXPECT_EQ(rows.At(4).text, "Sport");
}

TEST(Replace, ASortedListIsWalkedOnceAndSortedAfterwards) {
    // Rows that moved during the walk would be skipped or replaced twice.
    ListRows rows;
    for (const char* name : {"a1", "b", "a2", "c"})
        rows.Add(MakeCatalogueRow(name, "u", "TV", "English"));
    rows.SetSorted(true);  // a1, a2, b, c
    EXPECT_EQ(ReplaceInChannels(rows, "a", "za", "Channel"), 2);
    EXPECT_EQ(Texts(rows), (Names{"b", "c", "za1", "za2"}));
    rows.Select(1);
    EXPECT_TRUE(EditSelectedChannel(rows, {"zz", "http://z", "Radio", "German"}));
    EXPECT_EQ(Texts(rows), (Names{"c", "za1", "za2", "zz"}));
    EXPECT_EQ(rows.At(4).subItems, (Names{"Radio", "German", "http://z"}));
    EXPECT_EQ(rows.SelectedPosition(), 4);
}

TEST(Replace, LanguageModeReplacesWholeTypesOnBothLayouts) {
    ListRows rows;
    rows.Add(MakeCatalogueRow("a", "http://a", "TV", "Deutsch"));
    rows.Add(MakeImportRow("b", "http://b", "TV", "Deutsch"));
    rows.Add(MakeCatalogueRow("c", "http://c", "TV", "deutsch"));
    rows.Add(MakeCatalogueRow("d", "http://d", "TV", "Deutsch/English"));
    EXPECT_EQ(ReplaceInChannels(rows, "Deutsch", "German", "Language"), 2);
    EXPECT_EQ(rows.At(1).subItems, (Names{"TV", "German", "http://a"}));
    EXPECT_EQ(rows.At(2).subItems, (Names{"http://b", "TV", "German"}));
    EXPECT_EQ(rows.At(3).SubItem(2), "deutsch");
    EXPECT_EQ(rows.At(4).SubItem(2), "Deutsch/English");
    EXPECT_EQ(ReplaceInChannels(rows, "", "x", "Language"), 0);
}

}  // namespace
}  // namespace quorvel
