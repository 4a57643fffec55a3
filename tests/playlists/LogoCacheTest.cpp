#include <gtest/gtest.h>

#include "LocalHttpServer.h"
#include "TempDir.h"
#include "logos/LogoCache.h"

namespace quorvel {
namespace {

using test::LocalHttpServer;
using test::TempDir;

TEST(LogoCacheTest, EachStepOfThePolicy) {
    constexpr std::int64_t t = 1'000'000;
    const LogoRecord fetched{"\"e\"", t, 0};
    const LogoRecord failed{"", 0, t};
    const struct {
        std::optional<LogoRecord> record;
        bool kept;
        std::int64_t now;
        LogoStep step;
    } rows[] = {
        {std::nullopt, false, t, LogoStep::Fetch},
        {fetched, true, t + kLogoRecheckSeconds - 1, LogoStep::Use},
        {fetched, true, t + kLogoRecheckSeconds, LogoStep::Recheck},
        {fetched, false, t, LogoStep::Fetch},  // the picture went: fetch it whole
        {failed, false, t + kLogoRetrySeconds - 1, LogoStep::WaitToRetry},
        {failed, false, t + kLogoRetrySeconds, LogoStep::Fetch},
        {LogoRecord{"", t, t}, true, t + 1, LogoStep::Use},  // a failed recheck keeps the old
    };
    for (std::size_t i = 0; i < std::size(rows); ++i)
        EXPECT_EQ(DecideLogo(rows[i].record, rows[i].kept, rows[i].now), rows[i].step) << i;
}

TEST(LogoCacheTest, OnlyImagesWithinTheCapAreFetchedAndKeptByAddress) {
    TempDir dir;
    LocalHttpServer server;
    const LogoCache cache(dir / "logos");
    const std::string url = server.Url("/a.png");
    server.Serve("/a.png", "\x89PNG picture bytes", "image/png");
    server.AddHeaders("/a.png", "ETag: \"l1\"\r\n");

    LogoFetch fetch = FetchLogo(url, "");
    ASSERT_EQ(fetch.result, LogoFetchResult::Image) << fetch.detail;
    EXPECT_EQ(fetch.etag, "\"l1\"");
    std::string error;
    ASSERT_TRUE(cache.Store(url, {fetch.etag, 5, 0}, &fetch.bytes, error)) << error;
    EXPECT_EQ(cache.Picture(url), fetch.bytes);
    EXPECT_EQ(cache.Record(url)->etag, "\"l1\"");
    EXPECT_FALSE(cache.Record(server.Url("/other.png")));

    server.ServeStatus("/a.png", 304, "");
    EXPECT_EQ(FetchLogo(url, "\"l1\"").result, LogoFetchResult::NotModified);
    EXPECT_NE(server.LastRequestHead("/a.png").find("If-None-Match: \"l1\""), std::string::npos);

    server.Serve("/page.png", "<html>login</html>", "text/html");
    server.Serve("/huge.png", std::string(kMaxLogoBytes + 1, 'x'), "image/png");
    for (const std::string& refused :
         {server.Url("/page.png"), server.Url("/huge.png"), server.Url("/missing.png"),
          std::string("file:///etc/passwd")}) {
        EXPECT_EQ(FetchLogo(refused, "").result, LogoFetchResult::Failed) << refused;
    }
}

}  // namespace
}  // namespace quorvel
