#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "LocalHttpServer.h"
#include "TempDir.h"
#include "playlists/PlaylistStore.h"

namespace quorvel {
namespace {

using test::LocalHttpServer;
using test::TempDir;

const std::string kFirst = "#EXTM3U\n#EXTINF:-1,One\nhttp://s/1\n";
const std::string kSecond = "#EXTM3U\n#EXTINF:-1,One\nhttp://s/1\n#EXTINF:-1,Two\nhttp://s/2\n";

std::string Copy(const PlaylistStore& store, std::uint64_t id) {
    std::ifstream file(store.CopyPath(id), std::ios::binary);
    if (!file)
        return "(none)";
    return std::string(std::istreambuf_iterator<char>(file), {});
}

TEST(PlaylistStoreTest, RefreshKeepsTheLastGoodCopyThroughNotModifiedErrorsAndNonPlaylists) {
    TempDir dir;
    LocalHttpServer server;
    PlaylistStore store(dir / "Playlists");
    std::string error;
    ASSERT_TRUE(store.Load(error)) << error;
    std::uint64_t id = 0;
    // Any character of a name is kept, separators and line ends included.
    const std::string name = "Kanali \xE2\x93\x88\tlist\nsecond \\ line";
    ASSERT_TRUE(store.Add(name, server.Url("/list.m3u"), id, error)) << error;

    server.Serve("/list.m3u", kFirst, "audio/x-mpegurl");
    server.AddHeaders("/list.m3u",
                      "ETag: \"v1\"\r\nLast-Modified: Mon, 07 Dec 2026 10:00:00 GMT\r\n");
    RefreshOutcome outcome = RefreshPlaylist(store, id, 1000);
    EXPECT_EQ(outcome.result, RefreshResult::Updated) << outcome.detail;
    EXPECT_EQ(outcome.channels, 1u);
    EXPECT_EQ(Copy(store, id), kFirst);
    EXPECT_EQ(server.LastRequestHead("/list.m3u").find("If-None-Match"), std::string::npos);

    server.Serve("/list.m3u", kSecond, "audio/x-mpegurl");
    server.AddHeaders("/list.m3u", "ETag: \"v2\"\r\n");
    outcome = RefreshPlaylist(store, id, 2000);
    EXPECT_EQ(outcome.result, RefreshResult::Updated) << outcome.detail;
    EXPECT_NE(server.LastRequestHead("/list.m3u").find("If-None-Match: \"v1\""), std::string::npos);
    EXPECT_NE(server.LastRequestHead("/list.m3u")
                  .find("If-Modified-Since: Mon, 07 Dec 2026 10:00:00 GMT"),
              std::string::npos);
    EXPECT_EQ(Copy(store, id), kSecond);

    server.ServeStatus("/list.m3u", 304, "");
    outcome = RefreshPlaylist(store, id, 3000);
    EXPECT_EQ(outcome.result, RefreshResult::NotModified) << outcome.detail;
    EXPECT_NE(server.LastRequestHead("/list.m3u").find("If-None-Match: \"v2\""), std::string::npos);

    server.ServeStatus("/list.m3u", 500, "broken");
    outcome = RefreshPlaylist(store, id, 4000);
    EXPECT_EQ(outcome.result, RefreshResult::Failed);
    EXPECT_EQ(outcome.detail, "HTTP error 500");

    server.Serve("/list.m3u", "<html><body>Please log in</body></html>", "text/html");
    EXPECT_EQ(RefreshPlaylist(store, id, 5000).result, RefreshResult::NotAPlaylist);
    server.Serve("/list.m3u", "", "audio/x-mpegurl");
    EXPECT_EQ(RefreshPlaylist(store, id, 5000).result, RefreshResult::NotAPlaylist);

    // What another instance reads: the second copy, its validators, the name whole, and the
    // time of the last answer that was good or not modified.
    PlaylistStore other(dir / "Playlists");
    ASSERT_TRUE(other.Load(error)) << error;
    ASSERT_EQ(other.Playlists().size(), 1u);
    const StoredPlaylist& kept = other.Playlists()[0];
    EXPECT_EQ(kept.name, name);
    EXPECT_EQ(kept.etag, "\"v2\"");
    EXPECT_EQ(kept.refreshedAt, 3000);
    EXPECT_EQ(kept.refreshSeconds, kDefaultRefreshSeconds);
    Playlist read;
    ASSERT_TRUE(other.ReadChannels(kept, read, error)) << error;
    EXPECT_EQ(read.channels.size(), 2u);
    EXPECT_FALSE(PlaylistStore::RefreshDue(kept, 3000 + kDefaultRefreshSeconds - 1));
    EXPECT_TRUE(PlaylistStore::RefreshDue(kept, 3000 + kDefaultRefreshSeconds));

    ASSERT_TRUE(other.Remove(id, error)) << error;
    EXPECT_EQ(Copy(other, id), "(none)");
}

TEST(PlaylistStoreTest, ChangesOfTwoInstancesAreBothKept) {
    TempDir dir;
    PlaylistStore first(dir / "Playlists");
    PlaylistStore second(dir / "Playlists");
    std::string error;
    ASSERT_TRUE(first.Load(error) && second.Load(error)) << error;
    std::uint64_t a = 0, b = 0;
    ASSERT_TRUE(first.Add("A", "/tmp/a.m3u", a, error)) << error;
    // The second never saw A; its own change must not drop it.
    ASSERT_TRUE(second.Add("B", "/tmp/b.m3u", b, error)) << error;
    ASSERT_TRUE(first.Rename(a, "A2", error)) << error;
    EXPECT_NE(a, b);
    ASSERT_EQ(first.Playlists().size(), 2u);
    EXPECT_EQ(first.Playlists()[0].name, "A2");
    EXPECT_EQ(first.Playlists()[1].name, "B");
}

}  // namespace
}  // namespace quorvel
