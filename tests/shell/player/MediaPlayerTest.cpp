// The player widget on a real display (Xvfb), drawing through the engine's render API.
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/MpvVideoWidget.h"
#include "shell/player/PlayerControlBar.h"
#include "shell/player/PlayerEngine.h"

#include "LocalHttpServer.h"
#include "PlayerTestUtil.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QCoreApplication>
#include <QLabel>
#include <QMenu>
#include <QMessageBox>
#include <QSignalSpy>
#include <QSlider>
#include <QTest>
#include <QToolButton>

#include <memory>

namespace quorvel {
namespace {

using test::MediaKind;
using test::MpvString;
using test::SignalWait;
using test::TestMediaFile;

class MediaPlayerTest : public ::testing::Test {
protected:
    MediaPlayerTest() {
        SessionOptions options;
        options.audioOutput = "null";
        options.networkTimeoutSeconds = 3;
        window = std::make_unique<QWidget>();
        window->resize(480, 360);
        player = new MediaPlayer(window.get(), options);
        player->setObjectName(QStringLiteral("WindowsMediaPlayer1"));
        player->setGeometry(10, 10, 320, 240);
        player->setErrorPresenter([this](const QString& address, const QString& reason) {
            presented << (address + QLatin1Char('|') + reason);
        });
    }

    mpv_handle* Mpv() const { return player->engine().Session().Handle(); }
    MpvSession& Session() const { return player->engine().Session(); }
    bool Playing() const { return Session().IsPlaying(); }
    bool WaitForPlaying() {
        return SignalWait().On(&Session(), &MpvSession::Started).Until([&] { return Playing(); });
    }
    bool WaitForPresented(int count) {
        return SignalWait().On(player, &MediaPlayer::playbackFailed).Until([&] {
            return presented.size() == count;
        });
    }

    std::unique_ptr<QWidget> window;
    MediaPlayer* player = nullptr;
    QStringList presented;
};

TEST_F(MediaPlayerTest, UrlSetBeforeShowPlaysThroughTheRenderPathWithDesignDefaults) {
    const auto wmv = TestMediaFile(MediaKind::Wmv);
    ASSERT_FALSE(wmv.empty());
    player->setUrl(QString::fromStdString(wmv.string()));
    window->show();
    ASSERT_TRUE(WaitForPlaying()) << presented.join("\n").toStdString();
    ASSERT_TRUE(test::WaitForPosition(Session(), 1.2));
    EXPECT_GT(player->videoWidget()->FramesDrawn(), 5u);
    EXPECT_EQ(MpvString(Mpv(), "vid"), "1");
    EXPECT_NE(player->controlBar()->ElapsedLabel()->text(), "0:00");
    EXPECT_EQ(player->controlBar()->TotalLabel()->text(), "0:03");
    EXPECT_TRUE(player->controlBar()->SeekSlider()->isEnabled());

    EXPECT_EQ(player->volume(), 50);
    EXPECT_EQ(player->controlBar()->VolumeSlider()->value(), 50);
    EXPECT_FALSE(player->mute());
    EXPECT_EQ(player->uiMode(), "mini");
    EXPECT_TRUE(player->stretchToFit());
    EXPECT_TRUE(player->enableContextMenu());
    EXPECT_TRUE(player->enableErrorDialogs());
    EXPECT_EQ(player->playCount(), 1);
    EXPECT_EQ(player->rate(), 1.0);
    EXPECT_EQ(MpvString(Mpv(), "speed"), "1.000000");
    EXPECT_EQ(MpvString(Mpv(), "keepaspect"), "yes");
    EXPECT_EQ(MpvString(Mpv(), "loop-file"), "no");
    for (const char* off :
         {"ytdl", "load-scripts", "input-default-bindings", "osc", "load-unsafe-playlists"}) {
        EXPECT_EQ(MpvString(Mpv(), off), "no") << off;
    }
    EXPECT_EQ(MpvString(Mpv(), "config"), "no");
}

TEST_F(MediaPlayerTest, WithoutAPictureSoundStillPlaysAndVideoFailsAloud) {
    {
        // Another view holds the engine's one render context, so the player cannot make its own.
        MpvVideoWidget other(Mpv());
        other.resize(40, 30);
        other.show();
        ASSERT_TRUE(
            SignalWait().On(&other, &MpvVideoWidget::Ready).Until([&] { return other.IsReady(); }));
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window.get()));
        MpvVideoWidget* video = player->videoWidget();
        ASSERT_TRUE(SignalWait()
                        .On(video, &MpvVideoWidget::Ready)
                        .On(video, &MpvVideoWidget::Unavailable)
                        .Until([&] { return video->IsReady() || video->IsUnavailable(); }));
        EXPECT_FALSE(video->IsReady());
    }
    // An address set now must not wait for a picture that never comes.
    player->setUrl(QString::fromStdString(TestMediaFile(MediaKind::Wav).string()));
    EXPECT_TRUE(WaitForPlaying()) << presented.join("\n").toStdString();
    const QString wmv = QString::fromStdString(TestMediaFile(MediaKind::Wmv).string());
    player->setUrl(wmv);
    ASSERT_TRUE(WaitForPresented(1));
    EXPECT_TRUE(presented.front().startsWith(wmv + "|")) << presented.front().toStdString();
}

TEST_F(MediaPlayerTest, ControlsAndContextMenuDriveTheEngine) {
    window->show();
    player->setUrl(QString::fromStdString(TestMediaFile(MediaKind::Mp4).string()));
    ASSERT_TRUE(WaitForPlaying());
    auto* bar = player->controlBar();
    test::MpvWatch watch(Mpv(), {"pause", "mute", "time-pos"});

    bar->PlayPauseButton()->click();
    EXPECT_TRUE(SignalWait().On(&Session(), &MpvSession::PauseChanged).Until([&] {
        return Session().Paused();
    }));
    EXPECT_EQ(MpvString(Mpv(), "pause"), "yes");
    bar->PlayPauseButton()->click();
    EXPECT_TRUE(watch.WaitFor("pause", "no"));
    bar->MuteButton()->click();
    EXPECT_TRUE(watch.WaitFor("mute", "yes"));
    bar->VolumeSlider()->setValue(20);
    EXPECT_TRUE(SignalWait().On(&Session(), &MpvSession::VolumeChanged).Until([&] {
        return player->volume() == 20;
    }));

    QStringList names;
    for (const QAction* action : player->contextMenu()->actions())
        names << action->text();
    EXPECT_EQ(names, (QStringList{"Play/Pause", "Stop", "Mute", "Full Screen", "Record",
                                  "Open Recordings Folder", "Copy Titles", "Sleep Timer"}));

    // Full screen covers the window; the picture keeps coming (no new GL context).
    const QRect normal = player->geometry();
    player->contextMenu()->actions().at(3)->trigger();
    EXPECT_TRUE(player->isFullScreen());
    EXPECT_TRUE(SignalWait()
                    .OnEvent(player, QEvent::Resize)
                    .OnEvent(window.get(), QEvent::Resize)
                    .Until([&] { return player->geometry().size() == window->size(); }));
    const quint64 frames = player->videoWidget()->FramesDrawn();
    EXPECT_TRUE(SignalWait().On(player->videoWidget(), &MpvVideoWidget::frameSwapped).Until([&] {
        return player->videoWidget()->FramesDrawn() > frames + 3;
    }));
    EXPECT_EQ(MpvString(Mpv(), "vid"), "1");
    player->setFullScreen(false);
    EXPECT_EQ(player->geometry(), normal);

    bar->StopButton()->click();
    EXPECT_TRUE(watch.WaitFor("time-pos", ""));
    EXPECT_FALSE(player->isActive());
    EXPECT_EQ(bar->ElapsedLabel()->text(), "0:00");
    // Play after stop starts the same address again.
    bar->PlayPauseButton()->click();
    EXPECT_TRUE(WaitForPlaying());
}

TEST_F(MediaPlayerTest, FailuresReachThePresenterWithAddressAndReason) {
    window->show();
    test::TempDir dir;
    const auto corrupt = dir.Write("bad.wma", std::string(3000, '\x33'));
    const int deadPort = [] {
        test::LocalHttpServer gone;
        return gone.Port();
    }();
    const QString dead = QStringLiteral("http://127.0.0.1:%1/live").arg(deadPort);
    const QString refused = QStringLiteral("file:///etc/hostname");

    player->setUrl(QString::fromStdString(corrupt.string()));
    ASSERT_TRUE(WaitForPresented(1));
    EXPECT_TRUE(presented.back().startsWith(QString::fromStdString(corrupt.string()) + "|"));
    EXPECT_TRUE(presented.back().contains("Failed to recognize file format"));
    player->setUrl(dead);
    ASSERT_TRUE(WaitForPresented(2));
    EXPECT_TRUE(presented.back().startsWith(dead + "|"));
    EXPECT_TRUE(presented.back().contains("Connection refused"));
    const int filesBefore = player->engine().Session().StartedFiles();
    player->setUrl(refused);
    ASSERT_TRUE(WaitForPresented(3));
    EXPECT_TRUE(presented.back().startsWith(refused + "|"));
    EXPECT_EQ(player->engine().Session().StartedFiles(), filesBefore);
    EXPECT_FALSE(player->isActive());
}

TEST_F(MediaPlayerTest, OwnErrorBoxDoesNotBlockAndIsReusedOrSwitchedOff) {
    window->show();
    player->setErrorPresenter({});
    player->setUrl(QStringLiteral("lavfi://sine"));
    ASSERT_TRUE(SignalWait().On(player, &MediaPlayer::playbackFailed).Until([&] {
        return player->errorBox() && player->errorBox()->isVisible();
    }));
    QMessageBox* box = player->errorBox();
    EXPECT_FALSE(box->isModal());
    EXPECT_EQ(box->text(), "Cannot play \"lavfi://sine\".");
    EXPECT_FALSE(box->informativeText().isEmpty());
    // Still here: the window goes on processing events while the box is open.
    player->setUrl(QStringLiteral("ytdl://x"));
    ASSERT_TRUE(SignalWait().On(player, &MediaPlayer::playbackFailed).Until([&] {
        return box->text().contains("ytdl://x");
    }));
    EXPECT_EQ(player->errorBox(), box);
    box->close();
    // The box deletes itself on close; its deletion is posted, and delivered here.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(player->errorBox(), nullptr);

    player->setEnableErrorDialogs(false);
    QStringList failures;
    QObject::connect(player, &MediaPlayer::playbackFailed,
                     [&](const QString& address, const QString&) { failures << address; });
    player->setUrl(QStringLiteral("fd://0"));
    // The box would be up by the time the failure's handling is done.
    ASSERT_TRUE(SignalWait().On(player, &MediaPlayer::playbackFailed).Until([&] {
        return failures.size() == 1;
    }));
    EXPECT_EQ(player->errorBox(), nullptr);
}

TEST_F(MediaPlayerTest, CloseAndDestructionLeaveNothingPlaying) {
    window->show();
    const QString mp3 = QString::fromStdString(TestMediaFile(MediaKind::Mp3).string());
    player->setUrl(mp3);
    ASSERT_TRUE(WaitForPlaying());
    // An empty address stops without a word.
    player->setUrl(QStringLiteral("  "));
    EXPECT_FALSE(player->isActive());
    EXPECT_TRUE(presented.isEmpty());
    player->setUrl(mp3);
    ASSERT_TRUE(WaitForPlaying());
    player->close();
    EXPECT_TRUE(player->isVisible());
    EXPECT_TRUE(player->url().isEmpty());
    {
        test::MpvWatch watch(Mpv(), {"idle-active"});
        EXPECT_TRUE(watch.WaitFor("idle-active", "yes"));
    }
    EXPECT_EQ(MpvString(Mpv(), "playlist-count"), "0");

    // Closing through the widget base and destroying while playing both stop cleanly.
    player->setUrl(mp3);
    ASSERT_TRUE(WaitForPlaying());
    static_cast<QWidget*>(player)->close();
    EXPECT_FALSE(player->isActive());
    player->show();
    player->setUrl(mp3);
    ASSERT_TRUE(WaitForPlaying());
    delete player;
    player = nullptr;
    // Whatever the engine still had queued for the window goes nowhere.
    EXPECT_TRUE(test::DeliverPosted());
}

}  // namespace
}  // namespace quorvel

namespace quorvel {
namespace {

bool AllBlack(const QImage& image) {
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4) {
            if (qGray(image.pixel(x, y)) > 16)
                return false;
        }
    }
    return !image.isNull();
}

TEST_F(MediaPlayerTest, StopAndFailureLeaveNoPictureBehind) {
    window->show();
    const QString wmv = QString::fromStdString(TestMediaFile(MediaKind::Wmv).string());
    test::TempDir dir;
    const QString corrupt =
        QString::fromStdString(dir.Write("bad.wmv", std::string(3000, 'x')).string());
    QSignalSpy started(player, &MediaPlayer::playbackStarted);
    QSignalSpy failed(player, &MediaPlayer::playbackFailed);
    for (const QString& next : {QString(), corrupt}) {
        started.clear();
        player->setUrl(wmv);
        ASSERT_TRUE(started.wait(10000));
        // A swap may come before the first frame (an exposure): wait for the picture itself.
        const auto picture = [&] { return !AllBlack(player->videoWidget()->grabFramebuffer()); };
        const auto swapped = &MpvVideoWidget::frameSwapped;
        ASSERT_TRUE(SignalWait().On(player->videoWidget(), swapped).Until(picture))
            << next.toStdString();
        if (next.isEmpty()) {
            player->stop();
        } else {
            player->setUrl(next);
            ASSERT_TRUE(failed.wait(10000));
        }
        EXPECT_TRUE(AllBlack(player->videoWidget()->grabFramebuffer())) << next.toStdString();
    }
}

}  // namespace
}  // namespace quorvel
