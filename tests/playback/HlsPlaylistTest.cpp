#include "playback/HlsPlaylist.h"
#include "playback/PlaylistFetch.h"

#include "LocalHttpServer.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(HlsPlaylist, TellsHlsFromPlainListsAndFindsWhatAMasterNames) {
    EXPECT_TRUE(HasHlsExtension("https://tv.example/live/INDEX.M3U8?token=a.mp3"));
    EXPECT_FALSE(HasHlsExtension("/home/user/index.m3u8"));
    EXPECT_FALSE(HasHlsExtension("http://tv.example/index.m3u8.mp3"));

    EXPECT_TRUE(IsHlsPlaylist("\xEF\xBB\xBF\r\n#EXTM3U\n#EXT-X-TARGETDURATION:4\nseg.ts\n"));
    EXPECT_FALSE(IsHlsPlaylist("#EXTM3U\n#EXTINF:-1,Radio\nhttp://radio.example/live\n"));
    EXPECT_FALSE(IsHlsPlaylist("http://radio.example/live\n#EXT-X-ENDLIST\n"));

    const std::string master =
        "#EXTM3U\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"en\",URI=\"audio/en.m3u8\"\n"
        "#EXT-X-MEDIA:TYPE=AUDIO,GROUP-ID=\"a\",NAME=\"muxed\"\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=1,CODECS=\"avc1\"\r\n"
        "low/index.m3u8\r\n"
        "\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=2\n"
        "# a comment between\n"
        "  http://cdn.example/high.m3u8  \n"
        "#EXTINF:1,\n"
        "segment.ts\n";
    EXPECT_EQ(HlsNestedPlaylists(master),
              (std::vector<std::string>{"audio/en.m3u8", "low/index.m3u8",
                                        "http://cdn.example/high.m3u8"}));
}

TEST(HlsPlaylist, MasterIsRefusedWhenANestedPlaylistNeverEnds) {
    test::LocalHttpServer server;
    server.Serve("/tv/low.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n#EXTINF:1,\nseg.ts\n");
    server.ServeEndless("/tv/high.m3u8", "#EXTM3U\n#EXT-X-TARGETDURATION:1\n",
                        "#EXTINF:1,\nseg.ts\n", "application/vnd.apple.mpegurl");
    HttpRequest limits = PlaylistRequest({}, 10'000);
    limits.maxBytes = 64 * 1024;
    const std::string base = server.Url("/tv/index.m3u8");
    const std::string master =
        "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nlow.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=2\nmissing.m3u8\n"
        "#EXT-X-STREAM-INF:BANDWIDTH=3\nfile:///etc/passwd\n";
    // One that is missing or not on the network is the engine's to pass over.
    EXPECT_TRUE(CheckHlsNestedPlaylists(master, base, limits).ok);
    EXPECT_EQ(server.RequestCount(), 2);

    const HlsNestedCheck endless = CheckHlsNestedPlaylists(
        master + "#EXT-X-STREAM-INF:BANDWIDTH=4\n/tv/high.m3u8\n", base, limits);
    EXPECT_FALSE(endless.ok);
    EXPECT_EQ(endless.address, server.Url("/tv/high.m3u8"));
    EXPECT_EQ(endless.fetched.failure, HttpFailure::TooLarge);

    // As many as allowed are each checked; one more is refused before any is fetched.
    std::string many = "#EXTM3U\n";
    for (std::size_t i = 0; i < kMaxHlsNestedPlaylists; ++i)
        many += "#EXT-X-STREAM-INF:BANDWIDTH=1\nlow.m3u8\n";
    EXPECT_TRUE(CheckHlsNestedPlaylists(many, base, limits).ok);
    const int requests = server.RequestCount();
    many += "#EXT-X-STREAM-INF:BANDWIDTH=1\nlow.m3u8\n";
    const HlsNestedCheck tooMany = CheckHlsNestedPlaylists(many, base, limits);
    EXPECT_FALSE(tooMany.ok);
    EXPECT_TRUE(tooMany.tooMany);
    EXPECT_EQ(server.RequestCount(), requests);
}

}  // namespace
}  // namespace quorvel
