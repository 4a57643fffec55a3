#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include <clocale>
#include <cstdio>
#include <cstdlib>

namespace quorvel::bench {

enum class BenchDisplay {
    // Windows are measured off screen, whatever display there is.
    Offscreen,
    // On the display when there is one (Xvfb is fine), else off screen.
    DisplayIfAny,
    // Watched from outside on the X display: nothing to measure without one.
    DisplayRequired,
};

// Runs the registered benchmarks inside a QApplication; false when they could not run.
inline bool RunQtBenchmarks(int argc, char** argv, BenchDisplay display) {
    if (display == BenchDisplay::Offscreen) {
        ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    } else if (!std::getenv("DISPLAY")) {
        if (display == BenchDisplay::DisplayRequired) {
            std::fprintf(stderr, "needs an X display (start Xvfb and set DISPLAY)\n");
            return false;
        }
        ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    }
    QApplication app(argc, argv);
    // Qt takes the locale from the environment; the reports need a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return false;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return true;
}

}  // namespace quorvel::bench
