#include "net/FetchUrlText.h"

#include <gtest/gtest.h>

#include <functional>
#include <future>

#include "LocalHttpServer.h"
#include "StreamServer.h"
#include "UnansweredPort.h"

namespace quorvel {
namespace {

TEST(FetchUrlText, GetsTheBodyAsSentWithoutCacheAndAsMozilla) {
    test::LocalHttpServer server;
    const std::string body = "a\r\n<data>\r\n\xE9\x81\r\n</data>";  // bytes, not text
    server.Serve("/TV/Data.htm", body, "text/html");
    const FetchedText fetched = FetchUrlText(TextDownload(server.Url("/TV/Data.htm")));
    EXPECT_TRUE(fetched.Ok()) << fetched.error;
    EXPECT_EQ(fetched.text, body);
    const std::string head = server.LastRequestHead("/TV/Data.htm");
    EXPECT_EQ(head.rfind("GET /TV/Data.htm ", 0), 0u) << head;
    EXPECT_NE(head.find("User-Agent: Mozilla\r\n"), std::string::npos) << head;
    EXPECT_NE(head.find("Cache-Control: no-cache"), std::string::npos) << head;

    server.Serve("/tiny", "xy");
    EXPECT_EQ(FetchUrlText(TextDownload(server.Url("/tiny"))).text, "xy");
}

// Each way a download ends, each limit at itself and one past, with the whole reason shown
// (sizes to the nearest megabyte, times in whole seconds rounded up) and no text on a
// failure. The rows run at once.
TEST(FetchUrlText, EachOutcomeAtItsLimitHasItsReason) {
    test::LocalHttpServer server;
    const test::UnansweredPort unanswered;
    constexpr std::uint64_t kCap = 1536 * 1024;
    server.ServeFilled("/cap", kCap);
    server.ServeFilled("/over", kCap + 1);
    server.ServeStatus("/bad", 400, std::string(2 * kCap, 'e'));
    server.Serve("/end", "end");
    server.Redirect("/r1", server.Url("/end"));
    server.Redirect("/r2", server.Url("/r1"));
    server.Stall("/stall");
    server.ServeTrickle("/trickle", 900);
    server.ServeStatus("/broken", 500, "<html>Internal error <data></data></html>");
    server.Redirect("/elsewhere", "file:///etc/passwd");
    server.ServeFilled("/huge", 100ull * 1024 * 1024);  // refused, not held in memory
    const std::string refused =
        "http://127.0.0.1:" + std::to_string(test::StreamServer::RefusingPort());
    std::atomic<std::uint64_t> errorPageBytes{0};
    const auto any = [](HttpRequest&) {};
    struct Row {
        std::string url;
        std::function<void(HttpRequest&)> set;
        std::string error;  // the whole reason, or its start for the network library's own
        std::string text = {};
    };
    const Row rows[] = {
        {server.Url("/broken"), any, "The server answered with HTTP error 500."},
        {server.Url("/missing"), any, "The server answered with HTTP error 404."},
        {server.Url("/elsewhere"), any,
         "The server sent the download to an address that is not http or https."},
        {"file:///etc/passwd", any, "Only http and https addresses can be downloaded."},
        {"ftp://127.0.0.1/Data.htm", any, "Only http and https addresses can be downloaded."},
        {"gopher://x/", any, "Only http and https addresses can be downloaded."},
        {refused + "/x", any, "Failed to connect to 127.0.0.1 port"},
        {server.Url("/huge"), any, "The page is larger than 32 MB."},
        {server.Url("/cap"), [](HttpRequest& r) { r.maxBytes = kCap; }, "", std::string(kCap, 'x')},
        {server.Url("/over"), [](HttpRequest& r) { r.maxBytes = kCap; },
         "The page is larger than 2 MB."},
        {server.Url("/cap"), [](HttpRequest& r) { r.maxBytes = kCap - 1; },
         "The page is larger than 1 MB."},
        // An error page is not read, even where it would be too large.
        {server.Url("/bad"), [](HttpRequest& r) { r.maxBytes = kCap; },
         "The server answered with HTTP error 400."},
        {server.Url("/bad"),
         [&](HttpRequest& r) {
             r.progress = [&](std::uint64_t received, std::uint64_t) { errorPageBytes = received; };
         },
         "The server answered with HTTP error 400."},
        {server.Url("/r2"), [](HttpRequest& r) { r.maxRedirects = 2; }, "", "end"},
        {server.Url("/r2"), [](HttpRequest& r) { r.maxRedirects = 1; },
         "Maximum (1) redirects followed"},
        {server.Url("/stall"), [](HttpRequest& r) { r.stallTimeoutSeconds = 2; },
         "The server stopped answering (nothing arrived for 2 seconds)."},
        {server.Url("/trickle"), [](HttpRequest& r) { r.deadlineMs = 1000; },
         "The download did not finish within 1 second; it was stopped."},
        {server.Url("/trickle"), [](HttpRequest& r) { r.deadlineMs = 1001; },
         "The download did not finish within 2 seconds; it was stopped."},
        {unanswered.Url(), [](HttpRequest& r) { r.connectTimeoutMs = 1001; },
         "The server could not be reached within 2 seconds."},
    };
    std::vector<std::future<FetchedText>> answers;
    for (const Row& row : rows) {
        HttpRequest request = TextDownload(row.url);
        row.set(request);
        answers.push_back(
            std::async(std::launch::async, [request] { return FetchUrlText(request); }));
    }
    for (std::size_t i = 0; i < std::size(rows); ++i) {
        const FetchedText fetched = answers[i].get();
        SCOPED_TRACE(rows[i].url);
        EXPECT_TRUE(fetched.error.starts_with(rows[i].error) &&
                    fetched.error.empty() == rows[i].error.empty())
            << fetched.error;
        EXPECT_EQ(fetched.text, rows[i].text);
        EXPECT_EQ(fetched.tooSlow, rows[i].error.starts_with("The download did not"));
        EXPECT_FALSE(fetched.cancelled);
    }
    EXPECT_LT(errorPageBytes, kCap);
}

TEST(FetchUrlText, CancelEndsTheTransferAndProgressIsReported) {
    test::LocalHttpServer server;
    server.Stall("/stall");
    std::atomic<bool> cancel{false};
    HttpRequest options = TextDownload(server.Url("/stall"));
    options.cancel = &cancel;
    // Cancel once the server holds the request, so the cancel hits a transfer under way.
    options.progress = [&](std::uint64_t, std::uint64_t) {
        if (server.RequestCount("/stall") > 0)
            cancel = true;
    };
    const FetchedText fetched = FetchUrlText(options);
    EXPECT_TRUE(fetched.cancelled);
    EXPECT_EQ(fetched.error, "The download was cancelled.");
    EXPECT_TRUE(fetched.text.empty());

    server.ServeFilled("/big", 3 * 1024 * 1024);
    std::uint64_t last = 0;
    std::uint64_t announced = 0;
    options.cancel = nullptr;
    options.progress = [&](std::uint64_t received, std::uint64_t total) {
        EXPECT_GE(received, last);
        last = received;
        announced = total;
    };
    options.url = server.Url("/big");
    EXPECT_EQ(FetchUrlText(options).text.size(), 3u * 1024 * 1024);
    EXPECT_EQ(last, 3u * 1024 * 1024);
    EXPECT_EQ(announced, 3u * 1024 * 1024);
}

}  // namespace
}  // namespace quorvel
