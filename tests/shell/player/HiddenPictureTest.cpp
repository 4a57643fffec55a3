// A picture nobody sees (the window minimized, the player hidden, the picture blanked) still
// takes each frame from the engine: left waiting, the engine stalls on every frame.
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include "PlayerTestUtil.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QSignalSpy>

namespace quorvel {
namespace {

TEST(HiddenPicture, TheEngineIsNeverLeftWaitingForAFrameToBeDrawn) {
    const auto mp4 = test::TestMediaFile(test::MediaKind::Mp4);
    ASSERT_FALSE(mp4.empty());
    SessionOptions options;
    options.audioOutput = "null";
    QWidget window;
    window.resize(400, 300);
    auto* player = new MediaPlayer(&window, options);
    player->setGeometry(0, 0, 320, 240);
    player->setErrorPresenter([](const QString&, const QString&) {});
    window.show();
    MpvSession& session = player->engine().Session();
    // The engine tells of a frame it waited for in vain only at its verbose level.
    mpv_handle* log = mpv_create_client(session.Handle(), "test-log");
    ASSERT_NE(log, nullptr);
    mpv_request_log_messages(log, "v");

    QSignalSpy started(player, &MediaPlayer::playbackStarted);
    player->setUrl(QString::fromStdString(mp4.string()));
    ASSERT_TRUE(started.wait(test::kGuardMs));
    player->hide();
    ASSERT_TRUE(test::WaitForPosition(session, session.Position() + 1.0));

    int stalls = 0;
    for (const mpv_event* event = mpv_wait_event(log, 0); event->event_id != MPV_EVENT_NONE;
         event = mpv_wait_event(log, 0)) {
        const auto* message = static_cast<const mpv_event_log_message*>(event->data);
        if (event->event_id == MPV_EVENT_LOG_MESSAGE &&
            std::string_view(message->text).find("not being called") != std::string_view::npos)
            ++stalls;
    }
    mpv_destroy(log);
    EXPECT_EQ(stalls, 0);
}

}  // namespace
}  // namespace quorvel
