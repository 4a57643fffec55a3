// Recording what plays, with the real engine and no window, from streams on 127.0.0.1.
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"
#include "shell/player/StreamRecorder.h"

#include "ChildProcess.h"
#include "LocalHttpServer.h"
#include "PlayerTestUtil.h"
#include "TempDir.h"
#include "TestMedia.h"

#include <gtest/gtest.h>

#include <QRegularExpression>

#include <sys/resource.h>

#include <memory>
#include <string>

namespace quorvel {
namespace {

using test::MediaKind;
using test::SignalWait;

// ffprobe's view of a file: "format=...|duration=...|codec,codec".
struct Probe {
    std::string format;
    double duration = 0;
    std::string codecs;
};

Probe ProbeFile(const std::string& path) {
    const auto result =
        test::RunProcess("/usr/bin/ffprobe", {"-v", "error", "-show_entries",
                                              "format=format_name,duration:stream=codec_name",
                                              "-of", "default=noprint_wrappers=1", path});
    Probe probe;
    // A transport stream lists its streams once per program too.
    QStringList seen;
    for (const QString& line : QString::fromStdString(result.out).split('\n')) {
        const QString value = line.section('=', 1);
        if (line.startsWith("format_name="))
            probe.format = value.toStdString();
        else if (line.startsWith("duration="))
            probe.duration = value.toDouble();
        else if (line.startsWith("codec_name=") && !seen.contains(value))
            seen << value;
    }
    probe.codecs = seen.join(',').toStdString();
    return probe;
}

class RecordingTest : public ::testing::Test {
protected:
    RecordingTest() {
        recorder.SetFolders(dir / "Videos", dir / "Music");
        QObject::connect(&recorder, &StreamRecorder::Finished,
                         [this](const QString& path) { finished = path; });
        QObject::connect(&recorder, &StreamRecorder::Failed,
                         [this](const QString&, const QString& reason) { failure = reason; });
    }

    MpvSession& Session() { return engine.Session(); }
    bool Play(const std::string& url) {
        engine.Open(QString::fromStdString(url));
        return SignalWait().On(&Session(), &MpvSession::Started).Until([&] {
            return Session().IsPlaying();
        });
    }
    bool WaitCanRecord() {
        return SignalWait().On(&recorder, &StreamRecorder::CanRecordChanged).Until([&] {
            return recorder.CanRecord();
        });
    }
    bool WaitRecording() {
        return SignalWait().On(&recorder, &StreamRecorder::StateChanged).Until([&] {
            return recorder.CurrentState() == StreamRecorder::State::Recording;
        });
    }
    bool WaitEnded() {
        return SignalWait().On(&recorder, &StreamRecorder::StateChanged).Until([&] {
            return !recorder.IsRecording();
        });
    }
    // An endless MP3 stream of which the server has sent `seconds` and then holds back,
    // all of it in the engine's cache before this returns.
    bool PlayHeldRadio(double seconds) {
        const std::string frames = test::TestMediaBytes(MediaKind::Mp3Frames);
        // 64 kbit/s.
        const auto held = static_cast<std::uint64_t>(seconds * 8000);
        server.ServeEndless("/radio", frames, frames, "audio/mpeg", held);
        if (!Play(server.Url("/radio")))
            return false;
        test::MpvWatch watch(Session().Handle(), {"demuxer-cache-time"});
        return SignalWait().On(&watch, &test::MpvWatch::Changed).Until([&] {
            return QString::fromStdString(watch.Value("demuxer-cache-time")).toDouble() >
                   seconds - 1;
        });
    }

    test::TempDir dir;
    test::LocalHttpServer server;
    PlayerEngine engine{test::NullOutputs()};
    StreamRecorder recorder{engine.Session()};
    QString finished;
    QString failure;
};

TEST_F(RecordingTest, HlsRecordingHoldsTheSecondsBeforeThePressAndEndsWholeWithTheStream) {
    test::TempDir hls;
    const auto names = test::MakeHlsStream(hls.Path());
    ASSERT_FALSE(names.empty());
    for (const auto& name : names)
        server.Serve("/tv/" + name, hls.Read(name));
    ASSERT_TRUE(Play(server.Url("/tv/index.m3u8")));
    ASSERT_TRUE(test::WaitForPosition(Session(), 1.0));
    ASSERT_TRUE(WaitCanRecord());

    recorder.Start("../TV/One");
    ASSERT_TRUE(WaitRecording()) << failure.toStdString();
    // The stream's end ends the recording.
    ASSERT_TRUE(WaitEnded());
    ASSERT_FALSE(finished.isEmpty()) << failure.toStdString();
    EXPECT_TRUE(QRegularExpression(R"(/Videos/_TV_One \d{4}-\d\d-\d\d \d\d-\d\d\.ts$)")
                    .match(finished)
                    .hasMatch())
        << finished.toStdString();
    const Probe probe = ProbeFile(finished.toStdString());
    EXPECT_EQ(probe.format, "mpegts");
    EXPECT_EQ(probe.codecs, "mpeg2video,mp2");
    // All three seconds, the one before the press included.
    EXPECT_GT(probe.duration, 2.5);
}

TEST_F(RecordingTest, RadioRecordingStartsAMinuteBeforeThePressAndEndsWholeWhenStopped) {
    ASSERT_TRUE(PlayHeldRadio(120));
    Session().Seek(90);
    ASSERT_TRUE(test::WaitForPosition(Session(), 90));
    ASSERT_TRUE(WaitCanRecord());

    recorder.Start("Radio");
    ASSERT_TRUE(WaitRecording()) << failure.toStdString();
    recorder.Stop();
    ASSERT_TRUE(WaitEnded());
    ASSERT_FALSE(finished.isEmpty()) << failure.toStdString();
    EXPECT_TRUE(finished.contains("/Music/Radio ") && finished.endsWith(".mp3"))
        << finished.toStdString();
    const Probe probe = ProbeFile(finished.toStdString());
    EXPECT_EQ(probe.codecs, "mp3");
    // From 30 s (a minute before the press at 90 s) to the 120 s the engine held.
    EXPECT_NEAR(probe.duration, 90, 3);

    // Another channel ends it too, the file whole.
    finished.clear();
    recorder.Start("Radio");
    ASSERT_TRUE(WaitRecording()) << failure.toStdString();
    engine.Open(QString::fromStdString(test::TestMediaFile(MediaKind::Mp3).string()));
    ASSERT_TRUE(WaitEnded());
    ASSERT_FALSE(finished.isEmpty()) << failure.toStdString();
    EXPECT_NEAR(ProbeFile(finished.toStdString()).duration, 90, 3);
}

TEST_F(RecordingTest, AFailedWriteEndsTheRecordingWithItsReasonWhilePlaybackGoesOn) {
    ASSERT_TRUE(PlayHeldRadio(60));
    ASSERT_TRUE(WaitCanRecord());

    // A folder that cannot be made.
    recorder.SetFolders(dir / "Videos", dir.Write("file", "") / "Music");
    recorder.Start("Radio");
    EXPECT_FALSE(recorder.IsRecording());
    EXPECT_FALSE(failure.isEmpty());

    // A file that reaches the size limit: what was written stays; a file without a byte goes.
    recorder.SetFolders(dir / "Videos", dir / "Music");
    for (const rlim_t limit : {rlim_t(0), rlim_t(100 * 1000)}) {
        failure.clear();
        rlimit old{};
        ::getrlimit(RLIMIT_FSIZE, &old);
        rlimit small = old;
        small.rlim_cur = limit;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
        recorder.Start("Radio");
        const bool ended = WaitEnded();
        ::setrlimit(RLIMIT_FSIZE, &old);
        ASSERT_TRUE(ended);
        EXPECT_TRUE(finished.isEmpty());
        EXPECT_EQ(failure, "The file has reached the largest size allowed.");
        std::error_code missing;
        const auto bytes = std::filesystem::file_size(recorder.FilePath().toStdString(), missing);
        EXPECT_EQ(bool(missing), limit == 0) << limit;
        EXPECT_LE(missing ? 0 : bytes, limit);
    }

    const double at = Session().Position();
    EXPECT_TRUE(test::WaitForPosition(Session(), at + 0.5));
    EXPECT_TRUE(Session().IsPlaying());
}

}  // namespace
}  // namespace quorvel
