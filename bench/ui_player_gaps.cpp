// The GUI thread's longest gap while the player meets hostile playlists, huge addresses and
// fast switching: the longest interval between two ticks of a 1 ms timer, from the moment
// the address is set until the player has told how it ended (and a short while after).
// Run it under a display (Xvfb is fine):
//   DISPLAY=:99 build/bin/bench_ui_player_gaps
// Each case reports gap_ms (target: under 100) and wall_ms, the time until it was told.
#include "QtBench.h"
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvVideoWidget.h"
#include "support/LocalHttpServer.h"
#include "support/TempDir.h"
#include "support/TestMedia.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QMessageBox>
#include <QTimer>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <functional>
#include <iterator>
#include <map>
#include <memory>
#include <string>

namespace {

constexpr int kGuardMs = 60000;
// After the player told its outcome: what it does next (closing, the box's layout) counts.
constexpr int kAfterMs = 300;

// Ticks every millisecond and keeps the longest time between two ticks.
class GapMeter {
public:
    GapMeter() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout, [this] { Tick(); });
    }
    void Start() {
        m_longest = 0;
        m_longestCpu = 0;
        m_clock.start();
        m_last = 0;
        m_lastCpu = ThreadCpuNs();
        m_timer.start();
    }
    double StopMs() {
        Tick();
        m_timer.stop();
        return double(m_longest) / 1e6;
    }
    // The GUI thread's own processor time within the longest gap: near the gap, it worked;
    // far below, it waited (a lock, or no processor free).
    double LongestGapCpuMs() const { return double(m_longestCpu) / 1e6; }

private:
    void Tick() {
        const qint64 now = m_clock.nsecsElapsed();
        const qint64 cpu = ThreadCpuNs();
        if (now - m_last > m_longest) {
            m_longest = now - m_last;
            m_longestCpu = cpu - m_lastCpu;
        }
        m_last = now;
        m_lastCpu = cpu;
    }
    static qint64 ThreadCpuNs() {
        timespec now{};
        ::clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
        return qint64(now.tv_sec) * 1000000000 + now.tv_nsec;
    }
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_last = 0;
    qint64 m_longest = 0;
    qint64 m_lastCpu = 0;
    qint64 m_longestCpu = 0;
};

void RunEventLoop(int ms) {
    QEventLoop loop;
    QTimer::singleShot(ms, &loop, &QEventLoop::quit);
    loop.exec();
}

struct Fixture {
    quorvel::test::TempDir dir;
    quorvel::test::LocalHttpServer server;
    std::string hls;

    Fixture() {
        std::filesystem::create_directories(dir.Path() / "hls");
        const auto names = quorvel::test::MakeHlsStream(dir.Path() / "hls");
        for (const auto& name : names) {
            std::string bytes;
            std::ifstream in(dir.Path() / "hls" / name, std::ios::binary);
            bytes.assign(std::istreambuf_iterator<char>(in), {});
            server.Serve("/hls/" + name, bytes,
                         name.ends_with(".m3u8") ? "application/vnd.apple.mpegurl" : "video/mp2t");
        }
        if (!names.empty())
            hls = server.Url("/hls/" + names.front());
    }
};

Fixture& TheFixture() {
    static Fixture fixture;
    return fixture;
}

std::map<std::string, double> g_gaps;

// A shown player, its picture ready, whose failures go to its own error box.
std::unique_ptr<quorvel::MediaPlayer> ShownPlayer() {
    quorvel::SessionOptions options;
    options.audioOutput = "null";
    auto player = std::make_unique<quorvel::MediaPlayer>(nullptr, options);
    player->resize(640, 400);
    player->show();
    QEventLoop ready;
    QObject::connect(player->videoWidget(), &quorvel::MpvVideoWidget::Ready, &ready,
                     &QEventLoop::quit);
    QTimer::singleShot(kGuardMs, &ready, &QEventLoop::quit);
    if (!player->videoWidget()->IsReady())
        ready.exec();
    return player;
}

enum class Outcome { Started, Failed };

// Provokes, then measures until the player tells the outcome the case ends with.
void Measure(benchmark::State& state, const std::string& name, Outcome until,
             const std::function<void(quorvel::MediaPlayer&)>& provoke,
             const std::function<void(quorvel::MediaPlayer&)>& prepare = {}) {
    if (QGuiApplication::platformName() != "xcb") {
        state.SkipWithError("needs a display (DISPLAY, xcb)");
        return;
    }
    for (auto _ : state) {
        auto player = ShownPlayer();
        if (prepare)
            prepare(*player);
        QEventLoop told;
        QObject::connect(player.get(), &quorvel::MediaPlayer::playbackStarted, &told,
                         [&](const QString& url) {
                             // Only the last address set counts, not one switched away from.
                             if (until == Outcome::Started && url == player->url())
                                 told.quit();
                         });
        QString reason;
        QObject::connect(player.get(), &quorvel::MediaPlayer::playbackFailed, &told,
                         [&](const QString&, const QString& why) {
                             reason = why.section(QLatin1Char('\n'), 0, 0).left(70);
                             if (until == Outcome::Failed)
                                 told.quit();
                         });
        QTimer::singleShot(kGuardMs, &told, [&] { told.exit(1); });
        GapMeter meter;
        QElapsedTimer wall;
        wall.start();
        meter.Start();
        provoke(*player);
        const bool ok = told.exec() == 0;
        const double wallMs = double(wall.elapsed());
        RunEventLoop(kAfterMs);
        const double gap = meter.StopMs();
        if (!ok) {
            state.SkipWithError("the player never told the expected outcome");
            return;
        }
        state.counters["gap_ms"] = gap;
        state.counters["gap_cpu_ms"] = meter.LongestGapCpuMs();
        state.counters["wall_ms"] = wallMs;
        // How it ended: the first line of the player's reason.
        if (until == Outcome::Failed)
            state.SetLabel(reason.toStdString());
        g_gaps[name] = gap;
        if (QMessageBox* box = player->errorBox())
            box->close();
        player->stop();
    }
}

void BM_RemoteM3uOfAvLines(benchmark::State& state) {
    std::string body;
    for (int i = 0; i < 200000; ++i)
        body += "av://\n";
    TheFixture().server.Serve("/av.m3u", body, "audio/x-mpegurl");
    Measure(state, "remote m3u, 200,000 av:// lines", Outcome::Failed, [](auto& player) {
        player.setUrl(QString::fromStdString(TheFixture().server.Url("/av.m3u")));
    });
}

// The remote list is over the 1 MB cap and refused at once; the engine reads a local one
// itself, and each entry comes to the player's check.
void BM_LocalM3uOfAvLines(benchmark::State& state) {
    std::string body;
    for (int i = 0; i < 200000; ++i)
        body += "av://\n";
    const auto list = TheFixture().dir.Write("av.m3u", body);
    Measure(state, "local m3u, 200,000 av:// lines", Outcome::Failed,
            [&](auto& player) { player.setUrl(QString::fromStdString(list.string())); });
}

void BM_RemoteM3uOfDeadLines(benchmark::State& state) {
    std::string body;
    for (int i = 0; i < 20000; ++i)
        body += "http://127.0.0.1:9/n.mp3\n";
    TheFixture().server.Serve("/dead.m3u", body, "audio/x-mpegurl");
    Measure(state, "remote m3u, 20,000 dead lines", Outcome::Failed, [](auto& player) {
        player.setUrl(QString::fromStdString(TheFixture().server.Url("/dead.m3u")));
    });
}

void BM_LocalM3uOfMissingFiles(benchmark::State& state) {
    std::string body;
    const std::string folder = (TheFixture().dir.Path() / "gone").string();
    for (int i = 0; i < 20000; ++i)
        body += folder + "/" + std::to_string(i) + ".mp3\n";
    const auto list = TheFixture().dir.Write("missing.m3u", body);
    Measure(state, "local m3u, 20,000 missing files", Outcome::Failed,
            [&](auto& player) { player.setUrl(QString::fromStdString(list.string())); });
}

void BM_AsxOfAmpersands(benchmark::State& state) {
    const std::string head = "<asx version=\"3.0\"><entry><ref href=\"http://127.0.0.1:9/";
    const std::string tail = "\"/></entry></asx>\n";
    std::string body = head;
    while (body.size() + 5 + tail.size() < 1024 * 1024)
        body += "&amp;";
    body += tail;
    const auto list = TheFixture().dir.Write("amp.asx", body);
    Measure(state, "1 MB .asx of &amp;", Outcome::Failed,
            [&](auto& player) { player.setUrl(QString::fromStdString(list.string())); });
}

void BM_MegabyteAddressInTheErrorBox(benchmark::State& state) {
    const QString address = QStringLiteral("http://127.0.0.1:9/") + QString(1024 * 1024, 'a');
    Measure(state, "1 MB address, error box", Outcome::Failed,
            [&](auto& player) { player.setUrl(address); });
}

void BM_VideoToVideoSwitch(benchmark::State& state) {
    using quorvel::test::MediaKind;
    const auto first =
        QString::fromStdString(quorvel::test::TestMediaFile(MediaKind::Mp4).string());
    const auto second =
        QString::fromStdString(quorvel::test::TestMediaFile(MediaKind::Wmv).string());
    if (first.isEmpty() || second.isEmpty() || TheFixture().hls.empty()) {
        state.SkipWithError("ffmpeg could not make the videos");
        return;
    }
    Measure(
        state, "video to video switch", Outcome::Started,
        [&](auto& player) { player.setUrl(first); },
        [&](auto& player) {
            // A video plays already; the meter sees only the switch.
            QEventLoop started;
            QObject::connect(&player, &quorvel::MediaPlayer::playbackStarted, &started,
                             &QEventLoop::quit);
            QTimer::singleShot(kGuardMs, &started, &QEventLoop::quit);
            player.setUrl(QString::fromStdString(TheFixture().hls));
            started.exec();
            RunEventLoop(1000);
        });
}

void BM_FastChannelSwitching(benchmark::State& state) {
    using quorvel::test::MediaKind;
    const QStringList addresses = {
        QString::fromStdString(TheFixture().hls),
        QString::fromStdString(quorvel::test::TestMediaFile(MediaKind::Mp4).string()),
        QString::fromStdString(quorvel::test::TestMediaFile(MediaKind::Wmv).string()),
        QStringLiteral("http://127.0.0.1:9/dead.mp3"),
    };
    Measure(state, "an open every 50 ms for 2 s", Outcome::Started, [&](auto& player) {
        // The last open (a video that plays) ends the case.
        for (int i = 0; i < 40; ++i) {
            player.setUrl(addresses[i % 3 == 2 ? 3 : i % 3]);
            RunEventLoop(50);
        }
        player.setUrl(addresses[1]);
    });
}

BENCHMARK(BM_RemoteM3uOfAvLines)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocalM3uOfAvLines)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_RemoteM3uOfDeadLines)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LocalM3uOfMissingFiles)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AsxOfAmpersands)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MegabyteAddressInTheErrorBox)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_VideoToVideoSwitch)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FastChannelSwitching)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    if (!quorvel::bench::RunQtBenchmarks(argc, argv, quorvel::bench::BenchDisplay::DisplayIfAny))
        return 1;
    for (const auto& [name, gap] : g_gaps)
        std::printf("%-36s longest gap %7.1f ms (target 100)\n", name.c_str(), gap);
    return 0;
}
