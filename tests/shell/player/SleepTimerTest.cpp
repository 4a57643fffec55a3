// The sleep timer on the player widget, driven by a clock the test moves by hand.
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerControlBar.h"
#include "shell/player/PlayerEngine.h"
#include "shell/player/PlayerSleepTimer.h"

#include "LocalHttpServer.h"
#include "PlayerTestUtil.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QMenu>

#include <chrono>
#include <memory>

namespace quorvel {
namespace {

using namespace std::chrono_literals;
using test::SignalWait;

// Picks an entry of the player's sleep menu by its text.
void Choose(MediaPlayer* player, const QString& text) {
    for (QAction* action : player->sleepMenu()->actions()) {
        if (action->text() == text)
            return action->trigger();
    }
    FAIL() << text.toStdString();
}

TEST(SleepTimer, StopsPlaybackWhenItsTimeIsUpAndTheLastChoiceCounts) {
    test::LocalHttpServer server;
    const std::string frames = test::TestMediaBytes(test::MediaKind::Mp3Frames);
    server.ServeEndless("/radio", frames, frames, "audio/mpeg", 60 * 8000);
    auto window = std::make_unique<QWidget>();
    SessionOptions options;
    options.audioOutput = "null";
    auto* player = new MediaPlayer(window.get(), options);
    auto now = PlayerSleepTimer::Clock::time_point{};
    PlayerSleepTimer& sleep = player->sleepTimer();
    sleep.SetClock([&] { return now; });
    window->show();
    player->setUrl(QString::fromStdString(server.Url("/radio")));
    MpvSession& session = player->engine().Session();
    ASSERT_TRUE(
        SignalWait().On(&session, &MpvSession::Started).Until([&] { return session.IsPlaying(); }));

    const auto choose = [&](const QString& text) { Choose(player, text); };
    QLabel* shown = player->controlBar()->SleepLabel();

    choose("30 minutes");
    EXPECT_EQ(shown->text(), "Sleep in 30:00");
    now += 29min + 59s;
    sleep.Check();
    EXPECT_EQ(shown->text(), "Sleep in 0:01");
    // The new choice counts from now; the old deadline passes unheeded.
    choose("15 minutes");
    now += 14min + 59s;
    sleep.Check();
    EXPECT_TRUE(player->isActive());
    choose("End of Current File");
    EXPECT_EQ(shown->text(), "Sleep at end of file");
    now += 2h;
    sleep.Check();
    EXPECT_TRUE(player->isActive());

    choose("15 minutes");
    now += 15min;
    sleep.Check();
    EXPECT_FALSE(player->isActive());
    EXPECT_TRUE(shown->isHidden());
    EXPECT_TRUE(player->sleepMenu()->actions().front()->isChecked());
    EXPECT_EQ(sleep.Mode(), SleepTimer::Mode::Off);
}

TEST(SleepTimer, EndOfFileStopsWhenThePlaylistEntryEndsNotThePlaylist) {
    // A file, then a stream without end: only stopping after the file ends the playback.
    test::LocalHttpServer server;
    server.Serve("/tone.mp3", test::TestMediaBytes(test::MediaKind::Mp3), "audio/mpeg");
    const std::string frames = test::TestMediaBytes(test::MediaKind::Mp3Frames);
    server.ServeEndless("/radio", frames, frames, "audio/mpeg", 0);
    server.Serve("/list.m3u", server.Url("/tone.mp3") + "\n" + server.Url("/radio") + "\n",
                 "audio/x-mpegurl");
    auto window = std::make_unique<QWidget>();
    SessionOptions options;
    options.audioOutput = "null";
    auto* player = new MediaPlayer(window.get(), options);
    window->show();
    Choose(player, "End of Current File");
    bool ended = false;
    QObject::connect(player, &MediaPlayer::playbackEnded, [&] { ended = true; });
    player->setUrl(QString::fromStdString(server.Url("/list.m3u")));
    EXPECT_TRUE(SignalWait().On(player, &MediaPlayer::playbackEnded).Until([&] { return ended; }));
    EXPECT_FALSE(player->isActive());
    EXPECT_EQ(player->sleepTimer().Mode(), SleepTimer::Mode::Off);
}

}  // namespace
}  // namespace quorvel
