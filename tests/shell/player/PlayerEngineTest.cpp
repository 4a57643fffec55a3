// The player logic with the real engine and no window: no video, no audio output.
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"

#include "LocalHttpServer.h"
#include "PlayerTestUtil.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QTimer>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <mutex>
#include <thread>

namespace quorvel {
namespace {

using test::MediaKind;
using test::SignalWait;
using test::TestMediaFile;

class PlayerEngineTest : public ::testing::Test {
protected:
    PlayerEngineTest() { UseEngine(3); }

    void UseEngine(int networkTimeoutSeconds) {
        engine.reset();
        engine = std::make_unique<PlayerEngine>(test::NullOutputs(networkTimeoutSeconds));
        QObject::connect(engine.get(), &PlayerEngine::Started,
                         [this](const QString& address) { started << address; });
        QObject::connect(engine.get(), &PlayerEngine::Failed,
                         [this](const QString& address, const QString& reason) {
                             failedAddress = address;
                             failures << reason;
                         });
    }

    mpv_handle* Mpv() const { return engine->Session().Handle(); }

    // Opens the address and waits until it starts or fails; true when it started.
    bool OpenAndWait(const std::string& address, int timeoutMs = test::kGuardMs) {
        started.clear();
        failures.clear();
        engine->Open(QString::fromStdString(address));
        WaitForOutcome(timeoutMs);
        return !started.isEmpty();
    }

    bool WaitForOutcome(int timeoutMs = test::kGuardMs) {
        return SignalWait()
            .On(engine.get(), &PlayerEngine::Started)
            .On(engine.get(), &PlayerEngine::Failed)
            .Until([&] { return !started.isEmpty() || !failures.isEmpty(); }, timeoutMs);
    }

    bool WaitForPosition(double seconds) {
        return test::WaitForPosition(engine->Session(), seconds);
    }

    std::unique_ptr<PlayerEngine> engine;
    QStringList started;
    QStringList failures;
    QString failedAddress;
};

TEST_F(PlayerEngineTest, PlaysLocalMediaOfEveryKindAndTimeAdvances) {
    for (const auto kind :
         {MediaKind::Wav, MediaKind::Mp3, MediaKind::Wma, MediaKind::Wmv, MediaKind::Mp4}) {
        const auto path = TestMediaFile(kind);
        ASSERT_FALSE(path.empty()) << "ffmpeg could not make test media";
        ASSERT_TRUE(OpenAndWait(path.string())) << path << ": " << failures.join("|").toStdString();
        EXPECT_EQ(started.front().toStdString(), path.string());
        EXPECT_TRUE(WaitForPosition(0.3)) << path << " did not advance";
        EXPECT_EQ(test::MpvString(Mpv(), "path"), path.string());
    }
}

TEST_F(PlayerEngineTest, NewAddressReplacesAndStopLeavesNothingPlaying) {
    const auto wav = TestMediaFile(MediaKind::Wav).string();
    const auto mp3 = TestMediaFile(MediaKind::Mp3).string();
    ASSERT_TRUE(OpenAndWait(wav));
    // Left paused, the next address still plays at once.
    engine->Session().SetPaused(true);
    ASSERT_TRUE(SignalWait().On(&engine->Session(), &MpvSession::PauseChanged).Until([&] {
        return engine->Session().Paused();
    }));
    ASSERT_TRUE(OpenAndWait(mp3));
    EXPECT_EQ(test::MpvString(Mpv(), "path"), mp3);
    EXPECT_TRUE(WaitForPosition(0.3));
    EXPECT_EQ(test::MpvString(Mpv(), "playlist-count"), "1");

    test::MpvWatch watch(Mpv(), {"idle-active", "time-pos"});
    bool ended = false;
    QObject::connect(engine.get(), &PlayerEngine::Ended, [&] { ended = true; });
    engine->Stop();
    EXPECT_TRUE(ended);
    EXPECT_TRUE(watch.WaitFor("idle-active", "yes"));
    EXPECT_EQ(test::MpvString(Mpv(), "playlist-count"), "0");
    EXPECT_TRUE(watch.WaitFor("time-pos", ""));
    EXPECT_FALSE(engine->Session().IsActive());
}

TEST_F(PlayerEngineTest, AddressSetWhileTheLastOneStillOpensIsTheOneThatCounts) {
    // Clear of the network timeout: the server holds the playlist as long as the test needs.
    UseEngine(60);
    test::TempDir dir;
    test::LocalHttpServer server;
    server.Serve("/tone.mp3", test::TestMediaBytes(MediaKind::Mp3), "audio/mpeg");
    server.Serve("/radio.asx", "<asx><entry><ref href=\"tone.mp3\"/></entry></asx>",
                 "video/x-ms-asf");
    const auto corrupt = dir.Write("broken.mp3", std::string(4000, '\x5a'));
    MpvSession& session = engine->Session();
    for (const std::string& first : {TestMediaFile(MediaKind::Wav).string(), corrupt.string()}) {
        started.clear();
        failures.clear();
        // The playlist is held until the first address has settled in the engine.
        server.Hold("/radio.asx");
        bool firstSettled = false;
        QObject context;
        QObject::connect(&session, &MpvSession::Started, &context, [&] { firstSettled = true; });
        QObject::connect(&session, &MpvSession::Failed, &context, [&] { firstSettled = true; });
        engine->Open(QString::fromStdString(first));
        engine->Open(QString::fromStdString(server.Url("/radio.asx")));
        ASSERT_TRUE(SignalWait()
                        .On(&session, &MpvSession::Started)
                        .On(&session, &MpvSession::Failed)
                        .Until([&] { return firstSettled; }))
            << first;
        server.Release();
        ASSERT_TRUE(WaitForOutcome());
        // News of the first address still on its way would come before this.
        ASSERT_TRUE(test::RoundTrip(engine->Session()));
        EXPECT_TRUE(failures.isEmpty()) << first << ": " << failures.join("|").toStdString();
        EXPECT_EQ(started.join("|").toStdString(), server.Url("/radio.asx")) << first;
        EXPECT_EQ(test::MpvString(Mpv(), "path"), server.Url("/tone.mp3")) << first;
    }
}

TEST_F(PlayerEngineTest, RefusedAddressesNeverReachTheEngine) {
    const auto wav = TestMediaFile(MediaKind::Wav).string();
    for (const std::string& address :
         {"file://" + wav, "FILE://" + wav, std::string("av://lavfi:sine"),
          std::string("lavfi://sine"), std::string("fd://0"), std::string("ytdl://example"),
          std::string("edl://" + wav), std::string("memory://abc"), std::string("-"),
          std::string("tone.wav"), std::string("C:\\Music\\tone.wav"), std::string(""),
          std::string("http://")}) {
        EXPECT_FALSE(OpenAndWait(address, 2000)) << address;
        ASSERT_EQ(failures.size(), 1) << address;
        EXPECT_FALSE(failures.front().isEmpty());
        EXPECT_EQ(failedAddress.toStdString(), address);
    }
    EXPECT_EQ(engine->Session().StartedFiles(), 0);
    EXPECT_TRUE(test::MpvIdle(Mpv()));
}

TEST_F(PlayerEngineTest, FailuresNameTheEnginesReason) {
    test::TempDir dir;
    test::LocalHttpServer server;
    const std::string mp4 = test::TestMediaBytes(MediaKind::Mp4);
    const auto corrupt = dir.Write("broken.mp3", std::string(4000, '\x5a'));
    const auto truncated = dir.Write("cut.mp4", mp4.substr(0, 2000));
    // A port that was free a moment ago: nothing listens there now.
    const int deadPort = [] {
        test::LocalHttpServer gone;
        return gone.Port();
    }();
    const std::pair<std::string, QString> cases[] = {
        {"http://127.0.0.1:" + std::to_string(deadPort) + "/radio", "Connection refused"},
        {server.Url("/missing.mp3"), "404"},
        {corrupt.string(), "Failed to recognize file format"},
        {truncated.string(), "Failed to recognize file format"},
        {(dir / "absent.mp3").string(), "No such file"},
    };
    for (const auto& [address, reason] : cases) {
        EXPECT_FALSE(OpenAndWait(address)) << address;
        ASSERT_EQ(failures.size(), 1) << address;
        EXPECT_TRUE(failures.front().contains(reason)) << failures.front().toStdString();
        EXPECT_FALSE(engine->Session().IsActive());
    }
}

TEST_F(PlayerEngineTest, PlaysStreamsAndEveryPlaylistFormatOverHttp) {
    test::LocalHttpServer server;
    server.Serve("/tone.mp3", test::TestMediaBytes(MediaKind::Mp3), "audio/mpeg");
    server.Serve("/tone.wma", test::TestMediaBytes(MediaKind::Wma), "audio/x-ms-wma");
    const std::string mp3 = server.Url("/tone.mp3");
    server.Serve("/list.m3u", "#EXTM3U\n#EXTINF:-1,Tone\n" + mp3 + "\n", "audio/x-mpegurl");
    server.Serve("/list.pls", "[playlist]\nFile1=" + mp3 + "\nNumberOfEntries=1\n",
                 "audio/x-scpls");
    server.Serve("/radio.asx",
                 "<ASX version=\"3.0\"><Entry><Ref href=\"file:///etc/passwd\"/>"
                 "<REF HREF='" +
                     mp3 + "?a=1&amp;b=2'/></Entry></ASX>",
                 "video/x-ms-asf");
    server.Serve("/radio.wax", "<asx version=\"3.0\"><entry><ref href=\"tone.wma\"/></entry></asx>",
                 "audio/x-ms-wax");
    server.Serve("/video.wvx", "<Asx><Entry><Ref href=\"/tone.mp3\" /></Entry></Asx>",
                 "video/x-ms-wvx");
    server.Serve("/list.wpl",
                 "<?wpl version=\"1.0\"?><smil><body><seq><media src=\"tone.mp3\"/></seq></body>"
                 "</smil>",
                 "application/vnd.ms-wpl");
    // Servers hand out "[Reference]" text under a media name and type.
    server.Serve("/live.asf", "[Reference]\r\nRef1=" + server.Url("/tone.wma") + "\r\n",
                 "video/x-ms-asf");

    for (const std::string path : {"/tone.mp3", "/list.m3u", "/list.pls", "/radio.asx",
                                   "/radio.wax", "/video.wvx", "/list.wpl", "/live.asf"}) {
        EXPECT_TRUE(OpenAndWait(server.Url(path)))
            << path << ": " << failures.join("|").toStdString();
    }
    EXPECT_EQ(server.RequestCount("/tone.mp3?a=1&b=2"), 1);
    EXPECT_TRUE(WaitForPosition(0.2));
}

TEST_F(PlayerEngineTest, PlaysHlsOverHttpWithItsSegments) {
    test::TempDir dir;
    test::LocalHttpServer server;
    const auto names = test::MakeHlsStream(dir.Path());
    ASSERT_GE(names.size(), 3u) << "ffmpeg could not make the HLS stream";
    for (const auto& name : names) {
        server.Serve("/tv/" + name, dir.Read(name),
                     name == "index.m3u8" ? "application/vnd.apple.mpegurl" : "video/mp2t");
    }
    EXPECT_TRUE(OpenAndWait(server.Url("/tv/index.m3u8"))) << failures.join("|").toStdString();
    EXPECT_TRUE(WaitForPosition(1.2));
    EXPECT_GE(server.RequestCount("/tv/" + names[1]), 1);

    // The same index served with its segments named as local files must not play them.
    std::string index = dir.Read("index.m3u8");
    for (std::size_t at = 0; (at = index.find(".ts", at)) != std::string::npos; at += 3) {
        const std::size_t lineStart = index.rfind('\n', at) + 1;
        const std::string local = "file://" + (dir.Path() / "").string();
        index.insert(lineStart, local);
        at += local.size();
    }
    server.Serve("/tv/local.m3u8", index, "application/vnd.apple.mpegurl");
    EXPECT_FALSE(OpenAndWait(server.Url("/tv/local.m3u8"))) << index;

    // Through a master playlist, whose variants are looked at first.
    server.Serve("/tv/master.m3u8", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=800000\nindex.m3u8\n",
                 "application/vnd.apple.mpegurl");
    EXPECT_TRUE(OpenAndWait(server.Url("/tv/master.m3u8"))) << failures.join("|").toStdString();
    server.Serve("/tv/list.m3u", server.Url("/tv/master.m3u8") + "\n", "audio/x-mpegurl");
    EXPECT_TRUE(OpenAndWait(server.Url("/tv/list.m3u"))) << failures.join("|").toStdString();
}

TEST_F(PlayerEngineTest, HlsPlaylistsThatNeverEndAreRefusedBeforeTheEngineReadsThem) {
    test::LocalHttpServer server;
    const std::string type = "application/vnd.apple.mpegurl";
    const std::string head = "#EXTM3U\n#EXT-X-TARGETDURATION:1\n";
    const std::string segment = "#EXTINF:1,\nsegment.ts\n";
    // Both stop sending part-way until released; the first never is.
    server.ServeEndless("/live/trickle.m3u8", head, segment, type, 4096);
    server.ServeEndless("/live/endless.m3u8", head, segment, type, 256 * 1024);
    server.Serve("/live/master.m3u8", "#EXTM3U\n#EXT-X-STREAM-INF:BANDWIDTH=1\nendless.m3u8\n",
                 type);

    EXPECT_FALSE(OpenAndWait(server.Url("/live/trickle.m3u8")));
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.front().contains("did not arrive whole within 3 seconds"))
        << failures.front().toStdString();

    // The rest runs clear of the network timeout: only the size may end these reads.
    UseEngine(60);
    started.clear();
    failures.clear();
    engine->Open(QString::fromStdString(server.Url("/live/endless.m3u8")));
    ASSERT_TRUE(server.WaitForBytesSent("/live/endless.m3u8", 256 * 1024, test::kGuardMs));
    // Half-way through the playlist the window still handles its events.
    EXPECT_TRUE(test::DeliverPosted());
    EXPECT_TRUE(started.isEmpty() && failures.isEmpty());
    server.Release();
    ASSERT_TRUE(WaitForOutcome());
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.front().contains("is larger than 1024 KB"))
        << failures.front().toStdString();

    EXPECT_FALSE(OpenAndWait(server.Url("/live/master.m3u8")));
    ASSERT_EQ(failures.size(), 1);
    EXPECT_TRUE(failures.front().contains(QString::fromStdString(server.Url("/live/endless.m3u8"))))
        << failures.front().toStdString();

    // A playlist that names one hands over to its next entry.
    server.Serve("/tone.mp3", test::TestMediaBytes(MediaKind::Mp3), "audio/mpeg");
    server.Serve("/live/list.m3u",
                 server.Url("/live/endless.m3u8") + "\n" + server.Url("/tone.mp3") + "\n",
                 "audio/x-mpegurl");
    EXPECT_TRUE(OpenAndWait(server.Url("/live/list.m3u"))) << failures.join("|").toStdString();
    EXPECT_EQ(test::MpvString(Mpv(), "path"), server.Url("/tone.mp3"));

    // Only our capped reads reached the server; the engine never opened either playlist.
    EXPECT_EQ(server.RequestCount("/live/trickle.m3u8"), 1);
    EXPECT_EQ(server.RequestCount("/live/endless.m3u8"), 3);
    EXPECT_EQ(server.RequestCount("/live/master.m3u8"), 1);
    EXPECT_LT(server.BytesSent("/live/endless.m3u8"), 3 * (1024 + 8192) * 1024u);
}

TEST_F(PlayerEngineTest, PlaysLocalPlaylistsAndTheirRelativeEntries) {
    test::TempDir dir;
    const auto wav = TestMediaFile(MediaKind::Wav);
    const auto music = dir / "Music";
    std::filesystem::create_directories(music);
    std::filesystem::copy_file(wav, music / "tone.wav");
    const std::pair<std::string, std::string> playlists[] = {
        {"a.asx", "<asx version=\"3.0\"><entry><ref href=\"Music\\tone.wav\"/></entry></asx>"},
        {"b.wpl", "<?wpl version=\"1.0\"?><smil><body><seq><media src=\"" +
                      (music / "tone.wav").string() + "\"/></seq></body></smil>"},
        {"c.m3u", "Music/tone.wav\n"},
        {"d.wmv", "[Reference]\r\nRef1=" + (music / "tone.wav").string() + "\r\n"},
    };
    for (const auto& [name, text] : playlists) {
        const auto path = dir.Write(name, text);
        EXPECT_TRUE(OpenAndWait(path.string())) << name << ": " << failures.join("|").toStdString();
        EXPECT_EQ(test::MpvString(Mpv(), "path"), (music / "tone.wav").string()) << name;
    }
}

TEST_F(PlayerEngineTest, PlaylistsFromTheNetworkNeverLeadToLocalFiles) {
    test::LocalHttpServer server;
    const std::string wav = TestMediaFile(MediaKind::Wav).string();
    server.Serve("/local.m3u", wav + "\nfile://" + wav + "\n", "audio/x-mpegurl");
    server.Serve("/local.asx", "<asx><entry><ref href=\"" + wav + "\"/></entry></asx>",
                 "video/x-ms-asf");
    server.Serve("/device.pls", "[playlist]\nFile1=av://lavfi:sine\nNumberOfEntries=1\n",
                 "audio/x-scpls");
    for (const std::string path : {"/local.m3u", "/local.asx", "/device.pls"}) {
        EXPECT_FALSE(OpenAndWait(server.Url(path))) << path;
        ASSERT_EQ(failures.size(), 1) << path;
        EXPECT_NE(test::MpvString(Mpv(), "path"), wav);
    }
    // Refused entries are passed over; the first stream after them plays.
    server.Serve("/tone.mp3", test::TestMediaBytes(MediaKind::Mp3), "audio/mpeg");
    server.Serve("/mixed.m3u", wav + "\nav://lavfi:sine\n" + server.Url("/tone.mp3") + "\n",
                 "audio/x-mpegurl");
    EXPECT_TRUE(OpenAndWait(server.Url("/mixed.m3u"))) << failures.join("|").toStdString();
    EXPECT_EQ(test::MpvString(Mpv(), "path"), server.Url("/tone.mp3"));
}

TEST_F(PlayerEngineTest, DevicesAndPipesAreNeverOpened) {
    test::TempDir dir;
    const std::string fifo = (dir / "pipe.mp3").string();
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const auto list = dir.Write("list.m3u", fifo + "\n");
    // This writer gets a reader only if the window or the engine opens the pipe; it also
    // lets such a reader go on at once instead of hanging.
    std::mutex mutex;
    bool releasing = false;
    bool openedByOther = false;
    std::thread writer([&] {
        const int fd = ::open(fifo.c_str(), O_WRONLY);
        {
            std::lock_guard lock(mutex);
            openedByOther = !releasing;
        }
        if (fd >= 0)
            ::close(fd);
    });
    for (const std::string& address : {fifo, std::string("/dev/zero"), list.string()}) {
        EXPECT_FALSE(OpenAndWait(address, 15000)) << address;
        ASSERT_EQ(failures.size(), 1) << address;
        EXPECT_TRUE(failures.front().contains("device, pipe")) << failures.front().toStdString();
    }
    {
        std::lock_guard lock(mutex);
        releasing = true;
    }
    const int release = ::open(fifo.c_str(), O_RDONLY | O_NONBLOCK);
    writer.join();
    if (release >= 0)
        ::close(release);
    EXPECT_FALSE(openedByOther) << "the pipe was opened";
}

TEST_F(PlayerEngineTest, StalledServerFailsInTimeWhileEventsKeepFlowing) {
    test::LocalHttpServer server;
    server.Stall("/stall.mp3");
    server.Stall("/stall.asx");
    for (const std::string path : {"/stall.mp3", "/stall.asx"}) {
        EXPECT_FALSE(OpenAndWait(server.Url(path))) << path;
        ASSERT_EQ(failures.size(), 1) << path;
        // The network timeout's reason, not the later one of the watchdog.
        EXPECT_TRUE(failures.front().contains("3 seconds") ||
                    failures.front().contains("timed out") || failures.front().contains("Timeout"))
            << failures.front().toStdString();
        EXPECT_GE(server.RequestCount(path), 1);
    }
    // While the server holds the request the window goes on handling its events; a long
    // timeout keeps the look clear of the failure.
    UseEngine(60);
    for (const std::string path : {"/stall.mp3", "/stall.asx"}) {
        const int before = server.RequestCount(path);
        started.clear();
        failures.clear();
        engine->Open(QString::fromStdString(server.Url(path)));
        ASSERT_TRUE(test::RunUntilRequested(server, path, before + 1)) << path;
        EXPECT_TRUE(test::DeliverPosted());
        EXPECT_TRUE(started.isEmpty() && failures.isEmpty()) << path;
    }
}

}  // namespace
}  // namespace quorvel
