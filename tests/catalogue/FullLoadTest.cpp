#include <gtest/gtest.h>

#include "CatalogueTestFiles.h"
#include "catalogue/ChannelList.h"

namespace quorvel {
namespace {

using test::TempDir;
using test::WriteCatalogue;
using Names = std::vector<std::string>;

TEST(FullLoadTest, AppendsEveryRecordWithItsUrlColumn) {
    TempDir dir;
    const auto file =
        WriteCatalogue(dir, {"", "A|http://a|TV|English", "no record",
                             "B|http://b|Radio|Deutsch|extra", "C\xC3\xA9|http://c|XXX|x"});
    ListRows rows;
    rows.Add("already there");
    std::vector<std::string> messages;
    const auto sink = [&](const std::string& m) { messages.push_back(m); };
    EXPECT_EQ(LoadFullCatalogue(file, rows, sink), 3);
    ASSERT_EQ(rows.Count(), 4);
    EXPECT_EQ(rows.At(1).text, "already there");
    EXPECT_EQ(rows.At(2).text, "A");
    EXPECT_EQ(rows.At(2).tag, "http://a");
    EXPECT_EQ(rows.At(2).subItems, (Names{"TV", "English", "http://a"}));
    EXPECT_EQ(rows.At(3).subItems, (Names{"Radio", "Deutsch", "http://b"}));
    EXPECT_EQ(rows.At(4).text, "C\xC3\xA9");
    EXPECT_TRUE(messages.empty());

    // Loading again appends again: the user clears the list first.
    EXPECT_EQ(LoadFullCatalogue(file, rows, sink), 3);
    EXPECT_EQ(rows.Count(), 7);
}

TEST(FullLoadTest, IncompleteRecordsAreLoadedAndNamedByLine) {
    TempDir dir;
    const auto file = WriteCatalogue(
        dir, {"A|http://a|TV|English", "B|http://b", "C|http://c|TV", "D|http://d|Radio|x"});
    ListRows rows;
    std::vector<std::string> messages;
    EXPECT_EQ(LoadFullCatalogue(file, rows, [&](const std::string& m) { messages.push_back(m); }),
              4);
    ASSERT_EQ(rows.Count(), 4);
    EXPECT_EQ(rows.At(2).subItems, (Names{"", "", "http://b"}));
    EXPECT_EQ(rows.At(3).subItems, (Names{"TV", "", "http://c"}));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_NE(messages[0].find("Lines 2 and 3"), std::string::npos) << messages[0];
}

TEST(FullLoadTest, UnreadableFileIsReportedAndChangesNothing) {
    TempDir dir;
    ListRows rows;
    rows.Add("kept");
    std::vector<std::string> messages;
    const auto sink = [&](const std::string& m) { messages.push_back(m); };
    EXPECT_EQ(LoadFullCatalogue(dir / "missing.txt", rows, sink), -1);
    EXPECT_EQ(LoadFullCatalogue(dir.Path(), rows, sink), -1);
    EXPECT_EQ(rows.Count(), 1);
    ASSERT_EQ(messages.size(), 2u);
    EXPECT_NE(messages[0].find("missing.txt"), std::string::npos) << messages[0];
}

}  // namespace
}  // namespace quorvel
