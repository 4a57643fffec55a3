#include <gtest/gtest.h>

#include "CatalogueTestFiles.h"
#include "catalogue/CatalogueRows.h"
#include "catalogue/ChannelList.h"
#include "catalogue/Publish.h"

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
    rows.Add(MakeImportRow("Caf\xC3\xA9", "http://cafe", "Radio",
                           "Fran\xC3\xA7"
                           "ais"));
    rows.Add(MakeCatalogueRow("Added", "", "", ""));
    // Sorted by name, as after a column click: the page follows the shown order.
    rows.SetSorted(true);
    ASSERT_TRUE(PublishCatalogue(rows, dir / "Data.htm").ok);
    EXPECT_EQ(dir.Read("Data.htm"),
              "<data>\r\n" +
                  test::EncodeCatalogue({"Added|||",
                                         "Caf\xC3\xA9|http://cafe|Radio|Fran\xC3\xA7"
                                         "ais",
                                         "Zed|http://zed|TV|English"}) +
                  "</data>\r\n");

    // The block read back as a catalogue gives the channels again.
    const std::string page = dir.Read("Data.htm");
    const std::string block = page.substr(8, page.size() - 8 - 9);
    const auto catalogue = dir.Write("Data.txt", block);
    ListRows loaded;
    EXPECT_EQ(LoadFullCatalogue(catalogue, loaded, [](const std::string&) {}), 3);
    EXPECT_EQ(loaded.At(2).text, "Caf\xC3\xA9");
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
        MakeImportRow("\xC3\x89"
                      "cole",
                      "http://c", "TV", "French"));  // É encodes to LF
    const PublishResult result = PublishCatalogue(rows, dir / "Data.htm");
    EXPECT_FALSE(result.ok);
    EXPECT_NE(result.error.find("Rows 2, 3 "), std::string::npos) << result.error;
    EXPECT_EQ(dir.Read("Data.htm"), "old page");
}

}  // namespace
}  // namespace quorvel
