// A playlist's user agent and referrer reach the server with that channel's requests only.
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include "LocalHttpServer.h"
#include "PlayerTestUtil.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace quorvel {
namespace {

TEST(ChannelHeadersTest, HeadersGoWithTheirChannelAndNeverToTheNext) {
    SessionOptions options;
    options.audioOutput = "null";
    options.networkTimeoutSeconds = 5;
    QWidget window;
    auto* player = new MediaPlayer(&window, options);
    player->setErrorPresenter([](const QString&, const QString&) {});
    window.show();
    test::LocalHttpServer server;
    const std::string mp3 = test::TestMediaBytes(test::MediaKind::Mp3);
    server.Serve("/a.mp3", mp3, "audio/mpeg");
    server.Serve("/b.mp3", mp3, "audio/mpeg");
    QSignalSpy started(player, &MediaPlayer::playbackStarted);

    // A comma and quotes inside a value stay inside it.
    player->setUrlWithHeaders(QString::fromStdString(server.Url("/a.mp3")), "Agent/1 (X, \"Y\")",
                              "http://ref.example/page");
    ASSERT_TRUE(started.wait(test::kGuardMs));
    const std::string first = server.LastRequestHead("/a.mp3");
    EXPECT_NE(first.find("User-Agent: Agent/1 (X, \"Y\")\r\n"), std::string::npos) << first;
    EXPECT_NE(first.find("Referer: http://ref.example/page"), std::string::npos) << first;

    started.clear();
    player->setUrl(QString::fromStdString(server.Url("/b.mp3")));
    ASSERT_TRUE(started.wait(test::kGuardMs));
    const std::string next = server.LastRequestHead("/b.mp3");
    EXPECT_EQ(next.find("Agent/1"), std::string::npos) << next;
    EXPECT_EQ(next.find("Referer:"), std::string::npos) << next;

    // A header that would inject another one never reaches the engine.
    started.clear();
    player->setUrlWithHeaders(QString::fromStdString(server.Url("/a.mp3")), "X\r\nHost: evil", "");
    ASSERT_TRUE(started.wait(test::kGuardMs));
    EXPECT_EQ(server.LastRequestHead("/a.mp3").find("evil"), std::string::npos);
}

}  // namespace
}  // namespace quorvel
