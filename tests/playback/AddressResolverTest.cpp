#include "playback/AddressResolver.h"

#include <gtest/gtest.h>

#include "LocalHttpServer.h"

namespace quorvel {
namespace {

TEST(AddressResolver, PlaylistsLeadingBackToThemselvesFailAtOnce) {
    test::LocalHttpServer server;
    server.Serve("/self.m3u", server.Url("/self.m3u") + "\n", "audio/x-mpegurl");
    server.Serve("/a.m3u", server.Url("/b.pls") + "\n", "audio/x-mpegurl");
    server.Serve("/b.pls", "[playlist]\nFile1=" + server.Url("/a.m3u") + "\nNumberOfEntries=1\n",
                 "audio/x-scpls");
    for (const std::string path : {"/self.m3u", "/a.m3u"}) {
        AddressResolver resolver(60'000, nullptr);
        const Resolution result = resolver.Resolve(server.Url(path));
        EXPECT_TRUE(result.failed) << path;
        EXPECT_NE(result.failure.find("leads back"), std::string::npos) << result.failure;
        EXPECT_EQ(server.RequestCount(path), 1) << path;
    }
    EXPECT_EQ(server.RequestCount("/b.pls"), 1);
}

TEST(AddressResolver, ReferenceFileHttpEntriesAreTriedAsMmshFirst) {
    test::LocalHttpServer server;
    const std::string host = server.Url("");
    const std::string page = "[Reference]\r\nRef1=" + host + "/a\r\nRef2=rtsp://x/b\r\n";
    // Served under a media name, it is read once the engine could not play it.
    server.Serve("/live.asf", page, "video/x-ms-asf");
    AddressResolver resolver(60'000, nullptr);
    const Resolution result =
        resolver.AfterEngineFailure(server.Url("/live.asf"), 0, "unrecognized format");
    ASSERT_FALSE(result.failed) << result.failure;
    EXPECT_EQ(result.play, (std::vector<std::string>{"mmsh" + host.substr(4) + "/a", host + "/a",
                                                     "rtsp://x/b"}));
}

}  // namespace
}  // namespace quorvel
