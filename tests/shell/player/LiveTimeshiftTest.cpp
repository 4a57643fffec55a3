// Pausing and rewinding a live stream, judged by the positions the engine reports.
#include "shell/player/LiveTimeshift.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include "LocalHttpServer.h"
#include "PlayerTestUtil.h"
#include "StreamServer.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace quorvel {
namespace {

using test::SignalWait;

class LiveTimeshiftTest : public ::testing::Test {
protected:
    // An endless MP3 stream of which the server has sent `seconds` and then holds back, so
    // the live edge stays put.
    // The network timeout stays clear of the test: the held stream must not end meanwhile.
    void Play(double seconds, SessionOptions options = test::NullOutputs(60),
              std::optional<TimeshiftStore> store = std::nullopt) {
        const std::string frames = test::TestMediaBytes(test::MediaKind::Mp3Frames);
        server.ServeEndless("/radio", frames, frames, "audio/mpeg",
                            static_cast<std::uint64_t>(seconds * 8000));
        engine = std::make_unique<PlayerEngine>(options);
        timeshift = std::make_unique<LiveTimeshift>(engine->Session(), std::move(store));
        engine->Open(QString::fromStdString(server.Url("/radio")));
        ASSERT_TRUE(SignalWait().On(timeshift.get(), &LiveTimeshift::Changed).Until([&] {
            return timeshift->IsLive() && timeshift->Latest() > seconds - 2;
        }));
    }
    MpvSession& Session() { return engine->Session(); }
    bool WaitPosition(double low, double high) {
        return SignalWait().On(timeshift.get(), &LiveTimeshift::Changed).Until([&] {
            return timeshift->Position() >= low && timeshift->Position() <= high;
        });
    }
    ~LiveTimeshiftTest() override {
        timeshift.reset();
        engine.reset();
    }

    test::LocalHttpServer server;
    std::unique_ptr<PlayerEngine> engine;
    std::unique_ptr<LiveTimeshift> timeshift;
};

TEST_F(LiveTimeshiftTest, PauseResumesWhereItStoppedAndSeeksStayWithinWhatWasKept) {
    Play(60);
    ASSERT_TRUE(test::WaitForPosition(Session(), 0.5));
    Session().SetPaused(true);
    ASSERT_TRUE(SignalWait().On(&Session(), &MpvSession::PauseChanged).Until([&] {
        return Session().Paused();
    }));
    const double pausedAt = timeshift->Position();
    Session().SetPaused(false);
    // On from the pause, not from the live edge 60 s ahead.
    ASSERT_TRUE(WaitPosition(pausedAt + 0.2, pausedAt + 5));
    EXPECT_GT(timeshift->BehindLive(), 50);

    const double live = timeshift->Latest();
    timeshift->GoLive();
    ASSERT_TRUE(WaitPosition(live - 2, live + 1));
    EXPECT_LT(timeshift->BehindLive(), 3);
    timeshift->SeekBy(-30);
    ASSERT_TRUE(WaitPosition(live - 33, live - 28));
    // Past the oldest second kept, a seek stops there.
    timeshift->SeekTo(-100);
    ASSERT_TRUE(WaitPosition(timeshift->Earliest() - 0.5, timeshift->Earliest() + 3));
}

TEST_F(LiveTimeshiftTest, AStreamWhoseServerLeftWhilePausedIsReopenedOnceItRunsOut) {
    test::StreamServer radio;
    std::string sound;
    for (int i = 0; i < 7; ++i)
        sound += test::TestMediaBytes(test::MediaKind::Mp3Frames);
    // All of it at once, then the server hangs up: the player holds it, paused or not.
    radio.Answer("/radio", test::StreamServer::Response(200, "audio/mpeg", sound));
    SessionOptions options = test::NullOutputs(60);
    options.reconnectDelayMs = 1;
    engine = std::make_unique<PlayerEngine>(options);
    timeshift = std::make_unique<LiveTimeshift>(engine->Session(), std::nullopt);
    int started = 0;
    QObject::connect(engine.get(), &PlayerEngine::Started, [&] { ++started; });
    engine->Open(QString::fromStdString(radio.Url("/radio")));
    ASSERT_TRUE(SignalWait().On(timeshift.get(), &LiveTimeshift::Changed).Until([&] {
        return timeshift->IsLive() && timeshift->Latest() > 18;
    }));
    Session().SetPaused(true);
    ASSERT_TRUE(SignalWait().On(&Session(), &MpvSession::PauseChanged).Until([&] {
        return Session().Paused();
    }));
    EXPECT_EQ(radio.RequestCount("/radio"), 1);

    Session().SetPaused(false);
    timeshift->GoLive();
    ASSERT_TRUE(
        SignalWait().On(engine.get(), &PlayerEngine::Started).Until([&] { return started == 2; }));
    EXPECT_EQ(radio.RequestCount("/radio"), 2);
    EXPECT_TRUE(Session().IsPlaying());
}

TEST_F(LiveTimeshiftTest, KeptDataStaysWithinItsCapOnDiskAndGoesWithTheStream) {
    test::TempDir dir;
    SessionOptions options = test::NullOutputs(60);
    options.timeshiftFolder = dir.Path().string();
    const std::int64_t cap = 256 * 1024;
    Play(120, options, TimeshiftStore(dir.Path(), cap));
    const double live = timeshift->Latest();
    timeshift->GoLive();
    ASSERT_TRUE(WaitPosition(live - 2, live + 1));

    timeshift->Maintain();
    const TimeshiftStore& store = *timeshift->Store();
    ASSERT_TRUE(store.Attached());
    EXPECT_GT(store.FileBytes(), 900 * 1000);
    EXPECT_LE(store.DiskBytes(), cap + 8192);
    // 256 KB hold half a minute of this stream: nothing older is offered.
    EXPECT_GT(timeshift->Earliest(), 80);
    timeshift->SeekTo(0);
    ASSERT_TRUE(WaitPosition(timeshift->Earliest() - 0.5, timeshift->Earliest() + 3));

    engine->Stop();
    ASSERT_TRUE(SignalWait().On(&Session(), &MpvSession::Ended).Until([&] {
        return !Session().IsActive();
    }));
    EXPECT_FALSE(store.Attached());
    // The engine lets go of its own in its own time, once its reading thread has stopped.
    EXPECT_TRUE(std::filesystem::is_empty(dir.Path()));
}

TEST_F(LiveTimeshiftTest, AFolderThatIsALinkKeepsNothingThereAndSaysSoOnce) {
    test::TempDir dir;
    std::filesystem::create_directory(dir / "Documents");
    dir.Write("Documents/letter.txt", "dear");
    std::filesystem::create_directory_symlink(dir / "Documents", dir / "timeshift");
    SessionOptions options = test::NullOutputs(60);
    options.timeshiftFolder = (dir / "timeshift").string();
    TimeshiftStore store(dir / "timeshift", 256 * 1024);
    engine = std::make_unique<PlayerEngine>(options);
    timeshift = std::make_unique<LiveTimeshift>(engine->Session(), std::move(store));
    QStringList notices;
    QObject::connect(timeshift.get(), &LiveTimeshift::Notice,
                     [&](const QString& text) { notices << text; });
    const std::string frames = test::TestMediaBytes(test::MediaKind::Mp3Frames);
    server.ServeEndless("/radio", frames, frames, "audio/mpeg", 30 * 8000);
    engine->Open(QString::fromStdString(server.Url("/radio")));
    ASSERT_TRUE(test::WaitForPosition(Session(), 1.0));
    timeshift->Maintain();

    EXPECT_EQ(timeshift->Store(), nullptr);
    ASSERT_EQ(notices.size(), 1);
    EXPECT_TRUE(notices[0].contains("is a link")) << notices[0].toStdString();
    // The engine holds no file of its own there.
    const std::string documents = std::filesystem::canonical(dir / "Documents").string();
    for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
        std::error_code error;
        EXPECT_NE(std::filesystem::read_symlink(fd.path(), error).string().rfind(documents, 0), 0u);
    }
    EXPECT_EQ(dir.Read("Documents/letter.txt"), "dear");
}

}  // namespace
}  // namespace quorvel
