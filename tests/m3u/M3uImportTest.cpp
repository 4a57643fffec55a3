#include <gtest/gtest.h>

#include "TempDir.h"
#include "catalogue/CatalogueRows.h"
#include "m3u/M3uCatalogue.h"
#include "m3u/M3uParser.h"
#include "m3u/M3uRows.h"

namespace quorvel {
namespace {

std::vector<CatalogueEntry> Import(std::string_view bytes, std::string category = {}) {
    return ChannelsFromM3u(ParseM3u(bytes), {std::move(category)});
}

// Shaped like the IPTV lists people share: BOM, CR LF, header attributes, commas and
// quotes inside values, directives between #EXTINF and the address, an entry without
// #EXTINF, an #EXTINF without an address, blanks around lines.
const std::string kRealWorld =
    "\xEF\xBB\xBF#EXTM3U url-tvg=\"http://epg.example/guide.xml\" x-tvg-url=\"\"\r\n"
    "#EXTINF:-1 tvg-id=\"news.uk\" tvg-name=\"News, UK\" tvg-logo=\"http://l/a,b.png\" "
    "tvg-language=\"English;Welsh\" group-title=\"News\",News 24, Live\r\n"
    "#EXTVLCOPT:http-user-agent=Mozilla/5.0\r\n"
    "#KODIPROP:inputstream=adaptive\r\n"
    "http://cdn.example/news/index.m3u8\r\n"
    "\r\n"
    "#EXTINF:0 tvg-name=Jazz tvg-language='French, french , Spanish' radio=\"true\",\r\n"
    "   http://radio.example:8000/jazz   \r\n"
    "# a comment line\r\n"
    "http://bare.example/stream\r\n"
    "#EXTINF:-1 group-title=\"radio\" TVG-LANGUAGE=\"Deutsch\",Caf\xC3\xA9 M\xC3\xBCnchen\r\n"
    "#EXTGRP:Video\r\n"
    "rtmp://live.example/app/stream\r\n"
    "#EXTINF:-1 tvg-name=\"Orphan\",Orphan without address\r\n"
    "#EXTINF:-1 tvg-name=\"Broken quote,Title lost\r\n"
    "#EXTGRP:Video\n"
    "http://broken.example/\n"
    "#EXTINF:-1,Last\r"
    "http://last.example/";

TEST(M3uImportTest, RealWorldPlaylistWithEveryQuirk) {
    const M3uPlaylist playlist = ParseM3u(kRealWorld);
    EXPECT_EQ(playlist.entriesWithoutAddress, 1u);
    ASSERT_EQ(playlist.entries.size(), 6u);
    EXPECT_EQ(playlist.entries[0].Attribute("tvg-logo"), "http://l/a,b.png");
    EXPECT_EQ(playlist.entries[3].group, "Video");

    const std::vector<CatalogueEntry> expected = {
        {"News 24, Live", "http://cdn.example/news/index.m3u8", "TV", "English/Welsh"},
        {"Jazz", "http://radio.example:8000/jazz", "Radio", "French/Spanish"},
        {"http://bare.example/stream", "http://bare.example/stream", "TV", ""},
        // group-title names a category in another letter case; it wins over #EXTGRP.
        {"Caf\xC3\xA9 M\xC3\xBCnchen", "rtmp://live.example/app/stream", "Radio", "Deutsch"},
        // The unclosed quote swallowed the title: tvg-name stands in.
        {"Broken quote,Title lost", "http://broken.example/", "Video", ""},
        {"Last", "http://last.example/", "TV", ""},
    };
    EXPECT_EQ(Import(kRealWorld), expected);

    // A category given for the import applies to every channel.
    for (const auto& channel : Import(kRealWorld, "XXX"))
        EXPECT_EQ(channel.category, "XXX");
}

TEST(M3uImportTest, TypeComesFromLanguageElseGroupElseCountry) {
    const auto channels = Import(
        "#EXTINF:-1 tvg-language=\"English\" group-title=\"Deutsch\" tvg-country=\"FR\",A\n"
        "http://a/\n"
        "#EXTINF:-1 tvg-language=\";\" group-title=\"Deutsch\" tvg-country=\"FR\",B\n"
        "http://b/\n"
        "#EXTINF:-1 group-title=\"News;Sports\" tvg-country=\"de;AT;uk;at;INT\",C\n"
        "http://c/\n"
        "#EXTINF:-1 group-title=\"radio\" tvg-country=\"us\",D\n"
        "http://d/\n"
        "#EXTINF:-1 tvg-country=\"Italia\",E\n"
        "#EXTGRP:Movies\n"
        "http://e/\n");
    ASSERT_EQ(channels.size(), 5u);
    EXPECT_EQ(channels[0].type, "English");
    EXPECT_EQ(channels[1].type, "Deutsch");
    EXPECT_EQ(channels[2].type, "Germany/Austria/United Kingdom/INT");
    // A group that names a category sorts by kind, not by language.
    EXPECT_EQ(channels[3].category, "Radio");
    EXPECT_EQ(channels[3].type, "United States");
    EXPECT_EQ(channels[4].type, "Italia");
}

TEST(M3uImportTest, AnEntryKeepsAtMost32DistinctLanguages) {
    std::string languages;
    for (int i = 0; i < 120'000; ++i)
        languages += (i % 2 ? "l" : "L") + std::to_string(i % 40) + ";";
    const auto channels = Import("#EXTINF:-1 tvg-language=\"" + languages + "\",X\nhttp://x/\n");
    ASSERT_EQ(channels.size(), 1u);
    std::string expected = "L0";
    for (int i = 1; i < 32; ++i)
        expected += (i % 2 ? "/l" : "/L") + std::to_string(i);
    EXPECT_EQ(channels[0].type, expected);
}

TEST(M3uImportTest, FieldsBecomeStorableInACatalogue) {
    const auto channels = Import(
        "#EXTINF:-1 tvg-language=\"Fran\xC3\xA7"
        "ais\xC2\x85|English\",\xC3\x89t\xC3\xA9 | \xCE\xA9mega "
        "\xC3\xBF\xC3\x8C\t\xE2\x82\xAC\x7F\n"
        "http://h.example/\xC3\xA9t\xC3\xA9 live|x\n"
        "#EXTINF:-1,\xC3\x8Cle\n"
        "/home/me/M\xCE\xA9sic/a.mp3\n");
    ASSERT_EQ(channels.size(), 2u);
    // "|" would split the line, and so would Ì, whose encoded form is CR; controls and ÿ
    // cannot be stored either. Ω and the C1 control are not in the code page, É € are. Text all in
    // Latin-1 (the second name, the languages) takes a shorter way.
    EXPECT_EQ(channels[0].name, "\xC3\x89t\xC3\xA9 / ?mega yI \xE2\x82\xAC ");
    EXPECT_EQ(channels[1].name, "Ile");
    EXPECT_EQ(channels[0].url, "http://h.example/%C3%A9t%C3%A9%20live%7Cx");
    EXPECT_EQ(channels[0].type,
              "Fran\xC3\xA7"
              "ais?/English");
    EXPECT_EQ(channels[1].url, "/home/me/M?sic/a.mp3");
}

TEST(M3uImportTest, OlderFilesInWindows1252AreRead) {
    const auto channels = Import("#EXTINF:-1,Caf\xE9 M\xFCnchen\r\nhttp://x/\r\n");
    ASSERT_EQ(channels.size(), 1u);
    EXPECT_EQ(channels[0].name, "Caf\xC3\xA9 M\xC3\xBCnchen");
}

TEST(M3uImportTest, CatalogueSurvivesExportAndImport) {
    const std::vector<CatalogueEntry> catalogue = {
        {"BBC One", "http://bbc.example/one.m3u8", "TV", "English"},
        {"Caf\xC3\xA9, \"Jazz\" & Blues", "http://jazz.example:8000/;stream.mp3?a=1&b=2", "Radio",
         "French/Old English/Spanish"},
        {"Cartoons", "mms://video.example/kids", "Video", ""},
        {"Night", "rtsp://night.example/live", "XXX", "German"},
    };
    const std::string m3u = WriteM3u(catalogue);
    EXPECT_EQ(m3u.substr(0, 8), "#EXTM3U\n");
    EXPECT_NE(m3u.find("tvg-language=\"French;Old English;Spanish\" group-title=\"Radio\""),
              std::string::npos);
    EXPECT_EQ(Import(m3u), catalogue);

    // A channel without an address cannot be an entry and is left out.
    EXPECT_EQ(WriteM3u({{"Nothing", " ", "TV", ""}}), "#EXTM3U\n");
}

TEST(M3uImportTest, PlaylistFileBecomesRowsOfTheEditingList) {
    test::TempDir dir;
    const auto file = dir.Write("list.m3u",
                                "#EXTM3U\n#EXTINF:-1 tvg-language=\"English\","
                                "News\nhttp://news/\nhttp://bare/\n");
    const M3uRows read = ReadM3uRows(file, "Radio");
    ASSERT_TRUE(read.ok) << read.error;
    ASSERT_EQ(read.rows.size(), 2u);
    EXPECT_EQ(read.rows[0].text, "News");
    EXPECT_EQ(RowField(read.rows[0], ChannelField::Url), "http://news/");
    EXPECT_EQ(read.rows[0].tag, "http://news/");  // a click plays it
    EXPECT_EQ(RowField(read.rows[0], ChannelField::Category), "Radio");
    EXPECT_EQ(RowField(read.rows[0], ChannelField::Type), "English");

    // One entry past the cap refuses the whole file, saying why; the cap itself is read.
    std::string bare;
    for (std::size_t i = 0; i < kMaxM3uEntries; ++i)
        bare += "#EXTINF:\nx\n";
    EXPECT_EQ(ReadM3uRows(dir.Write("full.m3u", bare), "").rows.size(), kMaxM3uEntries);
    const M3uRows over = ReadM3uRows(dir.Write("over.m3u", bare + "y\n"), "");
    EXPECT_FALSE(over.ok);
    EXPECT_TRUE(over.rows.empty());
    EXPECT_NE(over.error.find("over.m3u: more than 100000 entries"), std::string::npos);

    // Addresses that grow many times over when made storable (each euro sign nine times,
    // kept twice) are refused before the rows take gigabytes.
    const M3uRows grown =
        ReadM3uRows(dir.Write("grown.m3u", "http://x/" + std::string(2 << 20, '\x80') + "\n"), "");
    EXPECT_FALSE(grown.ok);
    EXPECT_TRUE(grown.rows.empty());
    EXPECT_NE(grown.error.find("grown.m3u: its channels would take more than"), std::string::npos);

    const M3uRows missing = ReadM3uRows(dir / "missing.m3u", "");
    EXPECT_FALSE(missing.ok);
    EXPECT_NE(missing.error.find("missing.m3u"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
