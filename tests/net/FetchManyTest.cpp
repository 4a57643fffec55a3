#include "net/FetchMany.h"

#include <gtest/gtest.h>

#include <map>
#include <thread>

#include "LocalHttpServer.h"

namespace quorvel {
namespace {

HttpRequest Get(std::string url) {
    HttpRequest request;
    request.url = std::move(url);
    return request;
}

TEST(FetchMany, RunsRequestsTogetherAndADoneMayAddMore) {
    test::LocalHttpServer server;
    server.Serve("/a", "alpha", "audio/x-mpegurl");
    server.Serve("/c", "gamma");
    server.Redirect("/b", server.Url("/c"));
    server.Stall("/slow");
    std::map<std::string, HttpResponse> answers;
    FetchMany many;
    // The stalled one is still under way while the others end and a new one starts.
    HttpRequest slow = Get(server.Url("/slow"));
    slow.deadlineMs = 60'000;
    many.Add(slow, [&](HttpResponse) { ADD_FAILURE() << "the stalled request ended"; });
    many.Add(Get(server.Url("/a")), [&](HttpResponse answer) {
        answers["a"] = std::move(answer);
        many.Add(Get(server.Url("/b")), [&](HttpResponse next) {
            answers["b"] = std::move(next);
            many.Cancel();
        });
    });
    EXPECT_FALSE(many.Run());
    ASSERT_EQ(answers.size(), 2u);
    EXPECT_EQ(answers["a"].body, "alpha");
    EXPECT_EQ(answers["a"].contentType, "audio/x-mpegurl");
    EXPECT_EQ(answers["b"].body, "gamma");
    EXPECT_EQ(answers["b"].finalUrl, server.Url("/c"));
    EXPECT_EQ(many.Running(), 0u);
}

TEST(FetchMany, CancelFromAnotherThreadEndsTheRun) {
    test::LocalHttpServer server;
    server.Stall("/stall");
    FetchMany many;
    bool done = false;
    many.Add(Get(server.Url("/stall")), [&](HttpResponse) { done = true; });
    std::thread canceller([&] {
        EXPECT_TRUE(server.WaitForRequests("/stall", 1, 30000));
        many.Cancel();
    });
    EXPECT_FALSE(many.Run());
    canceller.join();
    EXPECT_FALSE(done);
}

}  // namespace
}  // namespace quorvel
