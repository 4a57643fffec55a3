#include "playback/AddressResolver.h"

#include <gtest/gtest.h>

#include "LocalHttpServer.h"
#include "TempDir.h"

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

// Five playlists each naming the next are followed to the stream; a sixth is refused.
TEST(AddressResolver, PlaylistsNestAsDeepAsAllowed) {
    test::LocalHttpServer server;
    for (const int count : {5, 6}) {
        const auto name = [&](int i) {
            return "/" + std::to_string(count) + "-" + std::to_string(i) + ".m3u";
        };
        for (int i = 0; i < count; ++i)
            server.Serve(name(i), server.Url(i + 1 < count ? name(i + 1) : "/live") + "\n",
                         "audio/x-mpegurl");
        AddressResolver resolver(60'000, nullptr);
        const Resolution result = resolver.Resolve(server.Url(name(0)));
        EXPECT_EQ(result.failed, count == 6) << count;
        if (!result.failed) {
            EXPECT_EQ(result.play, std::vector<std::string>{server.Url("/live")});
        }
    }
}

// A local playlist is read up to 1 MB; a larger one goes to the engine as it is.
TEST(AddressResolver, LocalPlaylistsAreReadUpToTheCap) {
    test::TempDir dir;
    const std::string asx = "<ASX version=\"3.0\"><Entry><Ref href=\"http://x/a\"/></Entry></ASX>";
    for (const std::size_t size : {std::size_t{1} << 20, (std::size_t{1} << 20) + 1}) {
        const auto path = dir.Write("list.asx", asx + std::string(size - asx.size(), ' '));
        const Resolution result = AddressResolver(60'000, nullptr).Resolve(path.string());
        EXPECT_EQ(result.play,
                  std::vector<std::string>{size == 1u << 20 ? "http://x/a" : path.string()});
    }
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
