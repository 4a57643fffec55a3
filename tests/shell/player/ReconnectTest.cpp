// Live streams that the server drops while they play are opened again a few times; files that
// reach their end are not. Waits are on the player's signals, and the server counts requests
// before it answers them; the timeouts only stop a stuck run.
#include "shell/player/MediaPlayer.h"
#include "shell/player/PlayerControlBar.h"
#include "shell/player/PlayerEngine.h"

#include "LocalHttpServer.h"
#include "StreamServer.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QImage>
#include <QLabel>
#include <QSignalSpy>

namespace quorvel {
namespace {

using test::StreamServer;

constexpr char kPath[] = "/live";

SessionOptions Options() {
    SessionOptions options;
    options.video = VideoOutput::Null;
    options.audioOutput = "null";
    options.reconnectDelayMs = 1;
    return options;
}

// Pixels of the widget's place in the bar that stand out from the bar's own colour.
int ReadablePixels(PlayerControlBar& bar, const QWidget& widget) {
    const QImage image = bar.grab(widget.geometry()).toImage();
    const int back = bar.palette().color(QPalette::Window).lightness();
    int count = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x)
            count += std::abs(QColor(image.pixel(x, y)).lightness() - back) > 100;
    }
    return count;
}

// Sound without a length, as internet radio sends it; half of it ends early.
std::string LiveAnswer(bool half) {
    std::string sound = test::TestMediaBytes(test::MediaKind::Mp3);
    if (half)
        sound.resize(sound.size() / 2);
    return StreamServer::Response(200, "audio/mpeg", sound);
}

TEST(Reconnect, ADroppedLiveStreamPlaysAgainWhileTheBarSaysReconnecting) {
    StreamServer server;
    server.Answer(kPath, LiveAnswer(true));
    SessionOptions options = Options();
    options.video = VideoOutput::Render;
    MediaPlayer player(nullptr, options);
    player.resize(320, 240);
    player.show();
    PlayerEngine& engine = player.engine();
    QSignalSpy started(&engine, &PlayerEngine::Started);
    QSignalSpy failed(&engine, &PlayerEngine::Failed);
    QSignalSpy ended(&engine, &PlayerEngine::Ended);
    QLabel* label = player.controlBar()->TitleLabel();
    QString shown;
    int readable = 0;
    QObject::connect(&engine, &PlayerEngine::Reconnecting, [&] {
        shown = label->isVisible() ? label->text() : QString();
        readable = ReadablePixels(*player.controlBar(), *label);
        // Back by the time the player asks again, and quiet after the sound, without closing.
        server.Answer(kPath, LiveAnswer(false), StreamServer::Ending::KeepOpen);
    });
    const QString url = QString::fromStdString(server.Url(kPath));
    player.setUrl(url);
    while (started.size() < 2 && failed.isEmpty())
        ASSERT_TRUE(started.wait(20000));
    EXPECT_TRUE(shown.startsWith("Reconnecting...")) << shown.toStdString();
    EXPECT_GT(readable, 20) << "the text is lost in the bar's colour";
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_TRUE(ended.isEmpty());
    EXPECT_EQ(started.at(1).at(0).toString(), url);
    EXPECT_EQ(server.RequestCount(kPath), 2);
    EXPECT_FALSE(label->isVisible() && label->text().startsWith("Reconnecting..."));
    EXPECT_TRUE(player.isActive());
}

TEST(Reconnect, AServerThatStaysAwayIsTriedThreeTimesThenOneFailureNamesTheAddress) {
    StreamServer server;
    server.Answer(kPath, LiveAnswer(true));
    PlayerEngine engine(Options());
    QSignalSpy started(&engine, &PlayerEngine::Started);
    QSignalSpy failed(&engine, &PlayerEngine::Failed);
    QSignalSpy tries(&engine, &PlayerEngine::Reconnecting);
    QObject::connect(&engine, &PlayerEngine::Reconnecting, [&] {
        server.Answer(kPath, StreamServer::Response(503, "text/plain", "busy"));
    });
    const QString url = QString::fromStdString(server.Url(kPath));
    engine.Open(url);
    ASSERT_TRUE(failed.wait(30000));
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed.front().at(0).toString(), url);
    EXPECT_TRUE(failed.front().at(1).toString().contains("503"))
        << failed.front().at(1).toString().toStdString();
    EXPECT_EQ(server.RequestCount(kPath), 4);
    ASSERT_EQ(tries.size(), 3);
    EXPECT_EQ(tries.at(2).at(0).toInt(), 3);
    EXPECT_EQ(started.size(), 1);
    EXPECT_FALSE(engine.IsReconnecting());
}

TEST(Reconnect, AFileServedWholeEndsWithoutAnotherRequest) {
    test::LocalHttpServer server;
    server.Serve("/tone.mp3", test::TestMediaBytes(test::MediaKind::Mp3), "audio/mpeg");
    PlayerEngine engine(Options());
    QSignalSpy ended(&engine, &PlayerEngine::Ended);
    QSignalSpy tries(&engine, &PlayerEngine::Reconnecting);
    QSignalSpy failed(&engine, &PlayerEngine::Failed);
    engine.Open(QString::fromStdString(server.Url("/tone.mp3")));
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_TRUE(tries.isEmpty());
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_FALSE(engine.IsReconnecting());
}

TEST(Reconnect, AFileWhoseServerStopsShortOfItsToldSizeFailsInsteadOfEnding) {
    const std::string sound = test::TestMediaBytes(test::MediaKind::Mp3);
    StreamServer server;
    // Half of it under the whole size; without ranges on offer the rest is never asked for.
    server.Answer(kPath, StreamServer::Response(
                             200, "audio/mpeg", std::string_view(sound).substr(0, sound.size() / 2),
                             "Content-Length: " + std::to_string(sound.size()) + "\r\n"));
    PlayerEngine engine(Options());
    QSignalSpy started(&engine, &PlayerEngine::Started);
    QSignalSpy ended(&engine, &PlayerEngine::Ended);
    QSignalSpy failed(&engine, &PlayerEngine::Failed);
    QSignalSpy tries(&engine, &PlayerEngine::Reconnecting);
    const QString url = QString::fromStdString(server.Url(kPath));
    engine.Open(url);
    ASSERT_TRUE(failed.wait(30000));
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed.front().at(0).toString(), url);
    const QString why = failed.front().at(1).toString();
    EXPECT_TRUE(why.startsWith("The stream broke off while playing.\n")) << why.toStdString();
    EXPECT_EQ(started.size(), 1);
    // Whatever the broken file might still say would come before a file played after it ends.
    const QString file = QString::fromStdString(test::TestMediaFile(test::MediaKind::Wav).string());
    engine.Open(file);
    ASSERT_TRUE(ended.wait(20000));
    EXPECT_EQ(ended.size(), 1);
    EXPECT_EQ(failed.size(), 1);
    EXPECT_TRUE(tries.isEmpty());
    EXPECT_EQ(server.RequestCount(kPath), 1);
}

TEST(Reconnect, AFileSentWithoutItsSizeIsOpenedOnceMoreThenEnds) {
    StreamServer server;
    server.Answer(kPath, LiveAnswer(false));
    PlayerEngine engine(Options());
    QSignalSpy ended(&engine, &PlayerEngine::Ended);
    QSignalSpy tries(&engine, &PlayerEngine::Reconnecting);
    QSignalSpy failed(&engine, &PlayerEngine::Failed);
    engine.Open(QString::fromStdString(server.Url(kPath)));
    ASSERT_TRUE(ended.wait(30000));
    EXPECT_EQ(tries.size(), 1);
    EXPECT_EQ(server.RequestCount(kPath), 2);
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_FALSE(engine.IsReconnecting());
}

TEST(Reconnect, StopOrAnotherAddressDuringTheWaitLeavesTheDroppedStreamClosed) {
    const QString file = QString::fromStdString(test::TestMediaFile(test::MediaKind::Wav).string());
    for (const bool stop : {true, false}) {
        StreamServer server;
        server.Answer(kPath, LiveAnswer(true), StreamServer::Ending::Close);
        PlayerEngine engine(Options());
        // Plays a local file to its end meanwhile: far longer than the wait before a reopen.
        PlayerEngine other(Options());
        PlayerEngine& fileEngine = stop ? other : engine;
        QSignalSpy started(&engine, &PlayerEngine::Started);
        QSignalSpy ended(&engine, &PlayerEngine::Ended);
        QSignalSpy fileEnded(&fileEngine, &PlayerEngine::Ended);
        QObject::connect(&engine, &PlayerEngine::Reconnecting, [&] {
            server.Answer(kPath, LiveAnswer(false));
            if (stop) {
                engine.Stop();
                EXPECT_EQ(ended.size(), 1) << "a stop says the stream ended";
            }
            fileEngine.Open(file);
        });
        engine.Open(QString::fromStdString(server.Url(kPath)));
        ASSERT_TRUE(fileEnded.wait(20000)) << stop;
        EXPECT_EQ(server.RequestCount(kPath), 1) << stop;
        ASSERT_EQ(started.size(), stop ? 1 : 2) << stop;
        EXPECT_EQ(started.last().at(0).toString(),
                  stop ? QString::fromStdString(server.Url(kPath)) : file);
        EXPECT_FALSE(engine.IsReconnecting());
    }
}

}  // namespace
}  // namespace quorvel
