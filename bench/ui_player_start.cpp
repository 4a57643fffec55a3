// Time from setting a local file's address to playback start, for the player engine with
// no window (also for an ASX playlist over HTTP on 127.0.0.1 that names an mp3 there), for the
// MediaPlayer widget drawing through the render API (needs a display), and, side by side, for mpv's
// command line playing the first moment of the same file.
#include "QtBench.h"
#include "shell/player/MediaPlayer.h"
#include "shell/player/MpvSession.h"
#include "shell/player/PlayerEngine.h"
#include "support/LocalHttpServer.h"
#include "support/TestMedia.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QThread>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <string>

namespace {

using quorvel::test::MediaKind;

bool WaitFor(const std::function<bool()>& done, int timeoutMs) {
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

const char* KindName(MediaKind kind) {
    switch (kind) {
        case MediaKind::Wav:
            return "wav";
        case MediaKind::Mp3:
            return "mp3";
        case MediaKind::Wma:
            return "wma";
        case MediaKind::Wmv:
            return "wmv";
        case MediaKind::Mp4:
            return "mp4";
        case MediaKind::Mp3Frames:
            return "mp3 frames";
    }
    return "?";
}

// Times each Open of `address` on a headless engine until playback starts.
void TimeEngineOpens(benchmark::State& state, const QString& address) {
    quorvel::SessionOptions options;
    options.video = quorvel::VideoOutput::Null;
    options.audioOutput = "null";
    quorvel::PlayerEngine engine(options);
    for (auto _ : state) {
        bool started = false;
        auto connection =
            QObject::connect(&engine, &quorvel::PlayerEngine::Started, [&] { started = true; });
        const auto begin = std::chrono::steady_clock::now();
        engine.Open(address);
        if (!WaitFor([&] { return started; }, 5000))
            state.SkipWithError("did not start");
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        QObject::disconnect(connection);
        engine.Stop();
        WaitFor([&] { return false; }, 20);
    }
}

void BM_EngineOpenToPlaybackStart(benchmark::State& state) {
    const auto kind = static_cast<MediaKind>(state.range(0));
    TimeEngineOpens(state, QString::fromStdString(quorvel::test::TestMediaFile(kind).string()));
    state.SetLabel(KindName(kind));
}

// The playlist is fetched and read off the GUI thread before its entry reaches the engine.
void BM_EngineOpenRemotePlaylistToPlaybackStart(benchmark::State& state) {
    quorvel::test::LocalHttpServer server;
    server.Serve("/tone.mp3", quorvel::test::TestMediaBytes(MediaKind::Mp3), "audio/mpeg");
    server.Serve("/radio.asx", "<asx><entry><ref href=\"tone.mp3\"/></entry></asx>",
                 "video/x-ms-asf");
    TimeEngineOpens(state, QString::fromStdString(server.Url("/radio.asx")));
    state.SetLabel("asx over http, mp3");
}

void BM_WidgetSetUrlToPlaybackStart(benchmark::State& state) {
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        state.SkipWithError("needs a display (DISPLAY, xcb)");
        return;
    }
    const auto kind = static_cast<MediaKind>(state.range(0));
    const QString path = QString::fromStdString(quorvel::test::TestMediaFile(kind).string());
    quorvel::SessionOptions options;
    options.audioOutput = "null";
    quorvel::MediaPlayer player(nullptr, options);
    player.resize(480, 320);
    player.show();
    WaitFor([] { return false; }, 300);
    for (auto _ : state) {
        bool started = false;
        auto connection = QObject::connect(&player, &quorvel::MediaPlayer::playbackStarted,
                                           [&] { started = true; });
        const auto begin = std::chrono::steady_clock::now();
        player.setUrl(path);
        if (!WaitFor([&] { return started; }, 5000))
            state.SkipWithError("did not start");
        state.SetIterationTime(
            std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
        QObject::disconnect(connection);
        player.stop();
        WaitFor([&] { return false; }, 20);
    }
    state.SetLabel(KindName(kind));
}

// mpv's command line on the same file: from starting the process to its message that the
// file plays (process start and engine set-up included, as a user launching it sees).
void BM_MpvCommandLineStartToPlaying(benchmark::State& state) {
    const auto kind = static_cast<MediaKind>(state.range(0));
    std::string path = quorvel::test::TestMediaFile(kind).string();
    for (auto _ : state) {
        int out[2];
        if (::pipe(out) != 0) {
            state.SkipWithError("no pipe");
            break;
        }
        const auto begin = std::chrono::steady_clock::now();
        const pid_t pid = ::fork();
        if (pid == 0) {
            ::dup2(out[1], STDOUT_FILENO);
            ::close(out[0]);
            char* argv[] = {const_cast<char*>("mpv"),
                            const_cast<char*>("--no-config"),
                            const_cast<char*>("--vo=null"),
                            const_cast<char*>("--ao=null"),
                            const_cast<char*>("--quiet"),
                            const_cast<char*>("--term-playing-msg=QUORVEL-PLAYING"),
                            path.data(),
                            nullptr};
            ::execvp("mpv", argv);
            ::_exit(127);
        }
        ::close(out[1]);
        std::string seen;
        char buffer[512];
        bool playing = false;
        while (!playing) {
            const ssize_t got = ::read(out[0], buffer, sizeof(buffer));
            if (got <= 0)
                break;
            seen.append(buffer, static_cast<std::size_t>(got));
            playing = seen.find("QUORVEL-PLAYING") != std::string::npos;
        }
        const auto elapsed = std::chrono::steady_clock::now() - begin;
        ::kill(pid, SIGTERM);
        ::waitpid(pid, nullptr, 0);
        ::close(out[0]);
        if (!playing) {
            state.SkipWithError("mpv command line did not play (Debian package mpv)");
            break;
        }
        state.SetIterationTime(std::chrono::duration<double>(elapsed).count());
    }
    state.SetLabel(KindName(kind));
}

void Kinds(benchmark::internal::Benchmark* bench) {
    for (const auto kind :
         {MediaKind::Wav, MediaKind::Mp3, MediaKind::Wma, MediaKind::Wmv, MediaKind::Mp4}) {
        bench->Arg(static_cast<int>(kind));
    }
    bench->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
}

BENCHMARK(BM_EngineOpenToPlaybackStart)->Apply(Kinds);
BENCHMARK(BM_EngineOpenRemotePlaylistToPlaybackStart)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_WidgetSetUrlToPlaybackStart)->Apply(Kinds);
BENCHMARK(BM_MpvCommandLineStartToPlaying)->Apply(Kinds);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::RunQtBenchmarks(argc, argv, quorvel::bench::BenchDisplay::DisplayIfAny)
               ? 0
               : 1;
}
