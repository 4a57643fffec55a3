#include <gtest/gtest.h>
#include <sys/stat.h>

#include "TempDir.h"
#include "catalogue/CatalogueEditing.h"
#include "catalogue/CatalogueRows.h"

namespace quorvel {
namespace {

using test::TempDir;
using Names = std::vector<std::string>;

TEST(CatalogueEditing, AddEditAndMusicTypeKeepTheCatalogueLayout) {
    ListRows rows;
    EXPECT_EQ(AddChannel(rows, {"Name", "URL", "TV", "Language/Type"}), 1);
    EXPECT_EQ(rows.At(1).subItems, (Names{"TV", "Language/Type", "URL"}));
    EXPECT_TRUE(rows.At(1).tag.empty());

    // With nothing selected OK, delete and Music Type change nothing.
    EXPECT_FALSE(EditSelectedChannel(rows, {"x", "x", "x", "x"}));
    EXPECT_FALSE(SetSelectedType(rows, "Music"));
    EXPECT_FALSE(DeleteSelectedChannel(rows));
    EXPECT_EQ(rows.At(1).text, "Name");

    ListRow loaded = MakeCatalogueRow("Old", "http://old", "Radio", "English");
    loaded.tag = "http://old";
    rows.Add(loaded);
    rows.Select(2);
    EXPECT_TRUE(EditSelectedChannel(rows, {"New", "http://new", "TV", "Deutsch"}));
    EXPECT_EQ(rows.At(2).text, "New");
    EXPECT_EQ(rows.At(2).subItems, (Names{"TV", "Deutsch", "http://new"}));
    EXPECT_EQ(rows.At(2).tag, "http://old");  // a click still plays the loaded address

    // Music Type sets the type, never the address.
    EXPECT_TRUE(SetSelectedType(rows, "Jazz"));
    EXPECT_EQ(rows.At(2).subItems, (Names{"TV", "Jazz", "http://new"}));

    EXPECT_TRUE(DeleteSelectedChannel(rows));
    ASSERT_EQ(rows.Count(), 1);
    EXPECT_FALSE(rows.SelectedPosition());
}

TEST(CatalogueEditing, ImportedRowsAreReadAndEditedByField) {
    ListRows rows;
    rows.Add(MakeImportRow("Imp", "http://imp", "Radio", "German"));
    const ChannelFields shown = RowChannelFields(rows.At(1));
    EXPECT_EQ(shown.url, "http://imp");
    EXPECT_EQ(shown.category, "Radio");
    EXPECT_EQ(shown.type, "German");

    rows.Select(1);
    EXPECT_TRUE(SetSelectedType(rows, "Music"));
    EXPECT_EQ(rows.At(1).subItems, (Names{"http://imp", "Radio", "Music"}));

    // OK writes the boxes in the catalogue layout, and the row then reads that way.
    EXPECT_TRUE(EditSelectedChannel(rows, {"Imp", "http://imp2", "TV", "Music"}));
    EXPECT_EQ(rows.At(1).layout, RowLayout::Catalogue);
    EXPECT_EQ(RowField(rows.At(1), ChannelField::Url), "http://imp2");
    EXPECT_EQ(RowField(rows.At(1), ChannelField::Category), "TV");
}

TEST(CatalogueEditing, ListImportReadsSectionsAndPairs) {
    TempDir dir;
    // A section, its passed-over line, pairs; blank and single-blank lines skipped; a
    // Windows-1252 name; a lone name at the end has no address.
    const auto file = dir.Write("list.txt",
                                "[English]\r\nskipped line\r\nOne\r\nhttp://one\r\n\r\n \r\n"
                                "Caf\xE9\r\nhttp://cafe\r\n[[Deutsch]]\r\n[not a section]\r\n"
                                "Zwei\r\nhttp://zwei\r\nLonely\r\n");
    ListRows rows;
    rows.Add("kept");
    const ImportResult result = ImportChannelList(file, "Radio", rows);
    EXPECT_TRUE(result.ok) << result.error;
    EXPECT_EQ(result.added, 3);
    ASSERT_EQ(rows.Count(), 4);
    EXPECT_EQ(rows.At(2).text, "One");
    EXPECT_EQ(rows.At(2).subItems, (Names{"http://one", "Radio", "English"}));
    EXPECT_EQ(rows.At(2).layout, RowLayout::Import);
    EXPECT_EQ(rows.At(3).text, "Caf\xC3\xA9");
    EXPECT_EQ(rows.At(4).subItems, (Names{"http://zwei", "Radio", "Deutsch"}));
    EXPECT_TRUE(rows.At(4).tag.empty());

    // A missing file, a folder, a pipe with no writer or a device adds nothing and says why.
    ASSERT_EQ(::mkfifo((dir / "pipe.txt").c_str(), 0600), 0);
    for (const auto& bad :
         {dir / "absent.txt", dir.Path(), dir / "pipe.txt", std::filesystem::path("/dev/zero")}) {
        const ImportResult failed = ImportChannelList(bad, "TV", rows);
        EXPECT_FALSE(failed.ok);
        EXPECT_NE(failed.error.find(bad.string()), std::string::npos) << failed.error;
    }
    EXPECT_EQ(rows.Count(), 4);
}

}  // namespace
}  // namespace quorvel
