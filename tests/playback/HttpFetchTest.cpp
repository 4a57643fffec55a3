#include "playback/HttpFetch.h"

#include "LocalHttpServer.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <functional>
#include <future>
#include <optional>

namespace quorvel {
namespace {

TEST(HttpFetch, GetsBodyAndReportsHttpErrors) {
    test::LocalHttpServer server;
    server.Serve("/list.asx", "<asx></asx>", "video/x-ms-asf");
    const FetchResult ok = HttpGet(server.Url("/list.asx"));
    EXPECT_TRUE(ok.ok) << ok.error;
    EXPECT_EQ(ok.body, "<asx></asx>");
    EXPECT_EQ(ok.contentType, "video/x-ms-asf");
    EXPECT_EQ(ok.httpStatus, 200);

    const FetchResult missing = HttpGet(server.Url("/none"));
    EXPECT_FALSE(missing.ok);
    EXPECT_EQ(missing.error, "HTTP error 404");
    EXPECT_TRUE(missing.body.empty());
    EXPECT_EQ(server.RequestCount(), 2);
}

TEST(HttpFetch, RefusesOtherSchemesAndOversizedAnswers) {
    test::LocalHttpServer server;
    server.Serve("/big", std::string(5000, 'x'));
    FetchLimits limits;
    limits.maxBytes = 1000;
    const FetchResult big = HttpGet(server.Url("/big"), limits);
    EXPECT_FALSE(big.ok);
    EXPECT_TRUE(big.body.empty());
    EXPECT_NE(big.error.find("1000"), std::string::npos) << big.error;
    EXPECT_TRUE(big.tooLarge);
    EXPECT_FALSE(big.timedOut);

    for (const char* url : {"file:///etc/hostname", "ftp://127.0.0.1/x", "gopher://x"}) {
        const FetchResult refused = HttpGet(url);
        EXPECT_FALSE(refused.ok) << url;
        EXPECT_TRUE(refused.body.empty()) << url;
    }
}

// A stalled server holds the request without end, so only the fetch's own timeout or a
// cancel can end it; should neither work, the guard takes the server down, which ends
// the fetch with another result.
TEST(HttpFetch, StalledServerTimesOutAndCancelEndsAtOnce) {
    std::optional<test::LocalHttpServer> server(std::in_place);
    server->Stall("/stall");
    const std::string url = server->Url("/stall");
    std::atomic<bool> cancel{false};
    const auto guardedGet = [&](const FetchLimits& limits, const std::function<void()>& meanwhile) {
        auto fetch = std::async(std::launch::async, [&] { return HttpGet(url, limits, &cancel); });
        meanwhile();
        if (fetch.wait_for(std::chrono::seconds(30)) != std::future_status::ready) {
            ADD_FAILURE() << "the fetch did not end";
            server.reset();
        }
        return fetch.get();
    };

    FetchLimits limits;
    limits.totalTimeoutMs = 700;
    const FetchResult stalled = guardedGet(limits, [] {});
    EXPECT_FALSE(stalled.ok);
    EXPECT_TRUE(stalled.timedOut) << stalled.error;
    EXPECT_NE(stalled.error.find("timed out"), std::string::npos) << stalled.error;
    ASSERT_TRUE(server.has_value());

    // No timeout of its own within the guard: only the cancel can end it.
    limits.totalTimeoutMs = 600000;
    const FetchResult cancelled = guardedGet(limits, [&] {
        // Cancelled once the request is with the server, so the transfer is under way.
        EXPECT_TRUE(server->WaitForRequests("/stall", 2, 30000));
        cancel = true;
    });
    EXPECT_FALSE(cancelled.ok);
    EXPECT_FALSE(cancelled.timedOut);
    EXPECT_EQ(cancelled.error, "Cancelled.");
}

}  // namespace
}  // namespace quorvel
