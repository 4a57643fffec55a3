// Processor time of 10 s of a 640x360 25 fps HLS stream (H.264 and AAC over HTTP from
// 127.0.0.1) drawn in the player widget, beside mpv's command line playing the same stream
// on the same display in the same run. Run it under a display (Xvfb is fine):
//   DISPLAY=:99 build/bin/bench_ui_player_cpu
// (QUORVEL_BENCH_STREAM_URL plays another stream instead of the one made here).
// The variants show where the time goes: no picture at all (decoding only), the widget
// without its control bar, and the whole player; then the whole player recording the stream
// (with the time the press takes on the GUI thread) and keeping it on disk for rewinding
// (with the process's resident memory at the end, against the whole player's).
// BM_ScheduledRecordingCpu needs no display: a scheduled recording of the same stream on an
// engine of its own (no picture, no sound, nothing decoded that can be skipped), against "no
// picture" (the stream decoded and shown nowhere).
// BM_RecordingMemory needs no display: the heap a long recording takes, half an hour of a
// 64 kbit/s radio stream that the engine reads at once (and the heap still held once the
// player has gone), against the same playback without recording.
#include "QtBench.h"
#include "shell/player/LiveTimeshift.h"
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/MpvVideoWidget.h"
#include "shell/player/PlayerEngine.h"
#include "shell/player/StreamRecorder.h"
#include "shell/schedule/ScheduledRecording.h"
#include "support/LocalHttpServer.h"
#include "support/TempDir.h"
#include "support/TestMedia.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

#include <malloc.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <clocale>
#include <cstdlib>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <sstream>
#include <string>

namespace {

constexpr int kPlaySeconds = 10;

double CpuSeconds(const rusage& usage) {
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

double SelfCpu() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return CpuSeconds(usage);
}

// Processor time per thread name (the engine names its threads: decoder, video output...;
// the GUI thread carries the program's name), from /proc.
std::map<std::string, double> ThreadCpu() {
    std::map<std::string, double> byName;
    const double tick = double(::sysconf(_SC_CLK_TCK));
    for (const auto& task : std::filesystem::directory_iterator("/proc/self/task")) {
        std::ifstream in(task.path() / "stat");
        std::string stat((std::istreambuf_iterator<char>(in)), {});
        const auto open = stat.find('('), close = stat.rfind(')');
        if (open == std::string::npos || close == std::string::npos)
            continue;
        std::istringstream fields(stat.substr(close + 2));
        std::string field;
        double utime = 0, stime = 0;
        // Fields after the name: state is the first; utime and stime are the 12th and 13th.
        for (int i = 1; i <= 13 && fields >> field; ++i) {
            if (i == 12)
                utime = std::atof(field.c_str());
            if (i == 13)
                stime = std::atof(field.c_str());
        }
        byName[stat.substr(open + 1, close - open - 1)] += (utime + stime) / tick;
    }
    return byName;
}

std::map<std::string, std::string> g_threads;

std::string ReadFile(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The stream, made once and served for the whole run.
struct Stream {
    quorvel::test::TempDir dir;
    quorvel::test::LocalHttpServer server;
    std::string url;

    Stream() {
        // A stream served from elsewhere, for comparing with other servers.
        if (const char* external = std::getenv("QUORVEL_BENCH_STREAM_URL")) {
            url = external;
            return;
        }
        const std::string command =
            "ffmpeg -v error -y -f lavfi -i testsrc2=size=640x360:rate=25:duration=14 -f lavfi "
            "-i sine=frequency=440:duration=14 -c:v libx264 -preset veryfast -g 50 -c:a aac "
            "-shortest -f hls -hls_time 2 -hls_list_size 0 -hls_playlist_type vod " +
            (dir.Path() / "index.m3u8").string();
        if (std::system(command.c_str()) != 0)
            return;
        for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
            const std::string name = entry.path().filename().string();
            server.Serve("/tv/" + name, ReadFile(entry.path()),
                         name == "index.m3u8" ? "application/vnd.apple.mpegurl" : "video/mp2t");
        }
        url = server.Url("/tv/index.m3u8");
    }
};

Stream& TheStream() {
    static Stream stream;
    return stream;
}

std::map<std::string, double> g_cpu;

void RunEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

enum class Variant { NoPicture, WidgetWithoutBar, WholePlayer, Recording, TimeshiftOnDisk };

double ResidentMb() {
    std::ifstream in("/proc/self/status");
    std::string line;
    while (std::getline(in, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::atof(line.c_str() + 6) / 1024.0;
    }
    return 0;
}

void BM_PlayerCpu(benchmark::State& state) {
    const auto variant = static_cast<Variant>(state.range(0));
    if (variant != Variant::NoPicture && QGuiApplication::platformName() != "xcb") {
        state.SkipWithError("needs a display (DISPLAY, xcb)");
        return;
    }
    if (TheStream().url.empty()) {
        state.SkipWithError("ffmpeg could not make the stream");
        return;
    }
    for (auto _ : state) {
        quorvel::SessionOptions options;
        options.audioOutput = "null";
        if (variant == Variant::NoPicture)
            options.video = quorvel::VideoOutput::Null;
        quorvel::test::TempDir kept;
        if (variant == Variant::TimeshiftOnDisk)
            options.timeshiftFolder = kept.Path().string();
        auto player = std::make_unique<quorvel::MediaPlayer>(nullptr, options);
        player->resize(640, 400);
        if (variant == Variant::WidgetWithoutBar)
            player->setUiMode(QStringLiteral("none"));
        player->show();
        QEventLoop started;
        QObject::connect(player.get(), &quorvel::MediaPlayer::playbackStarted, &started,
                         &QEventLoop::quit);
        QObject::connect(player.get(), &quorvel::MediaPlayer::playbackFailed, &started,
                         [&] { started.exit(1); });
        QTimer::singleShot(15000, &started, [&] { started.exit(1); });
        player->setErrorPresenter([](const QString&, const QString&) {});
        player->setUrl(QString::fromStdString(TheStream().url));
        if (started.exec() != 0) {
            state.SkipWithError("the stream did not start");
            return;
        }
        const quint64 framesBefore = player->videoWidget()->FramesDrawn();
        const double before = SelfCpu();
        auto threads = ThreadCpu();
        if (variant == Variant::Recording) {
            quorvel::StreamRecorder& recorder = player->recorder();
            recorder.SetFolders(kept.Path(), kept.Path());
            QEventLoop ready;
            QTimer::singleShot(15000, &ready, &QEventLoop::quit);
            QObject::connect(&recorder, &quorvel::StreamRecorder::CanRecordChanged, &ready,
                             &QEventLoop::quit);
            if (!recorder.CanRecord())
                ready.exec();
            QElapsedTimer press;
            press.start();
            recorder.Start(QStringLiteral("Bench"));
            state.counters["record_start_ms"] = double(press.nsecsElapsed()) / 1e6;
            if (!recorder.IsRecording()) {
                state.SkipWithError("the recording did not start");
                return;
            }
        }
        RunEventLoop(kPlaySeconds * 1000);
        const double cpu = SelfCpu() - before;
        state.counters["rss_mb"] = ResidentMb();
        // Where the time went, largest first (threads that ended meanwhile are left out).
        std::multimap<double, std::string, std::greater<>> spent;
        for (const auto& [name, seconds] : ThreadCpu()) {
            if (seconds - threads[name] >= 0.05)
                spent.emplace(seconds - threads[name], name);
        }
        std::string breakdown;
        for (const auto& [seconds, name] : spent) {
            char part[96];
            std::snprintf(part, sizeof part, "%s%s %.2f", breakdown.empty() ? "" : ", ",
                          name.c_str(), seconds);
            breakdown += part;
        }
        state.counters["cpu_s"] = cpu;
        state.counters["frames"] = double(player->videoWidget()->FramesDrawn() - framesBefore);
        const std::string name = variant == Variant::NoPicture          ? "no picture"
                                 : variant == Variant::WidgetWithoutBar ? "widget without bar"
                                 : variant == Variant::Recording        ? "recording"
                                 : variant == Variant::TimeshiftOnDisk  ? "kept on disk"
                                                                        : "whole player";
        g_cpu[name] = cpu;
        g_threads[name] = breakdown;
        player->stop();
    }
}

double HeapMb() {
    const struct mallinfo2 heap = ::mallinfo2();
    return double(heap.uordblks + heap.hblkhd) / (1024.0 * 1024.0);
}

// Waits for `done`, checking whenever `signal` comes, for at most 30 s.
template <typename Sender, typename Signal>
bool WaitFor(Sender* sender, Signal signal, const std::function<bool()>& done) {
    QEventLoop loop;
    QObject::connect(sender, signal, &loop, [&] {
        if (done())
            loop.quit();
    });
    QTimer::singleShot(30000, &loop, [&] { loop.exit(1); });
    return done() || loop.exec() == 0;
}

void BM_RecordingMemory(benchmark::State& state) {
    const bool recording = state.range(0) != 0;
    // 64 kbit/s: 8,000 bytes a second of stream.
    constexpr double kBytesPerMinute = 8000 * 60;
    constexpr double kRecordMinutes = 25;
    for (auto _ : state) {
        quorvel::test::LocalHttpServer server;
        const std::string frames =
            quorvel::test::TestMediaBytes(quorvel::test::MediaKind::Mp3Frames);
        server.ServeEndless("/radio", frames, frames, "audio/mpeg");
        quorvel::test::TempDir dir;
        quorvel::SessionOptions options;
        options.audioOutput = "null";
        options.video = quorvel::VideoOutput::Null;
        options.timeshiftFolder = (dir.Path() / "timeshift").string();
        const double before = HeapMb();
        double growth = 0;
        double minutes = 0;
        {
            quorvel::PlayerEngine engine(options);
            quorvel::LiveTimeshift timeshift(
                engine.Session(),
                quorvel::TimeshiftStore(options.timeshiftFolder, std::int64_t(1) << 30));
            quorvel::StreamRecorder recorder(engine.Session());
            recorder.SetFolders(dir.Path(), dir.Path());
            engine.Open(QString::fromStdString(server.Url("/radio")));
            if (!WaitFor(&recorder, &quorvel::StreamRecorder::CanRecordChanged,
                         [&] { return recorder.CanRecord(); })) {
                state.SkipWithError("the stream did not start");
                return;
            }
            // The engine has read ahead what it keeps by the time the file would hold it.
            RunEventLoop(2000);
            const double start = HeapMb();
            if (recording) {
                recorder.Start(QStringLiteral("Bench"));
                const bool long_enough = WaitFor(
                    &recorder, &quorvel::StreamRecorder::Progress,
                    [&] { return double(recorder.Bytes()) >= kRecordMinutes * kBytesPerMinute; });
                minutes = double(recorder.Bytes()) / kBytesPerMinute;
                if (!long_enough) {
                    state.SkipWithError("the recording did not grow");
                    return;
                }
            } else {
                RunEventLoop(4000);
            }
            growth = HeapMb() - start;
            recorder.Stop();
            WaitFor(&recorder, &quorvel::StreamRecorder::StateChanged,
                    [&] { return !recorder.IsRecording(); });
        }
        RunEventLoop(500);
        state.counters["recorded_min"] = minutes;
        state.counters["heap_growth_mb"] = growth;
        state.counters["held_after_mb"] = HeapMb() - before;
    }
}

// mpv's command line, drawing through OpenGL on the same display (software GL allowed, as
// the player has it under Xvfb): the processor time of the whole process for the same 10 s.
void BM_MpvCommandLineCpu(benchmark::State& state) {
    if (TheStream().url.empty()) {
        state.SkipWithError("ffmpeg could not make the stream");
        return;
    }
    for (auto _ : state) {
        std::string url = TheStream().url;
        const std::string length = "--length=" + std::to_string(kPlaySeconds);
        const pid_t pid = ::fork();
        if (pid == 0) {
            char* argv[] = {const_cast<char*>("mpv"),
                            const_cast<char*>("--no-config"),
                            const_cast<char*>("--vo=gpu"),
                            const_cast<char*>("--gpu-sw"),
                            const_cast<char*>("--ao=null"),
                            const_cast<char*>("--msg-level=all=error"),
                            const_cast<char*>(length.c_str()),
                            url.data(),
                            nullptr};
            ::execvp("mpv", argv);
            ::_exit(127);
        }
        int status = 0;
        rusage usage{};
        ::wait4(pid, &status, 0, &usage);
        if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) {
            state.SkipWithError("mpv's command line did not play (Debian package mpv)");
            return;
        }
        state.counters["cpu_s"] = CpuSeconds(usage);
        g_cpu["mpv command line"] = CpuSeconds(usage);
    }
}

void BM_ScheduledRecordingCpu(benchmark::State& state) {
    if (TheStream().url.empty()) {
        state.SkipWithError("ffmpeg could not make the stream");
        return;
    }
    for (auto _ : state) {
        quorvel::test::TempDir kept;
        quorvel::ScheduleEntry entry;
        entry.id = 1;
        entry.channel = "Bench";
        entry.address = TheStream().url;
        quorvel::ScheduledRecording recording(entry);
        recording.SetFolders(kept.Path(), kept.Path());
        QEventLoop started;
        QObject::connect(&recording, &quorvel::ScheduledRecording::Started, &started,
                         &QEventLoop::quit);
        QObject::connect(&recording, &quorvel::ScheduledRecording::Failed, &started,
                         [&] { started.exit(1); });
        QTimer::singleShot(15000, &started, [&] { started.exit(1); });
        const double before = SelfCpu();
        auto threads = ThreadCpu();
        recording.Start();
        if (started.exec() != 0) {
            state.SkipWithError("the recording did not start");
            return;
        }
        RunEventLoop(kPlaySeconds * 1000);
        const double cpu = SelfCpu() - before;
        std::string breakdown;
        for (const auto& [name, seconds] : ThreadCpu()) {
            if (seconds - threads[name] >= 0.05) {
                char part[96];
                std::snprintf(part, sizeof part, "%s%s %.2f", breakdown.empty() ? "" : ", ",
                              name.c_str(), seconds - threads[name]);
                breakdown += part;
            }
        }
        state.counters["cpu_s"] = cpu;
        g_cpu["scheduled recording"] = cpu;
        g_threads["scheduled recording"] = breakdown;
        QEventLoop ended;
        QObject::connect(&recording, &quorvel::ScheduledRecording::Finished, &ended,
                         &QEventLoop::quit);
        QObject::connect(&recording, &quorvel::ScheduledRecording::Failed, &ended,
                         &QEventLoop::quit);
        QTimer::singleShot(15000, &ended, &QEventLoop::quit);
        recording.Stop();
        ended.exec();
    }
}

BENCHMARK(BM_RecordingMemory)->Arg(0)->Arg(1)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_MpvCommandLineCpu)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_ScheduledRecordingCpu)->Iterations(1)->Unit(benchmark::kSecond);
BENCHMARK(BM_PlayerCpu)
    ->Arg(static_cast<int>(Variant::NoPicture))
    ->Arg(static_cast<int>(Variant::WidgetWithoutBar))
    ->Arg(static_cast<int>(Variant::WholePlayer))
    ->Arg(static_cast<int>(Variant::Recording))
    ->Arg(static_cast<int>(Variant::TimeshiftOnDisk))
    ->Iterations(1)
    ->Unit(benchmark::kSecond);

}  // namespace

int main(int argc, char** argv) {
    if (!quorvel::bench::RunQtBenchmarks(argc, argv, quorvel::bench::BenchDisplay::DisplayIfAny))
        return 1;
    if (g_cpu.count("mpv command line") && g_cpu["mpv command line"] > 0) {
        for (const auto& [name, cpu] : g_cpu) {
            std::printf("%-20s %6.2f s CPU  %5.2fx mpv  %s\n", name.c_str(), cpu,
                        cpu / g_cpu["mpv command line"], g_threads[name].c_str());
        }
    }
    return 0;
}
