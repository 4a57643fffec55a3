#include <gtest/gtest.h>

#include <future>
#include <thread>

#include "StreamServer.h"
#include "UnansweredPort.h"
#include "health/StreamChecker.h"

namespace quorvel {
namespace {

using test::StreamServer;

struct Expect {
    std::string address;
    ProbeStatus status;
    long http;
    std::string reason;  // a part of it
    bool viaPlaylist = false;
};

TEST(StreamCheckerTest, TellsHowEachAddressAnswers) {
    StreamServer server;
    const std::string base = server.Url("");
    // A live stream sends its first bytes and never ends.
    server.Answer("/live", StreamServer::Response(200, "audio/mpeg", "ID3\x04live bytes"),
                  StreamServer::Ending::KeepOpen);
    server.Stall("/stall");
    server.Answer("/to-file",
                  StreamServer::Response(302, "", "", "Location: file:///etc/passwd\r\n"));
    server.Answer("/moved",
                  StreamServer::Response(301, "text/html", "moved", "Location: /live\r\n"));
    server.Answer("/loop", StreamServer::Response(302, "", "", "Location: /loop\r\n"));
    // As many redirects as allowed: /r3, /r2, /r1, /live.
    for (const char* hop : {"/r3", "/r2", "/r1"}) {
        const std::string next = hop[2] == '1' ? "/live" : std::string("/r") + char(hop[2] - 1);
        server.Answer(hop, StreamServer::Response(302, "", "", "Location: " + next + "\r\n"));
    }
    server.Answer("/list.m3u", StreamServer::Response(200, "audio/x-mpegurl",
                                                      "#EXTM3U\n#EXTINF:-1,Live\nlive\n"));
    server.Answer("/list.pls", StreamServer::Response(
                                   200, "audio/x-scpls",
                                   "[playlist]\nNumberOfEntries=1\nFile1=" + base + "/gone\n"));
    server.Answer("/list.asx", StreamServer::Response(200, "video/x-ms-asf",
                                                      "<ASX version=\"3.0\"><Entry><Ref href=\"" +
                                                          base + "/live\"/></Entry></ASX>"));
    // Served as plain text, known by its first bytes.
    server.Answer("/hls", StreamServer::Response(200, "text/plain",
                                                 "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nlive\n"));
    // A playlist naming a playlist: the second is probed as a stream, not read.
    server.Answer("/outer.m3u",
                  StreamServer::Response(200, "audio/x-mpegurl", base + "/list.m3u\n"));
    server.Answer("/local.m3u",
                  StreamServer::Response(200, "audio/x-mpegurl", "file:///etc/passwd\n"));
    server.Answer("/empty", StreamServer::Response(200, "audio/mpeg", ""));
    const std::string refused = "127.0.0.1:" + std::to_string(StreamServer::RefusingPort());
    const test::UnansweredPort unanswered;

    const std::vector<Expect> cases = {
        {base + "/live", ProbeStatus::Ok, 200, "audio/mpeg"},
        {base + "/gone", ProbeStatus::Dead, 404, "HTTP error 404"},
        // Times shown to the tenth of a second, rounded: 1450 ms is 1.5 s.
        {base + "/stall", ProbeStatus::Timeout, 0, "no answer within 1.5 s"},
        {unanswered.Url(), ProbeStatus::Timeout, 0, "no connection within 1.5 s"},
        {"http://" + refused + "/", ProbeStatus::Refused, 0, "connection refused"},
        {base + "/to-file", ProbeStatus::Dead, 302, "redirect to file: refused"},
        {base + "/moved", ProbeStatus::Ok, 200, "audio/mpeg"},
        {base + "/loop", ProbeStatus::Dead, 302, "too many redirects"},
        {base + "/r3", ProbeStatus::Ok, 200, "audio/mpeg"},
        {base + "/list.m3u", ProbeStatus::Ok, 200, "audio/mpeg", true},
        {base + "/outer.m3u", ProbeStatus::Ok, 200, "audio/x-mpegurl", true},
        {base + "/list.pls", ProbeStatus::Dead, 404, "HTTP error 404", true},
        {base + "/list.asx", ProbeStatus::Ok, 200, "audio/mpeg", true},
        {base + "/hls", ProbeStatus::Ok, 200, "audio/mpeg", true},
        {base + "/local.m3u", ProbeStatus::Dead, 200, "playlist names no stream"},
        {base + "/empty", ProbeStatus::Dead, 200, "no data"},
        {"rtsp://127.0.0.1:" + std::to_string(server.Port()) + "/cam", ProbeStatus::Ok, 0,
         "connected"},
        {"mms://" + refused + "/x", ProbeStatus::Refused, 0, "connection refused"},
        {"udp://239.1.1.1:1234", ProbeStatus::Unchecked, 0, "udp"},
        {"file:///etc/passwd", ProbeStatus::Dead, 0, ""},
        // The same address twice is told twice.
        {base + "/live", ProbeStatus::Ok, 200, "audio/mpeg"},
    };
    std::vector<std::string> addresses;
    for (const auto& c : cases)
        addresses.push_back(c.address);

    std::vector<int> told(cases.size(), 0);
    StreamChecker checker({/*concurrency=*/4, /*timeoutMs=*/1450, /*maxRedirects=*/3});
    const CheckReport report =
        checker.Check(addresses, [&](std::size_t index, const ProbeResult&) { ++told[index]; });

    EXPECT_FALSE(report.cancelled);
    ASSERT_EQ(report.results.size(), cases.size());
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const ProbeResult& r = report.results[i];
        SCOPED_TRACE(cases[i].address + ": " + std::string(StatusName(r.status)) + " " + r.reason);
        EXPECT_EQ(told[i], 1);
        EXPECT_EQ(r.status, cases[i].status);
        EXPECT_EQ(r.httpStatus, cases[i].http);
        EXPECT_NE(r.reason.find(cases[i].reason), std::string::npos);
        EXPECT_EQ(r.viaPlaylist, cases[i].viaPlaylist);
        EXPECT_EQ(r.firstByteMs >= 0, r.status == ProbeStatus::Ok);
    }
}

TEST(StreamCheckerTest, CancelFromAnotherThreadEndsTheCheck) {
    StreamServer server;
    server.Answer("/live", StreamServer::Response(200, "audio/mpeg", "bytes"),
                  StreamServer::Ending::KeepOpen);
    server.Stall("/stall");
    std::vector<std::string> addresses = {server.Url("/live")};
    for (int i = 0; i < 20; ++i)
        addresses.push_back(server.Url("/stall?" + std::to_string(i)));

    StreamChecker checker({/*concurrency=*/30, /*timeoutMs=*/600'000, /*maxRedirects=*/5});
    std::promise<void> firstKnown;
    std::thread canceller([&, known = firstKnown.get_future()]() mutable {
        known.wait();
        checker.Cancel();
    });
    const CheckReport report = checker.Check(addresses, [&](std::size_t index, const ProbeResult&) {
        if (index == 0)
            firstKnown.set_value();
    });
    canceller.join();

    EXPECT_TRUE(report.cancelled);
    EXPECT_EQ(report.results[0].status, ProbeStatus::Ok);
    for (std::size_t i = 1; i < addresses.size(); ++i)
        EXPECT_EQ(report.results[i].status, ProbeStatus::Unchecked);
}

}  // namespace
}  // namespace quorvel
