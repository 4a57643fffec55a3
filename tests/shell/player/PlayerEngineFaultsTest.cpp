// The player engine under hostile playlists and impatient users: the window keeps running,
// the last address set is the one that plays, and every entry is checked by where it came
// from. Waits are on the engine's signals and events; their timeouts only stop a stuck run.
#include "shell/player/FileNameText.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include "LocalHttpServer.h"
#include "PlayerTestUtil.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QEvent>
#include <QSignalSpy>

#include <functional>
#include <memory>

namespace quorvel {
namespace {

using test::MediaKind;
using test::TestMediaFile;

// Takes a look, through the event loop, after each batch of the session's events: a window
// held for the whole of a fault never gets a look in between.
class LookBetweenBatches : public QObject {
public:
    LookBetweenBatches(QObject* session, std::function<bool()> midway)
        : m_session(session), m_midway(std::move(midway)) {
        session->installEventFilter(this);
    }
    ~LookBetweenBatches() override { m_session->removeEventFilter(this); }
    // A look found the fault under way.
    bool SawMidway() const { return m_sawMidway; }

    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::MetaCall && !m_queued) {
            m_queued = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    m_queued = false;
                    m_sawMidway = m_sawMidway || m_midway();
                },
                Qt::QueuedConnection);
        }
        return false;
    }

private:
    QObject* m_session;
    std::function<bool()> m_midway;
    bool m_queued = false;
    bool m_sawMidway = false;
};

class PlayerEngineFaultsTest : public ::testing::Test {
protected:
    PlayerEngineFaultsTest() { UseEngine(3); }

    void UseEngine(int networkTimeoutSeconds) {
        engine.reset();
        engine = std::make_unique<PlayerEngine>(test::NullOutputs(networkTimeoutSeconds));
        QObject::connect(engine.get(), &PlayerEngine::Started, [this] {
            outcome.clear();
            settled = true;
        });
        QObject::connect(engine.get(), &PlayerEngine::Failed,
                         [this](const QString&, const QString& reason) {
                             outcome = reason;
                             settled = true;
                         });
    }

    void Begin(const std::string& address) { Begin(QString::fromStdString(address)); }
    void Begin(const QString& address) {
        outcome = QStringLiteral("no outcome");
        settled = false;
        engine->Open(address);
    }
    // The reason when the open failed, empty when it started.
    QString Await() {
        test::SignalWait()
            .On(engine.get(), &PlayerEngine::Started)
            .On(engine.get(), &PlayerEngine::Failed)
            .Until([this] { return settled; }, 30000);
        return outcome;
    }
    QString Outcome(const std::string& address) { return Outcome(QString::fromStdString(address)); }
    QString Outcome(const QString& address) {
        Begin(address);
        return Await();
    }

    std::string Path() const { return test::MpvString(engine->Session().Handle(), "path"); }

    std::unique_ptr<PlayerEngine> engine;
    QString outcome;
    bool settled = false;
};

TEST_F(PlayerEngineFaultsTest, HugeFailingPlaylistsNeitherFreezeTheWindowNorSwallowTheNextClick) {
    // Clear of the network timeout: the server holds a list for as long as the test needs.
    UseEngine(60);
    test::TempDir dir;
    test::LocalHttpServer server;
    std::string missing, refused;
    for (int i = 0; i < 20000; ++i) {
        missing += (dir / ("gone" + std::to_string(i) + ".mp3")).string() + "\n";
        refused += "av://lavfi:sine=" + std::to_string(i) + "\n";
    }
    const auto localList = dir.Write("missing.m3u", missing);
    server.Serve("/refused.m3u", refused, "audio/x-mpegurl");
    server.Hold("/refused.m3u");
    server.Serve("/tone.mp3", test::TestMediaBytes(MediaKind::Mp3), "audio/mpeg");
    const auto expectOwnReason = [](const QString& reason) {
        EXPECT_FALSE(reason.isEmpty());
        EXPECT_NE(reason, "no outcome");
        // Neither the network timeout nor the watchdog.
        EXPECT_FALSE(reason.contains("seconds")) << reason.toStdString();
    };

    // The engine reads the local list and fails its dead entries one after another; the
    // window runs between its batches of news while they are still coming.
    const int filesBefore = engine->Session().StartedFiles();
    {
        LookBetweenBatches look(&engine->Session(), [&] {
            return !settled && engine->Session().StartedFiles() >= filesBefore + 2;
        });
        expectOwnReason(Outcome(localList.string()));
        EXPECT_TRUE(look.SawMidway()) << "the window was held until the outcome";
    }

    // The remote list is read off the window's thread: while the server holds it, the
    // window goes on handling its events.
    Begin(server.Url("/refused.m3u"));
    ASSERT_TRUE(test::RunUntilRequested(server, "/refused.m3u", 1));
    EXPECT_TRUE(test::DeliverPosted());
    EXPECT_FALSE(settled) << outcome.toStdString();
    server.Release();
    expectOwnReason(Await());

    // A click on a stream while the refused playlist still opens (the engine reads a local
    // one itself, entry by entry): the stream plays, nothing fails.
    const auto localRefused = dir.Write("refused.m3u", refused);
    QSignalSpy failed(engine.get(), &PlayerEngine::Failed);
    QSignalSpy started(engine.get(), &PlayerEngine::Started);
    engine->Open(QString::fromStdString(localRefused.string()));
    engine->Open(QString::fromStdString(server.Url("/tone.mp3")));
    ASSERT_TRUE(started.wait(test::kGuardMs));
    EXPECT_EQ(started.front().at(0).toString().toStdString(), server.Url("/tone.mp3"));
    EXPECT_TRUE(failed.isEmpty());
    EXPECT_EQ(Path(), server.Url("/tone.mp3"));
    EXPECT_EQ(test::MpvString(engine->Session().Handle(), "playlist-count"), "1");
}

TEST_F(PlayerEngineFaultsTest, EveryEntryIsCheckedByThePlaylistItCameFrom) {
    test::TempDir dir;
    test::LocalHttpServer server;
    const std::string wav = TestMediaFile(MediaKind::Wav).string();
    // Local list -> remote list -> local file: the remote list may not lead to it.
    server.Serve("/remote.m3u", wav + "\n", "audio/x-mpegurl");
    const auto local = dir.Write("local.m3u", server.Url("/remote.m3u") + "\n");
    EXPECT_FALSE(Outcome(local.string()).isEmpty());
    EXPECT_NE(Path(), wav);

    // Playlists from the network are read with a size cap, whatever their name.
    std::string endless = "#EXTM3U\n";
    while (endless.size() < (8u << 20))
        endless += server.Url("/x.mp3") + "\n";
    server.Serve("/endless.m3u", endless, "audio/x-mpegurl");
    server.Serve("/listen", endless, "audio/x-mpegurl");
    EXPECT_TRUE(Outcome(server.Url("/endless.m3u")).contains("larger"));
    // Under another name the engine only probes its start, and gives up.
    EXPECT_FALSE(Outcome(server.Url("/listen")).isEmpty());

    // A folder is no address, given directly or as an entry.
    EXPECT_TRUE(Outcome(dir.Path().string()).contains("folder"));
    const auto toFolder = dir.Write("folder.m3u", "/usr\n");
    const QString reason = Outcome(toFolder.string());
    EXPECT_FALSE(reason.isEmpty());
    EXPECT_NE(reason, "no outcome");
}

TEST_F(PlayerEngineFaultsTest, WindowsMadeListsBackupEntriesAndNestedWindowsPlaylistsPlay) {
    test::TempDir dir;
    test::LocalHttpServer server;
    std::filesystem::create_directories(dir / "Music");
    std::filesystem::copy_file(TestMediaFile(MediaKind::Wav), dir / "Music" / "tone.wav");
    server.Serve("/tone.mp3", test::TestMediaBytes(MediaKind::Mp3), "audio/mpeg");
    const int deadPort = [] {
        test::LocalHttpServer gone;
        return gone.Port();
    }();
    const std::string dead = "http://127.0.0.1:" + std::to_string(deadPort) + "/live";
    server.Serve("/backup.asx",
                 "<asx><entry><ref href=\"" + dead + "\"/><ref href=\"tone.mp3\"/></entry></asx>",
                 "video/x-ms-asf");
    server.Serve("/backup.asf",
                 "[Reference]\r\nRef1=" + dead + "\r\nRef2=" + server.Url("/tone.mp3") + "\r\n",
                 "video/x-ms-asf");
    server.Serve("/outer.m3u", server.Url("/backup.asx") + "\n", "audio/x-mpegurl");

    const auto windowsList = dir.Write("win.m3u", "Music\\tone.wav\r\n");
    EXPECT_EQ(Outcome(windowsList.string()), "");
    // A file name in Latin-1 plays from the text the file list shows for it.
    const std::string latin1 = (dir / "Music" / "Caf\xE9.wav").string();
    std::filesystem::copy_file(TestMediaFile(MediaKind::Wav), latin1);
    EXPECT_EQ(Outcome(FileNameToText(latin1)), "");
    for (const std::string path : {"/backup.asx", "/backup.asf", "/outer.m3u"}) {
        EXPECT_EQ(Outcome(server.Url(path)), "") << path;
        EXPECT_EQ(Path(), server.Url("/tone.mp3")) << path;
    }
}

}  // namespace
}  // namespace quorvel
