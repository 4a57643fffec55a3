// The player engine under hostile playlists and impatient users: the window keeps running,
// the last address set is the one that plays, and every entry is checked by where it came
// from. Waits are on the engine's signals; their timeouts only stop a stuck run.
#include "shell/player/FileNameText.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include "LocalHttpServer.h"
#include "PlayerTestUtil.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QEventLoop>
#include <QSignalSpy>
#include <QTimer>

#include <memory>

namespace quorvel {
namespace {

using test::MediaKind;
using test::TestMediaFile;

// Measures the longest time the GUI thread went without running its timers.
class GapMeter {
public:
    GapMeter() {
        m_sinceTick.start();
        QObject::connect(&m_ticker, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_sinceTick.restart()); });
        m_ticker.start(10);
    }
    qint64 Longest() const { return std::max(m_longest, m_sinceTick.elapsed()); }

private:
    QTimer m_ticker;
    QElapsedTimer m_sinceTick;
    qint64 m_longest = 0;
};

class PlayerEngineFaultsTest : public ::testing::Test {
protected:
    PlayerEngineFaultsTest() {
        SessionOptions options;
        options.video = VideoOutput::Null;
        options.audioOutput = "null";
        options.networkTimeoutSeconds = 3;
        engine = std::make_unique<PlayerEngine>(options);
    }

    // Opens the address and waits for its outcome; the reason when it failed, empty when
    // it started.
    QString Outcome(const std::string& address) { return Outcome(QString::fromStdString(address)); }
    QString Outcome(const QString& address) {
        QString outcome = QStringLiteral("no outcome");
        bool settled = false;
        QEventLoop loop;
        const auto onStarted = QObject::connect(engine.get(), &PlayerEngine::Started, [&] {
            outcome.clear();
            settled = true;
            loop.quit();
        });
        const auto onFailed = QObject::connect(engine.get(), &PlayerEngine::Failed,
                                               [&](const QString&, const QString& reason) {
                                                   outcome = reason;
                                                   settled = true;
                                                   loop.quit();
                                               });
        QTimer::singleShot(30000, &loop, &QEventLoop::quit);
        engine->Open(address);
        if (!settled)
            loop.exec();
        QObject::disconnect(onStarted);
        QObject::disconnect(onFailed);
        return outcome;
    }

    std::string Path() const { return test::MpvString(engine->Session().Handle(), "path"); }

    std::unique_ptr<PlayerEngine> engine;
};

TEST_F(PlayerEngineFaultsTest, HugeFailingPlaylistsNeitherFreezeTheWindowNorSwallowTheNextClick) {
    test::TempDir dir;
    test::LocalHttpServer server;
    std::string missing, refused;
    for (int i = 0; i < 20000; ++i) {
        missing += (dir / ("gone" + std::to_string(i) + ".mp3")).string() + "\n";
        refused += "av://lavfi:sine=" + std::to_string(i) + "\n";
    }
    const auto localList = dir.Write("missing.m3u", missing);
    server.Serve("/refused.m3u", refused, "audio/x-mpegurl");
    server.Serve("/tone.mp3", test::TestMediaBytes(MediaKind::Mp3), "audio/mpeg");

    for (const std::string& list : {localList.string(), server.Url("/refused.m3u")}) {
        GapMeter gaps;
        const QString reason = Outcome(list);
        EXPECT_FALSE(reason.isEmpty()) << list;
        EXPECT_NE(reason, "no outcome") << list;
        EXPECT_FALSE(reason.contains("seconds")) << reason.toStdString();
        // A freeze of the window is seconds long; a healthy run stays far below this.
        EXPECT_LT(gaps.Longest(), 1000) << list;
    }

    // A click on a stream while the refused playlist still opens (the engine reads a local
    // one itself, entry by entry): the stream plays, nothing fails.
    const auto localRefused = dir.Write("refused.m3u", refused);
    QSignalSpy failed(engine.get(), &PlayerEngine::Failed);
    QSignalSpy started(engine.get(), &PlayerEngine::Started);
    engine->Open(QString::fromStdString(localRefused.string()));
    engine->Open(QString::fromStdString(server.Url("/tone.mp3")));
    ASSERT_TRUE(started.wait(20000));
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
