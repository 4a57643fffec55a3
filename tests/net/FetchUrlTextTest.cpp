#include "net/FetchUrlText.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <functional>
#include <future>

#include "LocalHttpServer.h"
#include "UnansweredPort.h"

namespace quorvel {
namespace {

// A port on 127.0.0.1 where nothing listens: bound for a moment, then let go.
int RefusingPort() {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof(address);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address));
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    ::close(fd);
    return ntohs(address.sin_port);
}

void ExpectFailure(const FetchedText& fetched, const std::string& reasonPart) {
    EXPECT_TRUE(fetched.text.empty());
    EXPECT_FALSE(fetched.Ok());
    EXPECT_NE(fetched.error.find(reasonPart), std::string::npos) << fetched.error;
}

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

TEST(FetchUrlText, EveryFailureGivesEmptyTextAndAReason) {
    test::LocalHttpServer server;
    server.ServeStatus("/broken", 500, "<html>Internal error <data></data></html>");
    ExpectFailure(FetchUrlText(TextDownload(server.Url("/broken"))), "HTTP error 500");
    ExpectFailure(FetchUrlText(TextDownload(server.Url("/missing"))), "HTTP error 404");

    server.Redirect("/elsewhere", "file:///etc/passwd");
    ExpectFailure(FetchUrlText(TextDownload(server.Url("/elsewhere"))), "not http or https");
    for (const char* url : {"file:///etc/passwd", "ftp://127.0.0.1/Data.htm", "gopher://x/"})
        ExpectFailure(FetchUrlText(TextDownload(url)), "Only http and https");

    ExpectFailure(
        FetchUrlText(TextDownload("http://127.0.0.1:" + std::to_string(RefusingPort()) + "/x")),
        "onnect");

    // 100 MB against the default limit: refused, and not held in memory.
    server.ServeFilled("/huge", 100ull * 1024 * 1024);
    ExpectFailure(FetchUrlText(TextDownload(server.Url("/huge"))), "larger than 32 MB");

    // A redirect to another http address is followed.
    server.Serve("/target", "here");
    server.Redirect("/moved", server.Url("/target"));
    EXPECT_EQ(FetchUrlText(TextDownload(server.Url("/moved"))).text, "here");
}

// Each way a download ends, each limit at itself and one past, with the whole reason shown
// (sizes to the nearest megabyte, times in whole seconds rounded up). The rows run at once.
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
    std::atomic<std::uint64_t> errorPageBytes{0};
    struct Row {
        std::string url;
        std::function<void(HttpRequest&)> set;
        std::string error;  // none: the body arrives
    };
    const Row rows[] = {
        {server.Url("/cap"), [](HttpRequest& r) { r.maxBytes = kCap; }, ""},
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
        {server.Url("/r2"), [](HttpRequest& r) { r.maxRedirects = 2; }, ""},
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
        EXPECT_EQ(fetched.error, rows[i].error);
        EXPECT_EQ(fetched.text.empty(), !rows[i].error.empty());
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
    ExpectFailure(fetched, "cancelled");

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
