#include <gtest/gtest.h>

#include "CatalogueTestFiles.h"
#include "catalogue/CatalogueRows.h"
#include "catalogue/ChannelList.h"
#include "catalogue/Publish.h"
#include "catalogue/WebUpdate.h"

namespace quorvel {
namespace {

using test::TempDir;
using Names = std::vector<std::string>;

TEST(Publish, EmptyListIsTheTwoMarkersAlone) {
    TempDir dir;
    ListRows rows;
    const PublishResult result = PublishCatalogue(rows, dir / "Data.htm");
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(dir.Read("Data.htm"), "<data>\r\n</data>\r\n");
}

TEST(Publish, EveryLayoutIsWrittenAsNameUrlCategoryTypeInListOrder) {
    TempDir dir;
    ListRows rows;
    rows.Add(MakeCatalogueRow("Zed", "http://zed", "TV", "English"));
    // É encodes to a lone LF, which ends no line: also at the end of a field.
    rows.Add(MakeImportRow("T\xC3\x89L\xC3\x89-QU\xC3\x89", "http://cafe", "Radio",
                           "Fran\xC3\xA7"
                           "ais"));
    rows.Add(MakeCatalogueRow("Added", "", "", ""));
    // Sorted by name, as after a column click: the page follows the shown order.
    rows.SetSorted(true);
    ASSERT_TRUE(PublishCatalogue(rows, dir / "Data.htm").ok);
    EXPECT_EQ(dir.Read("Data.htm"),
              "<data>\r\n" +
                  test::EncodeCatalogue({"Added|||",
                                         "T\xC3\x89L\xC3\x89-QU\xC3\x89|http://cafe|Radio|"
                                         "Fran\xC3\xA7"
                                         "ais",
                                         "Zed|http://zed|TV|English"}) +
                  "</data>\r\n");

    // The page taken in by the update and read back gives the channels again.
    const auto catalogue = dir / "Data.txt";
    ASSERT_TRUE(ApplyUpdatePage(dir.Read("Data.htm"), catalogue).Applied());
    ListRows loaded;
    EXPECT_EQ(LoadFullCatalogue(catalogue, loaded, [](const std::string&) {}), 3);
    EXPECT_EQ(loaded.At(2).text, "T\xC3\x89L\xC3\x89-QU\xC3\x89");
    EXPECT_EQ(loaded.At(2).subItems, (Names{"Radio",
                                            "Fran\xC3\xA7"
                                            "ais",
                                            "http://cafe"}));
}

TEST(Publish, RowsACatalogueCannotHoldAreNamedAndNothingIsWritten) {
    TempDir dir;
    dir.Write("Data.htm", "old page");
    ListRows rows;
    rows.Add(MakeCatalogueRow("fine", "http://a", "TV", "English"));
    rows.Add(MakeCatalogueRow("a|b", "http://b", "TV", "English"));
    rows.Add(
        MakeImportRow("\xC3\x8C"
                      "le",
                      "http://c", "TV", "Italian"));  // Ì encodes to CR
    const PublishResult result = PublishCatalogue(rows, dir / "Data.htm");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("Rows 2, 3 "), std::string::npos) << result.error;
    EXPECT_EQ(dir.Read("Data.htm"), "old page");
    // Ten rows are named, more are counted.
    for (const int count : {10, 11}) {
        ListRows many;
        for (int i = 0; i < count; ++i)
            many.Add(MakeCatalogueRow("|", "u", "TV", "x"));
        const std::string error = PublishCatalogue(many, dir / "Data.htm").error;
        EXPECT_NE(error.find(count == 10 ? "9, 10 hold" : "9, 10 and 1 more hold"),
                  std::string::npos)
            << error;
    }
}

}  // namespace
}  // namespace quorvel
