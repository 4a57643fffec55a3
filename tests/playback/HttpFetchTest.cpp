#include "playback/HttpFetch.h"

#include "LocalHttpServer.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace quorvel {
namespace {

using Clock = std::chrono::steady_clock;

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

TEST(HttpFetch, StalledServerTimesOutAndCancelEndsAtOnce) {
    test::LocalHttpServer server;
    server.Stall("/stall");
    FetchLimits limits;
    limits.totalTimeoutMs = 700;
    auto start = Clock::now();
    const FetchResult stalled = HttpGet(server.Url("/stall"), limits);
    EXPECT_FALSE(stalled.ok);
    EXPECT_TRUE(stalled.timedOut);
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(3000));

    std::atomic<bool> cancel{false};
    limits.totalTimeoutMs = 20000;
    start = Clock::now();
    // Cancelled once the request is with the server, so the transfer is under way.
    std::thread stopper([&] {
        server.WaitForRequests("/stall", 2, 20000);
        cancel = true;
    });
    const FetchResult cancelled = HttpGet(server.Url("/stall"), limits, &cancel);
    stopper.join();
    EXPECT_FALSE(cancelled.ok);
    EXPECT_EQ(cancelled.error, "Cancelled.");
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(2500));
}

}  // namespace
}  // namespace quorvel
