// Scheduled recordings with the real engine and no window, from a stream on 127.0.0.1, driven
// by a clock the test moves.
#include "schedule/ScheduleStore.h"
#include "shell/player/MpvSession.h"
#include "shell/schedule/ScheduleRunner.h"
#include "shell/schedule/ScheduledRecording.h"

#include "ChildProcess.h"
#include "LocalHttpServer.h"
#include "ScopedHives.h"
#include "TempDir.h"

#include <gtest/gtest.h>

#include <QElapsedTimer>
#include <QRegularExpression>
#include <QSignalSpy>

#include <mpv/client.h>

namespace quorvel {
namespace {

constexpr std::int64_t kProgrammeStart = 1900000000;
constexpr int kRunnerGuardMs = 15000;
constexpr const char* kApp = "QuorvelScheduleTest";

// `seconds` of a test picture and tone as an MPEG transport stream.
std::string MakeStream(const test::TempDir& dir, int seconds) {
    const std::string path = (dir / "live.ts").string();
    const std::string length = std::to_string(seconds);
    test::RunProcess("/usr/bin/ffmpeg",
                     {"-v", "error", "-f", "lavfi", "-i", "testsrc=size=160x120:rate=10", "-f",
                      "lavfi", "-i", "sine=frequency=440", "-t", length, "-c:v", "mpeg2video",
                      "-c:a", "mp2", "-f", "mpegts", path});
    return dir.Read("live.ts");
}

double ProbedSeconds(const std::string& path) {
    const auto result = test::RunProcess(
        "/usr/bin/ffprobe",
        {"-v", "error", "-show_entries", "format=duration", "-of", "csv=p=0", path});
    return QString::fromStdString(result.out).trimmed().toDouble();
}

// How many seconds of the stream the engine holds, seen through a client of its own.
class CacheWatch : public QObject {
    Q_OBJECT
public:
    explicit CacheWatch(mpv_handle* engine) : m_handle(mpv_create_client(engine, "test-cache")) {
        mpv_observe_property(m_handle, 0, "demuxer-cache-time", MPV_FORMAT_DOUBLE);
        mpv_set_wakeup_callback(
            m_handle,
            [](void* self) {
                QMetaObject::invokeMethod(static_cast<CacheWatch*>(self), &CacheWatch::Drain,
                                          Qt::QueuedConnection);
            },
            this);
    }
    ~CacheWatch() override {
        mpv_set_wakeup_callback(m_handle, nullptr, nullptr);
        mpv_destroy(m_handle);
    }
    double seconds = 0;

Q_SIGNALS:
    void Changed();

private:
    void Drain() {
        for (mpv_event* event = mpv_wait_event(m_handle, 0); event->event_id != MPV_EVENT_NONE;
             event = mpv_wait_event(m_handle, 0)) {
            const auto* property = static_cast<const mpv_event_property*>(event->data);
            if (event->event_id == MPV_EVENT_PROPERTY_CHANGE &&
                property->format == MPV_FORMAT_DOUBLE) {
                seconds = *static_cast<const double*>(property->data);
                Q_EMIT Changed();
            }
        }
    }

    mpv_handle* m_handle;
};

ScheduleEntry Programme(const std::string& address) {
    ScheduleEntry entry;
    entry.channel = "News One";
    entry.address = address;
    entry.title = "Late News";
    entry.start = kProgrammeStart;
    entry.stop = kProgrammeStart + 4;
    entry.marginBefore = 1;
    entry.marginAfter = 1;
    return entry;
}

class ScheduleRunnerTest : public ::testing::Test {
protected:
    ScheduleRunnerTest() { runner.SetFolders(dir / "Videos", dir / "Music"); }
    const ScheduleEntry& Entry(std::uint64_t id) { return *runner.Plan().Find(id); }
    // Runs the event loop until the condition holds, woken by the signal each time.
    template <typename Sender, typename Signal>
    bool WaitFor(const Sender* sender, Signal signal, const std::function<bool()>& condition) {
        QSignalSpy spy(sender, signal);
        QElapsedTimer guard;  // a failure guard, never a pace
        guard.start();
        while (!condition()) {
            if (guard.hasExpired(kRunnerGuardMs) || !spy.wait(kRunnerGuardMs))
                return condition();
        }
        return true;
    }

    test::ScopedHives hives;
    test::TempDir dir;
    test::LocalHttpServer server;
    std::int64_t now = kProgrammeStart - 60;
    ScheduleRunner runner{kApp, [this] { return now; }};
};

TEST_F(ScheduleRunnerTest, ARecordingHoldsTheProgrammeWithItsMarginsAndSurvivesInTheSettings) {
    // The server sends the six seconds of the span (margins included), then one null packet of
    // the transport stream, and holds back, as a live stream does until more has happened.
    const std::string stream = MakeStream(dir, 6);
    ASSERT_FALSE(stream.empty());
    std::string filler(188, '\xFF');
    filler.replace(0, 4, "\x47\x1F\xFF\x10");
    server.ServeEndless("/live.ts", stream, filler, "video/mp2t", filler.size());
    const auto id = runner.Add(Programme(server.Url("/live.ts"))).id;
    ASSERT_NE(id, 0u);

    now = kProgrammeStart - 2;
    runner.CheckNow();
    EXPECT_EQ(runner.Running(id), nullptr);
    now = kProgrammeStart - 1;  // the start less the margin
    runner.CheckNow();
    ASSERT_NE(runner.Running(id), nullptr);
    ASSERT_TRUE(WaitFor(&runner, &ScheduleRunner::RecordingStarted,
                        [&] { return !Entry(id).file.empty(); }));
    {
        // Everything sent has reached the engine before the clock reaches the end.
        CacheWatch cache(runner.Running(id)->Session().Handle());
        ASSERT_TRUE(WaitFor(&cache, &CacheWatch::Changed, [&] { return cache.seconds > 5.5; }));
    }

    now = kProgrammeStart + 4;  // the programme's end: the margin after still records
    runner.CheckNow();
    EXPECT_EQ(Entry(id).state, EntryState::Running);
    now = kProgrammeStart + 5;
    runner.CheckNow();
    ASSERT_TRUE(WaitFor(&runner, &ScheduleRunner::RecordingEnded,
                        [&] { return Entry(id).state != EntryState::Running; }));
    const ScheduleEntry& done = Entry(id);
    ASSERT_EQ(done.state, EntryState::Finished) << done.reason;
    EXPECT_TRUE(QRegularExpression(R"(/Videos/News One \d{4}-\d\d-\d\d \d\d-\d\d\.ts$)")
                    .match(QString::fromStdString(done.file))
                    .hasMatch())
        << done.file;
    const double seconds = ProbedSeconds(done.file);
    EXPECT_GT(seconds, 5.0);
    EXPECT_LT(seconds, 6.5);

    const LoadedSchedule kept = LoadSchedule(kApp);
    ASSERT_EQ(kept.entries.size(), 1u);
    EXPECT_EQ(kept.entries[0], done);
}

TEST_F(ScheduleRunnerTest, AChannelThatFailsGivesTheReasonAndAPassedRecordingIsMissed) {
    server.ServeStatus("/gone.ts", 404, "gone");
    const auto failing = runner.Add(Programme(server.Url("/gone.ts"))).id;
    ScheduleEntry later = Programme(server.Url("/later.ts"));
    later.start += 3600;
    later.stop += 3600;
    const auto missed = runner.Add(later).id;
    ASSERT_NE(failing, 0u);
    ASSERT_NE(missed, 0u);

    now = kProgrammeStart;
    runner.CheckNow();
    ASSERT_TRUE(WaitFor(&runner, &ScheduleRunner::RecordingEnded,
                        [&] { return Entry(failing).state == EntryState::Failed; }));
    EXPECT_NE(Entry(failing).reason.find("404"), std::string::npos) << Entry(failing).reason;

    // The program closed; started again after the second programme's start.
    now = later.start + 10;
    ScheduleRunner restarted(kApp, [this] { return now; });
    restarted.Load();
    EXPECT_EQ(restarted.Plan().Find(missed)->state, EntryState::Missed);
    EXPECT_EQ(restarted.Running(missed), nullptr);
    EXPECT_EQ(LoadSchedule(kApp).entries.back().state, EntryState::Missed);
}

}  // namespace
}  // namespace quorvel

#include "ScheduleRunnerTest.moc"
