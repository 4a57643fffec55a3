#include <gtest/gtest.h>

#include <condition_variable>
#include <deque>
#include <mutex>

#include "LocalHttpServer.h"
#include "TempDir.h"
#include "files/FileIo.h"
#include "logos/LogoFetcher.h"

namespace quorvel {
namespace {

using test::LocalHttpServer;
using test::TempDir;

constexpr std::int64_t kStart = 2'000'000'000;

struct Told {
    std::string address;
    LogoOutcome outcome;
    std::string bytes;
};

// What BringLogo tells, in order.
std::vector<Told> Bring(LogoCache& cache, const std::string& address, std::int64_t now) {
    std::vector<Told> told;
    BringLogo(cache, address, now, {}, nullptr,
              [&](const std::string& a, LogoOutcome o, std::string b) {
                  told.push_back({a, o, std::move(b)});
              });
    return told;
}

std::vector<LogoOutcome> Outcomes(const std::vector<Told>& told) {
    std::vector<LogoOutcome> outcomes;
    for (const Told& t : told)
        outcomes.push_back(t.outcome);
    return outcomes;
}

using Outs = std::vector<LogoOutcome>;
constexpr auto kImage = LogoOutcome::Image;
constexpr auto kNone = LogoOutcome::None;

TEST(LogoFetcherTest, CopyServesForAWeekThenIsCheckedWithItsETag) {
    TempDir dir;
    LocalHttpServer server;
    LogoCache cache(dir / "logos");
    const std::string address = server.Url("/a.png");
    server.Serve("/a.png", "first", "image/png");
    server.AddHeaders("/a.png", "ETag: \"v1\"\r\n");

    auto told = Bring(cache, address, kStart);
    ASSERT_EQ(Outcomes(told), Outs{kImage});
    EXPECT_EQ(told[0].bytes, "first");
    EXPECT_EQ(Outcomes(Bring(cache, address, kStart + kLogoRecheckSeconds - 1)), Outs{kImage});
    EXPECT_EQ(server.RequestCount("/a.png"), 1);

    // A week on: the copy shows, and the server says it is current.
    server.ServeStatus("/a.png", 304, "");
    told = Bring(cache, address, kStart + kLogoRecheckSeconds);
    ASSERT_EQ(Outcomes(told), Outs{kImage});
    EXPECT_EQ(told[0].bytes, "first");
    EXPECT_EQ(server.RequestCount("/a.png"), 2);
    EXPECT_NE(server.LastRequestHead("/a.png").find("If-None-Match: \"v1\""), std::string::npos);
    // Confirmed current: another week before the next question.
    const std::int64_t confirmed = kStart + kLogoRecheckSeconds;
    EXPECT_EQ(Outcomes(Bring(cache, address, confirmed + kLogoRecheckSeconds - 1)), Outs{kImage});
    EXPECT_EQ(server.RequestCount("/a.png"), 2);

    // Changed meanwhile: the copy, then the new logo, which is kept with its own ETag.
    server.Serve("/a.png", "second", "image/png");
    server.AddHeaders("/a.png", "ETag: \"v2\"\r\n");
    told = Bring(cache, address, confirmed + kLogoRecheckSeconds);
    ASSERT_EQ(Outcomes(told), (Outs{kImage, kImage}));
    EXPECT_EQ(told[1].bytes, "second");
    ASSERT_TRUE(cache.Record(address));
    EXPECT_EQ(cache.Record(address)->etag, "\"v2\"");
    std::string held;
    ASSERT_TRUE(cache.ReadCopy(address, held));
    EXPECT_EQ(held, "second");

    // A server down at the next check leaves the copy showing, not asked again for a day.
    server.ServeStatus("/a.png", 500, "down");
    const std::int64_t down = confirmed + 2 * kLogoRecheckSeconds;
    EXPECT_EQ(Outcomes(Bring(cache, address, down)), Outs{kImage});
    EXPECT_EQ(Outcomes(Bring(cache, address, down + kLogoRetrySeconds - 1)), Outs{kImage});
    EXPECT_EQ(server.RequestCount("/a.png"), 4);
}

TEST(LogoFetcherTest, HostileAnswersGiveNoLogoAndAreNotAskedAgainForADay) {
    TempDir dir;
    LocalHttpServer server;
    LogoCache cache(dir / "logos");
    server.Serve("/limit.png", std::string(kMaxLogoBytes, 'p'), "image/png");
    server.Serve("/past.png", std::string(kMaxLogoBytes + 1, 'p'), "image/png");
    server.Serve("/600k.png", std::string(600 * 1024, 'p'), "image/png");
    server.Serve("/page.png", "<html>not here</html>", "text/html");
    server.Serve("/vector.svg", "<svg/>", "image/svg+xml");
    server.Serve("/empty.png", "", "image/png");
    server.ServeStatus("/gone.png", 404, "gone");
    struct Row {
        const char* path;
        LogoOutcome outcome;
    };
    const Row rows[] = {
        {"/limit.png", kImage}, {"/past.png", kNone},  {"/600k.png", kNone}, {"/page.png", kNone},
        {"/vector.svg", kNone}, {"/empty.png", kNone}, {"/gone.png", kNone},
    };
    for (const Row& row : rows) {
        const std::string address = server.Url(row.path);
        EXPECT_EQ(Outcomes(Bring(cache, address, kStart)), Outs{row.outcome}) << row.path;
        if (row.outcome == kImage)
            continue;
        EXPECT_EQ(Outcomes(Bring(cache, address, kStart + kLogoRetrySeconds - 1)), Outs{kNone})
            << row.path;
        EXPECT_EQ(server.RequestCount(row.path), 1) << row.path;
        EXPECT_FALSE(cache.HasCopy(address)) << row.path;
        Bring(cache, address, kStart + kLogoRetrySeconds);
        EXPECT_EQ(server.RequestCount(row.path), 2) << row.path;
    }
    // Not a web address: refused without a look at the disk or the network.
    EXPECT_EQ(Outcomes(Bring(cache, "file:///etc/passwd", kStart)), Outs{kNone});
}

TEST(LogoFetcherTest, ARecordOfAnotherAddressOrDamagedCountsAsNone) {
    TempDir dir;
    LogoCache cache(dir / "logos");
    const std::string address = "http://logo.example/a.png";
    std::string error;
    ASSERT_TRUE(cache.StoreCopy({address, kStart, "\"e\"", 0}, "bytes", error)) << error;
    ASSERT_TRUE(cache.Record(address));
    EXPECT_EQ(cache.Record(address)->fetchedAt, kStart);
    const std::pair<const char*, const char*> damaged[] = {
        {"another address", "address http://other.example/\nfetched 5\nfailed 0\n"},
        {"a time that is no number", "address http://logo.example/a.png\nfetched 5x\n"},
        {"a negative time", "address http://logo.example/a.png\nfailed -5\n"},
        {"no address", "fetched 5\nfailed 0\n"},
        {"larger than a record", nullptr},
    };
    for (const auto& [what, text] : damaged) {
        const std::string bytes =
            text ? text : "address " + address + "\n" + std::string(8000, 'x');
        ASSERT_TRUE(WriteFileAtomically(cache.RecordPath(address), bytes, error)) << error;
        EXPECT_FALSE(cache.Record(address)) << what;
    }
    // A record naming an address with a line break is never written.
    EXPECT_FALSE(cache.StoreRecord({"http://a.example/\nfetched 1", 1, "", 0}, error));
}

TEST(LogoFetcherTest, RequestsCoalesceAndThoseScrolledAwayAreCancelled) {
    TempDir dir;
    LocalHttpServer server;
    server.Serve("/slow.png", "slow", "image/png");
    server.Hold("/slow.png");
    server.Stall("/never.png");

    std::mutex mutex;
    std::condition_variable changed;
    std::deque<Told> told;
    LogoFetcher::Options options;
    options.folder = dir / "logos";
    options.workers = 2;
    LogoFetcher fetcher(options, [&](const std::string& a, LogoOutcome o, std::string b) {
        const std::lock_guard lock(mutex);
        told.push_back({a, o, std::move(b)});
        changed.notify_all();
    });
    const auto next = [&] {
        std::unique_lock lock(mutex);
        // A failure guard, not a pace.
        if (!changed.wait_for(lock, std::chrono::seconds(10), [&] { return !told.empty(); }))
            return Told{"", LogoOutcome::None, "timed out"};
        Told first = std::move(told.front());
        told.pop_front();
        return first;
    };

    const std::string slow = server.Url("/slow.png");
    const std::string never = server.Url("/never.png");
    fetcher.Request(slow);
    ASSERT_TRUE(server.WaitForRequests("/slow.png", 1, 10'000));
    fetcher.Request(slow);  // under way: once more after, from the cache
    fetcher.Request(never);
    ASSERT_TRUE(server.WaitForRequests("/never.png", 1, 10'000));
    fetcher.Retain([&](const std::string& address) { return address == slow; });
    Told first = next();
    EXPECT_EQ(first.address, never);
    EXPECT_EQ(first.outcome, LogoOutcome::Cancelled);
    server.Release();
    Told second = next();
    EXPECT_EQ(second.address, slow);
    EXPECT_EQ(second.outcome, kImage);
    EXPECT_EQ(second.bytes, "slow");
    EXPECT_EQ(server.RequestCount("/slow.png"), 1);
}

}  // namespace
}  // namespace quorvel
