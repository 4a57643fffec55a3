// Start-up of the program, a category switch and peak memory, on an X display.
//   BM_ProcessStartToSplashShown: exec of the real program to its first window mapped.
//   BM_MainWindowLoadToShown: the splash's hand-over, from loading Form1 (its start-up steps,
//     the player included) to the window exposed with the TV list.
// The two add up to process start to Form1 shown with the splash's own second aside.
#include "../tests/e2e/DesktopDriver.h"
#include "QtBench.h"
#include "appearance/InstanceLock.h"
#include "appearance/ProductInfo.h"
#include "appearance/ProgramFiles.h"
#include "catalogue/LineCodec.h"
#include "settings/SettingsStore.h"
#include "shell/Form1.h"
#include "shell/widgets/ListView.h"
#include "support/GeneratedCatalogue.h"
#include "support/ScopedHives.h"

#include <benchmark/benchmark.h>

#include <QApplication>
#include <QEventLoop>
#include <QProcess>
#include <QTimer>

#include <chrono>
#include <clocale>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>

namespace {

using namespace quorvel;
using Clock = std::chrono::steady_clock;

// An application folder with the program, a catalogue of the given size (0: the sample one)
// and settings of its own.
class AppFolder {
public:
    // allListed: every channel a TV channel in English, so all of them are listed at start.
    explicit AppFolder(std::size_t channels, bool allListed = false) {
        ::setenv("XDG_RUNTIME_DIR", m_hives.Dir().Path().c_str(), 1);
        ::setenv("XDG_DATA_HOME", (m_hives.Dir() / "data").c_str(), 1);
        std::filesystem::create_directory(Path());
        const std::filesystem::path bin(QUORVEL_BIN_DIR);
        std::filesystem::copy_file(bin / "quorvel", Path() / "quorvel");
        if (channels == 0)
            std::filesystem::copy_file(bin / "Data.txt", Path() / "Data.txt");
        else if (!allListed)
            std::ofstream(Path() / "Data.txt", std::ios::binary)
                << test::GenerateCatalogue(channels);
        else {
            std::ofstream out(Path() / "Data.txt", std::ios::binary);
            for (std::size_t i = 0; i < channels; ++i) {
                const std::string n = std::to_string(i);
                out << EncodeLine("Channel " + n + "|http://stream" + n +
                                  ".example/live|TV|English")
                    << "\r\n";
            }
        }
        LoadProductInfo();
        SaveSetting(Branding().ProgramName, "Settings", "showHelp", "0");
        SetApplicationFolder(Path());
    }
    std::filesystem::path Path() const { return m_hives.Dir().Path() / "app"; }

private:
    test::ScopedHives m_hives;
};

std::string MainCaption() {
    return Branding().ProgramName + " by " + Branding().CompanyName;
}

// Shows the window and returns once it has painted (false after the guard time).
bool ShowAndWaitForPaint(QWidget& window) {
    struct PaintWatcher : QObject {
        QEventLoop loop;
        bool painted = false;
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint && !painted) {
                painted = true;
                loop.quit();
            }
            return false;
        }
    } watcher;
    window.installEventFilter(&watcher);
    window.show();
    QTimer::singleShot(20000, &watcher.loop, &QEventLoop::quit);
    if (!watcher.painted)
        watcher.loop.exec();
    window.removeEventFilter(&watcher);
    return watcher.painted;
}

long PeakResidentKb(qint64 pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0)
            return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return -1;
}

void BM_ProcessStartToSplashShown(benchmark::State& state) {
    AppFolder folder(0);
    for (auto _ : state) {
        test::DesktopDriver driver;
        QProcess program;
        const auto start = Clock::now();
        program.start(QString::fromStdString((folder.Path() / "quorvel").string()), {});
        const unsigned long window = driver.WaitForWindow("", 20000);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!window)
            state.SkipWithError("no window appeared");
        program.kill();
        program.waitForFinished(20000);
    }
}

void BM_MainWindowLoadToShown(benchmark::State& state) {
    AppFolder folder(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        const auto start = Clock::now();
        auto form = std::make_unique<Form1>();
        form->Form_Load();
        if (!ShowAndWaitForPaint(*form))
            state.SkipWithError("main window not shown");
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        state.counters["rows"] = form->ListView1->Rows().Count();
        form.reset();
        ReleaseInstanceLock();
    }
}

void BM_CategorySwitch(benchmark::State& state) {
    AppFolder folder(static_cast<std::size_t>(state.range(0)));
    Form1Options options;
    options.createPlayer = false;
    Form1 form(options);
    ShowAndWaitForPaint(form);
    bool radio = false;
    for (auto _ : state) {
        radio = !radio;
        const auto start = Clock::now();
        radio ? form.cmdRadio_Click() : form.cmdTV_Click();
        QCoreApplication::processEvents();
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
    }
}

// The real program with 100,000 channels, all of them listed, and the player idle.
void BM_PeakMemoryWithListShown(benchmark::State& state) {
    AppFolder folder(static_cast<std::size_t>(state.range(0)), true);
    for (auto _ : state) {
        test::DesktopDriver driver;
        QProcess program;
        const auto start = Clock::now();
        program.start(QString::fromStdString((folder.Path() / "quorvel").string()), {});
        const unsigned long window = driver.WaitForWindow(MainCaption(), 30000);
        state.SetIterationTime(std::chrono::duration<double>(Clock::now() - start).count());
        if (!window)
            state.SkipWithError("main window did not appear");
        state.counters["peak_MB"] = PeakResidentKb(program.processId()) / 1024.0;
        program.kill();
        program.waitForFinished(20000);
    }
}

BENCHMARK(BM_ProcessStartToSplashShown)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_MainWindowLoadToShown)
    ->Arg(0)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK(BM_CategorySwitch)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK(BM_PeakMemoryWithListShown)
    ->Arg(100000)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::RunQtBenchmarks(argc, argv,
                                           quorvel::bench::BenchDisplay::DisplayRequired)
               ? 0
               : 1;
}
