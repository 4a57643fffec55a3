#include "shell/guide/GuideFeeds.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

#include "../../guide/GuideTestFiles.h"
#include "LocalHttpServer.h"

namespace quorvel {
namespace {

using test::TempDir;

TEST(GuideFeeds, APlaylistsGuideIsReadWhenThePlaylistComesAndAgainOnlyWhenDue) {
    TempDir dir;
    test::LocalHttpServer server;
    server.Serve("/guide.xml", guide::test::kRulesGuide, "application/xml");
    auto playlist = std::make_shared<Playlist>();
    playlist->kind = PlaylistKind::M3u;
    // A file named by a playlist is never read: only addresses.
    playlist->guideAddresses = {server.Url("/guide.xml"), (dir / "local.xml").string()};
    std::vector<NamedPlaylist> playlists;
    const auto store = dir / "cache" / "guide.sqlite";
    GuideFeeds feeds(store);
    guide::GuideTime now = guide::test::kNow;
    feeds.now = [&now] { return now; };
    feeds.SetPlaylists([&playlists] { return playlists; });
    QSignalSpy refreshed(&feeds, &GuideFeeds::Refreshed);

    playlists.push_back({"added", playlist});
    feeds.PlaylistsChanged();
    ASSERT_TRUE(refreshed.wait(30'000));
    EXPECT_EQ(refreshed.takeFirst().at(0).toInt(), 1);
    std::string error;
    auto opened = guide::GuideStore::Open(store, error);
    ASSERT_TRUE(opened) << error;
    ASSERT_EQ(opened->Guides().size(), 1u);
    EXPECT_EQ(opened->Guides()[0].source, server.Url("/guide.xml"));
    EXPECT_EQ(opened->Guides()[0].channels, 3u);

    // Not yet due: not asked for; 12 hours later it is, and the copy held is sent back.
    feeds.RefreshDue();
    ASSERT_TRUE(refreshed.wait(30'000));
    EXPECT_EQ(server.RequestCount("/guide.xml"), 1);
    now += 12 * 3600;
    feeds.RefreshDue();
    ASSERT_TRUE(refreshed.wait(30'000));
    EXPECT_EQ(server.RequestCount("/guide.xml"), 2);
}

}  // namespace
}  // namespace quorvel
