#include <gtest/gtest.h>

#include "GuideTestFiles.h"
#include "ScopedEnv.h"
#include "guide/GuideTime.h"

namespace quorvel::guide {
namespace {

using quorvel::test::TempDir;
using namespace guide::test;

const std::vector<std::string> kRulesIds = {"one.example", "One.example", "two.example",
                                            "ghost.example"};

const std::vector<std::string> kRulesTable = {
    "one.example 20261208100000 20261208110000 Zone with space|||News",
    "one.example 20261208110000 20261208113000 Zone without space|Part two||",
    "one.example 20261208113000 20261208120000 Tom & Jerry <3> \xC3\xA9t\xC3\xA9|||",
    "one.example 20261208120000 20261208130000 News <live> & more|||",
    "one.example 20261208130000 20261208140000 Movie||a b c|",
    "one.example 20261208133000 20261208150000 Overlap|||",
    "one.example 20261208133000 20261208143000 Tie later|||",
    "One.example 20261208100000 20261208110000 Capital|||",
    "two.example 20261209000000 20261210000000 Whole day|||",
    "two.example 20261210000000 20261210010000 Onscreen||||S02E05|FSK: 12",
    "two.example 20261210010000 20261210020000 Numbered||||Season 3, Episode 5, Part 1 of 1|PG",
    "two.example 20261210020000 20261210030000 Malformed|||",
    "two.example 20261210030000 20261210040000 Totals||||Season 1 of 2, Episode 10 of 10|",
    "two.example 20261210040000 20261210050000 Other||||EP1.2|",
    "ghost.example 20261208100000 20261208110000 Ghost|||",
};

TEST(GuideRules, SmallGuideIsStoredByTheRulesWhateverItsPacking) {
    const std::string plain = kRulesGuide;
    for (const auto& [name, bytes] :
         {std::pair{"guide.xml", plain}, std::pair{"guide.gz", Gzip(plain)},
          std::pair{"guide.xz", Xz(plain)}, std::pair{"guide.twice.gz", Gzip(plain) + Gzip("")}}) {
        SCOPED_TRACE(name);
        TempDir dir;
        auto store = OpenStore(dir);
        ASSERT_TRUE(store);
        const auto path = dir.Write(name, bytes).string();
        // Imported twice: the second copy replaces the first, nothing is doubled.
        for (int round = 0; round < 2; ++round) {
            const ImportResult result = ImportGuide(*store, path, Options());
            ASSERT_EQ(result.outcome, ImportResult::Outcome::Replaced) << result.error;
            EXPECT_EQ(result.channels, 3u);
            EXPECT_EQ(result.programmes, kRulesTable.size());
        }
        EXPECT_EQ(Table(*store, kRulesIds), kRulesTable);
    }
}

TEST(GuideRules, StoreFromBeforeEpisodesOpensAndFillsThemAtTheNextImport) {
    TempDir dir;
    const auto path = dir.Write("guide.xml", kRulesGuide).string();
    ASSERT_TRUE(ImportGuide(*OpenStore(dir), path, Options()).Ok());
    {
        // The programmes' table as a store made before episodes and ratings has it.
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open((dir / "cache" / "guide.sqlite").c_str(), &raw), SQLITE_OK);
        sqlite::DatabasePtr db(raw);
        sqlite::Statement find(db.get(), "SELECT generation FROM guides");
        ASSERT_EQ(find.Step(), SQLITE_ROW);
        const std::string p = "p" + std::to_string(find.Int(0));
        find = sqlite::Statement();
        ASSERT_EQ(
            sqlite::Execute(db.get(), ("ALTER TABLE " + p + " DROP COLUMN episode; ALTER TABLE " +
                                       p + " DROP COLUMN rating")
                                          .c_str()),
            SQLITE_OK)
            << sqlite3_errmsg(db.get());
    }
    auto store = OpenStore(dir);
    ASSERT_TRUE(store);
    std::vector<std::string> before;
    for (const std::string& row : kRulesTable) {
        const auto cut = row.find("||||");
        before.push_back(cut == std::string::npos ? row : row.substr(0, cut) + "|||");
    }
    EXPECT_EQ(Table(*store, kRulesIds), before);
    ASSERT_TRUE(ImportGuide(*store, path, Options()).Ok());
    EXPECT_EQ(Table(*store, kRulesIds), kRulesTable);
}

TEST(GuideRules, NowAndNextMoveWithTheChannelsShift) {
    TempDir dir;
    auto store = OpenStore(dir);
    const auto path = dir.Write("guide.xml", kRulesGuide).string();
    ASSERT_TRUE(ImportGuide(*store, path, Options()).Ok());
    const auto at = *ParseGuideTime("20261208134500");
    const auto found = store->NowAndNextOf({{"one.example", 0},
                                            {"one.example", 3600},
                                            {"one.example", -5400},
                                            {"two.example", 0},
                                            {"nothing.example", 0}},
                                           at);
    const auto describe = [](const std::optional<StoredProgramme>& p) {
        return p ? FormatGuideTime(p->start).substr(8, 6) + "-" +
                       FormatGuideTime(p->stop).substr(8, 6) + " " + p->texts[kTitle]
                 : std::string("-");
    };
    std::vector<std::string> rows;
    for (const auto& row : found)
        rows.push_back(describe(row.now) + " / " + describe(row.next));
    EXPECT_EQ(rows, (std::vector<std::string>{
                        "133000-143000 Tie later / -",
                        "130000-140000 News <live> & more / 140000-150000 Movie",
                        "- / -",
                        "- / 000000-000000 Whole day",
                        "- / -",
                    }));

    // Removed, the guide answers nothing more.
    ASSERT_TRUE(store->RemoveGuide(std::filesystem::absolute(path).lexically_normal().string()));
    EXPECT_TRUE(store->Guides().empty());
    EXPECT_TRUE(Table(*store, kRulesIds).empty());
}

TEST(GuideRules, TimesTakeEveryFormOfTheRulesAndNothingElse) {
    const std::vector<std::pair<const char*, const char*>> rows = {
        {"20261208123456", "20261208123456"},
        {"20261208123456 +0000", "20261208123456"},
        {"20261208123456 +0130", "20261208110456"},
        {"20261208123456-0200", "20261208143456"},
        {"202612081234", "20261208123400"},
        {"2026120812", "20261208120000"},
        {"20261208", "20261208000000"},
        {"20240229 -2359", "20240229235900"},
        {"19700101", "19700101000000"},
        {"2026120", nullptr},
        {"202612081", nullptr},
        {"20261208123456 GMT", nullptr},
        {"20261208123456  +0100", nullptr},
        {"20261208123456 +01", nullptr},
        {"20261208123456 +0160", nullptr},
        {"20261308", nullptr},
        {"20230229", nullptr},
        {"20261208240000", nullptr},
        {"20261208236000", nullptr},
        {"202612081234567", nullptr},
        {"2026-12-08", nullptr},
        {"", nullptr},
    };
    for (const auto& [text, expected] : rows) {
        SCOPED_TRACE(text);
        const auto time = ParseGuideTime(text);
        if (!expected) {
            EXPECT_FALSE(time);
            continue;
        }
        ASSERT_TRUE(time);
        EXPECT_EQ(FormatGuideTime(*time), std::string(expected) + " +0000");
        EXPECT_EQ(ParseGuideTime(FormatGuideTime(*time)), time);
    }
}

TEST(GuideRules, StoreOpensOnlyAGuideStore) {
    TempDir dir;
    for (const auto& [name, bytes] :
         {std::pair{"garbage", std::string(4096, 'x')}, std::pair{"empty", std::string()}}) {
        SCOPED_TRACE(name);
        std::string error;
        const auto path = dir.Write(name, bytes);
        EXPECT_EQ(GuideStore::Open(path, error) != nullptr, bytes.empty()) << error;
        // A new store starts in an empty file; garbage is refused and left untouched.
        if (!bytes.empty()) {
            EXPECT_EQ(dir.Read(name), bytes);
        }
    }
    // Another program's database is refused and left as it was.
    const auto foreign = dir / "foreign.sqlite";
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(foreign.c_str(), &raw), SQLITE_OK);
        sqlite::DatabasePtr db(raw);
        ASSERT_EQ(sqlite::Execute(db.get(), "CREATE TABLE keys(x)"), SQLITE_OK);
    }
    std::string error;
    EXPECT_FALSE(GuideStore::Open(foreign, error));
    EXPECT_NE(error.find("not a guide store"), std::string::npos) << error;
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(foreign.c_str(), &raw), SQLITE_OK);
    sqlite::DatabasePtr db(raw);
    sqlite::Statement tables(db.get(), "SELECT group_concat(name) FROM sqlite_schema");
    ASSERT_EQ(tables.Step(), SQLITE_ROW);
    EXPECT_EQ(tables.Text(0), "keys");
}

TEST(GuideRules, StoreLivesInTheCacheFolder) {
    quorvel::test::ScopedEnv env("XDG_CACHE_HOME", "/cache/home");
    env.Set("HOME", "/home/user");
    EXPECT_EQ(DefaultGuideStorePath(), "/cache/home/quorvel/guide.sqlite");
    env.Set("XDG_CACHE_HOME", "relative");
    EXPECT_EQ(DefaultGuideStorePath(), "/home/user/.cache/quorvel/guide.sqlite");
}

}  // namespace
}  // namespace quorvel::guide
