// What the player's bar shows of a recording and of a live stream played behind live.
#include "shell/player/LiveTimeshift.h"
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerControlBar.h"
#include "shell/player/PlayerEngine.h"
#include "shell/player/StreamRecorder.h"

#include "LocalHttpServer.h"
#include "PlayerTestUtil.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <QProgressBar>
#include <QRegularExpression>
#include <QToolButton>

#include <memory>

namespace quorvel {
namespace {

using test::SignalWait;

TEST(PlayerBar, ShowsTheRecordingAndHowFarBehindLiveThePictureIs) {
    test::LocalHttpServer server;
    test::TempDir dir;
    const std::string frames = test::TestMediaBytes(test::MediaKind::Mp3Frames);
    // Held after a minute: the live edge stays a minute ahead of the start.
    server.ServeEndless("/radio", frames, frames, "audio/mpeg", 60 * 8000);
    auto window = std::make_unique<QWidget>();
    auto* player = new MediaPlayer(window.get(), test::NullOutputs(60));
    player->recorder().SetFolders(dir / "Videos", dir / "Music");
    player->setChannelName(QStringLiteral("<b>Radio</b>"));
    window->show();
    PlayerControlBar& bar = *player->controlBar();
    LiveTimeshift& timeshift = player->timeshift();
    StreamRecorder& recorder = player->recorder();
    EXPECT_FALSE(bar.RecordButton()->isEnabled());
    EXPECT_FALSE(player->recordAction()->isEnabled());

    player->setUrl(QString::fromStdString(server.Url("/radio")));
    ASSERT_TRUE(SignalWait().On(&timeshift, &LiveTimeshift::Changed).Until([&] {
        return timeshift.BehindLive() > 50 && recorder.CanRecord();
    }));
    EXPECT_TRUE(bar.LiveButton()->isVisible() && bar.LiveButton()->isEnabled());
    EXPECT_TRUE(
        QRegularExpression("^-(0:5\\d|1:0\\d)$").match(bar.BehindLabel()->text()).hasMatch())
        << bar.BehindLabel()->text().toStdString();
    bar.LiveButton()->click();
    ASSERT_TRUE(SignalWait().On(&timeshift, &LiveTimeshift::Changed).Until([&] {
        return timeshift.BehindLive() < 3;
    }));
    EXPECT_TRUE(bar.BehindLabel()->isHidden());
    // A guide's programme on air: how much of it has run shows under the seek bar.
    player->setProgramme(QStringLiteral("News (12 min left)"), 0.25);
    EXPECT_TRUE(bar.ProgrammeSpanLine()->isVisible());
    EXPECT_EQ(bar.ProgrammeSpanLine()->value(), bar.ProgrammeSpanLine()->maximum() / 4);
    player->setProgramme({}, {});
    EXPECT_FALSE(bar.ProgrammeSpanLine()->isVisible());

    bar.RecordButton()->click();
    ASSERT_TRUE(SignalWait().On(&recorder, &StreamRecorder::Started).Until([&] {
        return recorder.CurrentState() == StreamRecorder::State::Recording;
    }));
    EXPECT_TRUE(bar.RecordButton()->isChecked());
    EXPECT_TRUE(player->recordAction()->isChecked());
    // Its time and the file's size; the file takes the channel's name as plain text.
    EXPECT_TRUE(bar.RecordingLabel()->text().startsWith("Recording 0:0"))
        << bar.RecordingLabel()->text().toStdString();
    EXPECT_TRUE(bar.RecordingLabel()->text().contains(" kB"))
        << bar.RecordingLabel()->text().toStdString();
    EXPECT_TRUE(recorder.FilePath().contains("/Music/_b_Radio__b_ "))
        << recorder.FilePath().toStdString();

    player->toggleRecording();
    ASSERT_TRUE(SignalWait().On(&recorder, &StreamRecorder::Finished).Until([&] {
        return !recorder.IsRecording();
    }));
    EXPECT_FALSE(bar.RecordButton()->isChecked());
    EXPECT_TRUE(bar.RecordingLabel()->isHidden());
}

}  // namespace
}  // namespace quorvel
