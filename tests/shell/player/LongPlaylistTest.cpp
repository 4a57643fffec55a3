// Playlists from the network with more entries than the engine's event queue holds.
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include "LocalHttpServer.h"
#include "PlayerTestUtil.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace quorvel {
namespace {

TEST(LongPlaylist, TwentyThousandEntriesPlayTheFirstGoodOneOrFailWithTheirOwnReason) {
    SessionOptions options;
    options.video = VideoOutput::Null;
    options.audioOutput = "null";
    options.networkTimeoutSeconds = 3;
    PlayerEngine engine(options);
    test::LocalHttpServer server;
    server.Serve("/tone.mp3", test::TestMediaBytes(test::MediaKind::Mp3), "audio/mpeg");
    std::string dead;
    for (int i = 0; i < 20000; ++i)
        dead += "http://127.0.0.1:9/" + std::to_string(i) + ".mp3\n";
    server.Serve("/good-first.m3u", server.Url("/tone.mp3") + "\n" + dead, "audio/x-mpegurl");
    server.Serve("/dead.m3u", dead, "audio/x-mpegurl");

    QSignalSpy started(&engine, &PlayerEngine::Started);
    QSignalSpy failed(&engine, &PlayerEngine::Failed);
    // Handed over all at once, the entries overflowed the engine's queue: the good one
    // never played and the watchdog failed it.
    engine.Open(QString::fromStdString(server.Url("/good-first.m3u")));
    ASSERT_TRUE(started.wait(test::kGuardMs)) << failed.value(0).value(1).toString().toStdString();
    EXPECT_TRUE(failed.isEmpty());

    engine.Open(QString::fromStdString(server.Url("/dead.m3u")));
    ASSERT_TRUE(failed.wait(test::kGuardMs));
    const QString reason = failed.front().at(1).toString();
    EXPECT_TRUE(reason.contains("Connection refused")) << reason.toStdString();
    EXPECT_FALSE(reason.contains("queued") || reason.contains("seconds")) << reason.toStdString();
}

}  // namespace
}  // namespace quorvel
