#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include "GuideTestFiles.h"
#include "LocalHttpServer.h"

namespace quorvel::guide {
namespace {

using quorvel::test::LocalHttpServer;
using quorvel::test::TempDir;
using namespace guide::test;

const std::vector<std::string> kIds = {"one.example", "One.example", "two.example",
                                       "ghost.example"};

std::string Guide(const std::string& head, const std::string& body) {
    return "<?xml version=\"1.0\"?>\n" + head + "<tv>" + body + "</tv>\n";
}

std::string Programme(const std::string& title) {
    return "<programme start=\"20261208100000\" stop=\"20261208110000\" channel=\"c\"><title>" +
           title + "</title></programme>";
}

TEST(GuideImport, RefreshThatFailsKeepsTheEarlierCopy) {
    const std::string good = Gzip(kRulesGuide);
    struct Row {
        const char* name;
        std::string body;  // empty: the server answers 404
        std::uint64_t maxUnpacked;
        const char* error;
    };
    const std::vector<Row> rows = {
        {"cut off", good.substr(0, good.size() / 2), kMaxUnpackedGuide,
         "ends early; cut off at line"},
        {"server error", "", kMaxUnpackedGuide, "404"},
        {"entity declared", Guide("<!DOCTYPE tv [<!ENTITY a \"x\">]>", Programme("&a;")),
         kMaxUnpackedGuide, "declares an entity"},
        {"unpacks past the cap", good, 1024, "larger than"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        LocalHttpServer server;
        TempDir dir;
        auto store = OpenStore(dir);
        server.Serve("/guide", good);
        const auto url = server.Url("/guide");
        ASSERT_EQ(ImportGuide(*store, url, Options()).outcome, ImportResult::Outcome::Replaced);
        const auto before = Table(*store, kIds);

        if (row.body.empty())
            server.ServeStatus("/guide", 404, "gone");
        else
            server.Serve("/guide", row.body);
        ImportOptions options = Options();
        options.maxUnpacked = row.maxUnpacked;
        const ImportResult result = ImportGuide(*store, url, options);
        EXPECT_EQ(result.outcome, ImportResult::Outcome::KeptEarlier);
        EXPECT_NE(result.error.find(row.error), std::string::npos) << result.error;
        EXPECT_EQ(Table(*store, kIds), before);
        const auto guides = store->Guides();
        ASSERT_EQ(guides.size(), 1u);
        EXPECT_EQ(guides[0].lastError, result.error);
    }
}

TEST(GuideImport, RefreshAsksOnlyForAChangedCopyAndWhenDue) {
    LocalHttpServer server;
    TempDir dir;
    auto store = OpenStore(dir);
    server.Serve("/guide", Gzip(kRulesGuide));
    server.AddHeaders("/guide", "ETag: \"v1\"\r\nLast-Modified: Tue, 08 Dec 2026 10:00:00 GMT\r\n");
    const auto url = server.Url("/guide");
    ASSERT_EQ(ImportGuide(*store, url, Options()).outcome, ImportResult::Outcome::Replaced);
    EXPECT_EQ(server.LastRequestHead("/guide").find("If-None-Match"), std::string::npos);
    const auto before = Table(*store, kIds);

    server.ServeStatus("/guide", 304, "");
    ImportOptions later = Options();
    later.now = kNow + 3600;
    const ImportResult unchanged = ImportGuide(*store, url, later);
    EXPECT_EQ(unchanged.outcome, ImportResult::Outcome::Unchanged) << unchanged.error;
    EXPECT_EQ(unchanged.programmes, before.size());
    const std::string head = server.LastRequestHead("/guide");
    EXPECT_NE(head.find("If-None-Match: \"v1\""), std::string::npos) << head;
    EXPECT_NE(head.find("If-Modified-Since: Tue, 08 Dec 2026 10:00:00 GMT"), std::string::npos);
    EXPECT_EQ(Table(*store, kIds), before);
    const auto guide = store->Guide(url);
    ASSERT_TRUE(guide);
    EXPECT_EQ(guide->refreshed, kNow);
    EXPECT_EQ(guide->checked, kNow + 3600);

    // Due 12 hours after it was last asked for; an hour after a failure; always when never
    // read whole.
    StoredGuide failed = *guide;
    failed.lastError = "the server answered 500";
    StoredGuide never;
    for (const auto& [what, due, at] : std::vector<std::tuple<StoredGuide, bool, GuideTime>>{
             {*guide, false, kNow + 3600 + 12 * 3600 - 1},
             {*guide, true, kNow + 3600 + 12 * 3600},
             {failed, false, kNow + 3600 + 3599},
             {failed, true, kNow + 3600 + 3600},
             {never, true, 0},
         }) {
        EXPECT_EQ(RefreshDue(what, at), due) << at - kNow;
    }
}

TEST(GuideImport, FirstCopyCutOffKeepsWhatWasReadWholeAndSaysWhere) {
    TempDir dir;
    auto store = OpenStore(dir);
    const std::string plain = kRulesGuide;
    const std::size_t cut = plain.find("<![CDATA[");
    const ImportResult result =
        ImportGuide(*store, dir.Write("cut.xml", plain.substr(0, cut)).string(), Options());
    EXPECT_EQ(result.outcome, ImportResult::Outcome::KeptPartial);
    EXPECT_NE(result.error.find("cut off at line 18"), std::string::npos) << result.error;
    const auto table = Table(*store, kIds);
    ASSERT_EQ(table.size(), 3u);
    EXPECT_EQ(table.back(),
              "one.example 20261208113000 20261208120000 Tom & Jerry <3> \xC3\xA9t\xC3\xA9|||");
}

TEST(GuideImport, HostileGuidesAreRefusedOrBounded) {
    TempDir dir;
    const auto secret = dir.Write("secret.txt", "SECRET-CONTENT");
    const std::string secretUrl = "file://" + secret.string();
    std::string laughs = "<!DOCTYPE tv [<!ENTITY l0 \"lol\">";
    for (int i = 1; i < 10; ++i) {
        laughs += "<!ENTITY l" + std::to_string(i) + " \"";
        for (int j = 0; j < 10; ++j)
            laughs += "&l" + std::to_string(i - 1) + ";";
        laughs += "\">";
    }
    laughs += "]>";
    struct Row {
        const char* name;
        std::string bytes;
        ReaderLimits limits;
        std::uint64_t maxUnpacked;
        ImportResult::Outcome outcome;
        const char* error;  // or the one title kept
    };
    ReaderLimits shortTexts;
    shortTexts.maxText = 10;
    ReaderLimits shortTokens;
    shortTokens.maxToken = 64 * 1024;
    const auto refused = ImportResult::Outcome::Failed;
    const std::vector<Row> rows = {
        {"external entity naming a local file",
         Guide("<!DOCTYPE tv [<!ENTITY s SYSTEM \"" + secretUrl + "\">]>", Programme("&s;")),
         {},
         kMaxUnpackedGuide,
         refused,
         "declares an entity"},
        {"external DTD naming a local file",
         Guide("<!DOCTYPE tv SYSTEM \"" + secretUrl + "\">", Programme("x&s;")),
         {},
         kMaxUnpackedGuide,
         ImportResult::Outcome::Replaced,
         "x"},
        {"entity expansion",
         Guide(laughs, Programme("&l9;")),
         {},
         kMaxUnpackedGuide,
         refused,
         "declares an entity"},
        {"decompression bomb",
         Gzip(Guide("", std::string(8 << 20, ' '))),
         {},
         1 << 20,
         refused,
         "larger than 1 MB unpacked"},
        {"endless comment", Guide("", "<!--" + std::string(1 << 20, 'x') + "-->"), shortTokens,
         kMaxUnpackedGuide, refused, "longer than"},
        {"long title", Guide("", Programme("a\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9")),
         shortTexts, kMaxUnpackedGuide, ImportResult::Outcome::Replaced,
         "a\xC3\xA9\xC3\xA9\xC3\xA9\xC3\xA9"},
        {"nothing but text", "no guide here", {}, kMaxUnpackedGuide, refused, "line 1"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.name);
        TempDir store_dir;
        auto store = OpenStore(store_dir);
        ImportOptions options = Options();
        options.limits = row.limits;
        options.maxUnpacked = row.maxUnpacked;
        const ImportResult result =
            ImportGuide(*store, store_dir.Write("guide", row.bytes).string(), options);
        EXPECT_EQ(result.outcome, row.outcome) << result.error;
        const auto table = Table(*store, {"c"});
        if (row.outcome == refused) {
            EXPECT_NE(result.error.find(row.error), std::string::npos) << result.error;
            EXPECT_TRUE(table.empty());
        } else {
            ASSERT_EQ(table.size(), 1u);
            EXPECT_EQ(table[0],
                      std::string("c 20261208100000 20261208110000 ") + row.error + "|||");
        }
    }
}

TEST(GuideImport, CopyLeftHalfWrittenByAProcessThatEndedIsDroppedOnOpen) {
    TempDir dir;
    OpenStore(dir);
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(0);
    ASSERT_GT(child, 0);
    ASSERT_EQ(::waitpid(child, nullptr, 0), child);
    const auto path = dir / "cache" / "guide.sqlite";
    {
        sqlite3* raw = nullptr;
        ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
        sqlite::DatabasePtr db(raw);
        const std::string sql =
            "INSERT INTO generations(id, owner) VALUES(41, " + std::to_string(child) + "), (42, " +
            std::to_string(::getppid()) +
            ");"
            "CREATE TABLE p41(x); CREATE TABLE c41(x); CREATE TABLE n41(x); CREATE TABLE p42(x);";
        ASSERT_EQ(sqlite::Execute(db.get(), sql.c_str()), SQLITE_OK);
    }
    OpenStore(dir);
    sqlite3* raw = nullptr;
    ASSERT_EQ(sqlite3_open(path.c_str(), &raw), SQLITE_OK);
    sqlite::DatabasePtr db(raw);
    sqlite::Statement tables(db.get(),
                             "SELECT group_concat(name, ' ') FROM (SELECT name FROM sqlite_schema"
                             " WHERE name GLOB '[pcn][0-9]*' ORDER BY name)");
    ASSERT_EQ(tables.Step(), SQLITE_ROW);
    // The living writer's copy stays.
    EXPECT_EQ(tables.Text(0), "p42");
}

}  // namespace
}  // namespace quorvel::guide
