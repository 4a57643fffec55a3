#include "PropertyListener.h"
#include "QtTestProcess.h"
#include "TempDir.h"
#include "shell/mpris/MprisService.h"
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

namespace quorvel {
namespace {

const char* kService = MprisService::kServiceName;
const char* kPath = MprisService::kObjectPath;

// Two minutes of tone, so nothing ends on its own while the test drives it.
std::filesystem::path LongTone(const test::TempDir& dir) {
    const auto path = dir / "tone.wav";
    QProcess ffmpeg;
    test::EndWithTest(ffmpeg);
    ffmpeg.start("ffmpeg", {"-v", "error", "-f", "lavfi", "-i", "sine=frequency=440:duration=120",
                            "-ar", "8000", "-ac", "1", QString::fromStdString(path.string())});
    ffmpeg.waitForFinished(60000);
    return ffmpeg.exitCode() == 0 ? path : std::filesystem::path();
}

QString Get(const test::PrivateBus& bus, const char* interface, const char* property) {
    return bus.Send(kService, {kPath, "org.freedesktop.DBus.Properties.Get",
                               QString("string:") + interface, QString("string:") + property});
}

QString Call(const test::PrivateBus& bus, const char* method) {
    return bus.Send(kService, {kPath, QString("org.mpris.MediaPlayer2.Player.") + method});
}

class Mpris : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_FALSE(bus.Address().isEmpty()) << "dbus-daemon could not be started";
        auto* layout = new QVBoxLayout(&window);
        SessionOptions options;
        options.audioOutput = "null";
        player = new MediaPlayer(&window, options);
        layout->addWidget(player);
        window.resize(480, 360);
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    }

    test::PrivateBus bus;
    QWidget window;
    MediaPlayer* player = nullptr;
};

TEST_F(Mpris, MediaKeysDriveThePlayerAndTheDesktopSeesStatusVolumeAndMetadata) {
    test::TempDir dir;
    const auto tone = LongTone(dir);
    ASSERT_FALSE(tone.empty()) << "ffmpeg could not make the tone";
    MprisService* service = MprisService::Start(*player, window, bus.Connect("service"));
    ASSERT_NE(service, nullptr);
    test::PropertyListener listener(bus.Connect("desktop"));

    EXPECT_TRUE(
        Get(bus, "org.mpris.MediaPlayer2.Player", "PlaybackStatus").contains("\"Stopped\""));
    EXPECT_TRUE(Get(bus, "org.mpris.MediaPlayer2", "CanRaise").contains("boolean true"));

    const QString url = QString::fromStdString(tone.string());
    QSignalSpy started(player, &MediaPlayer::playbackStarted);
    service->SetChannel("Tone FM", url);
    player->setUrl(url);
    ASSERT_TRUE(started.wait(20000));
    ASSERT_TRUE(listener.WaitFor("PlaybackStatus", "Playing"));
    const QString metadata = Get(bus, "org.mpris.MediaPlayer2.Player", "Metadata");
    EXPECT_TRUE(metadata.contains("\"Tone FM\"")) << metadata.toStdString();
    EXPECT_TRUE(metadata.contains("\"" + url + "\"")) << metadata.toStdString();
    service->SetNowPlaying("Artist - Song");
    EXPECT_TRUE(
        Get(bus, "org.mpris.MediaPlayer2.Player", "Metadata").contains("\"Artist - Song\""));

    Call(bus, "Pause");
    ASSERT_TRUE(listener.WaitFor("PlaybackStatus", "Paused"));
    EXPECT_TRUE(Get(bus, "org.mpris.MediaPlayer2.Player", "PlaybackStatus").contains("\"Paused\""));
    Call(bus, "PlayPause");
    ASSERT_TRUE(listener.WaitFor("PlaybackStatus", "Playing"));

    bus.Send(kService,
             {kPath, "org.freedesktop.DBus.Properties.Set", "string:org.mpris.MediaPlayer2.Player",
              "string:Volume", "variant:double:0.25"});
    ASSERT_TRUE(listener.WaitFor("Volume", 0.25));
    EXPECT_EQ(player->volume(), 25);
    // Out of range is held to the range, never passed on.
    bus.Send(kService,
             {kPath, "org.freedesktop.DBus.Properties.Set", "string:org.mpris.MediaPlayer2.Player",
              "string:Volume", "variant:double:7"});
    ASSERT_TRUE(listener.WaitFor("Volume", 1.0));

    ASSERT_TRUE(listener.WaitFor("CanSeek", true));
    QSignalSpy seeked(&listener, &test::PropertyListener::Seeked);
    bus.Send(kService, {kPath, "org.mpris.MediaPlayer2.Player.Seek", "int64:60000000"});
    ASSERT_TRUE(seeked.count() > 0 || seeked.wait(20000));
    EXPECT_GE(seeked.first().first().toLongLong(), 60000000);

    Call(bus, "Stop");
    ASSERT_TRUE(listener.WaitFor("PlaybackStatus", "Stopped"));
    EXPECT_FALSE(player->isActive());
    Call(bus, "Play");
    ASSERT_TRUE(listener.WaitFor("PlaybackStatus", "Playing"));
    EXPECT_EQ(player->url(), url);
}

TEST_F(Mpris, RaiseBringsTheWindowBackAndWithoutABusThePlayerRunsOn) {
    MprisService* service = MprisService::Start(*player, window, bus.Connect("service"));
    ASSERT_NE(service, nullptr);
    window.showMinimized();
    ASSERT_TRUE(window.isMinimized());
    const QString reply = bus.Send(kService, {kPath, "org.mpris.MediaPlayer2.Raise"});
    EXPECT_TRUE(reply.contains("method return")) << reply.toStdString();
    EXPECT_FALSE(window.isMinimized());
    EXPECT_TRUE(window.isVisible());

    // A second player on the same bus takes an instance name instead of failing.
    MediaPlayer other(nullptr, SessionOptions{VideoOutput::Null, "null"});
    MprisService* second = MprisService::Start(other, window, bus.Connect("second"));
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(second->BusName().startsWith(QString(kService) + ".instance"));

    const QDBusConnection none = QDBusConnection::connectToBus("unix:path=/nonexistent", "none");
    EXPECT_EQ(MprisService::Start(*player, window, none), nullptr);
    QSignalSpy volume(&player->engine().Session(), &MpvSession::VolumeChanged);
    player->setVolume(30);
    ASSERT_TRUE(volume.wait(20000));
    EXPECT_EQ(player->volume(), 30);
    QDBusConnection::disconnectFromBus("none");
}

}  // namespace
}  // namespace quorvel
