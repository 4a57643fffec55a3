// Settings reads and writes on a real hive file (per-user store).
#include "ScopedHives.h"
#include "settings/SettingsStore.h"

#include <benchmark/benchmark.h>

namespace {

// The hive lives beside the build, on the disk the program would use, not in memory.
struct BenchHives {
    BenchHives() {
        for (int i = 0; i < 50; ++i) {
            quorvel::SaveSetting("Quorvel", "Settings", "Key" + std::to_string(i), "value");
        }
    }
    quorvel::test::ScopedHives hives;
};

void BM_GetSetting(benchmark::State& state) {
    BenchHives bench;
    quorvel::SaveSetting("Quorvel", "Settings", "RadioLang", "Français");
    for (auto _ : state) {
        benchmark::DoNotOptimize(
            quorvel::GetSetting("Quorvel", "Settings", "RadioLang", "English"));
    }
}
BENCHMARK(BM_GetSetting);

void BM_GetSettingMissing(benchmark::State& state) {
    BenchHives bench;
    for (auto _ : state) {
        benchmark::DoNotOptimize(quorvel::GetSetting("Quorvel", "Settings", "Absent", "English"));
    }
}
BENCHMARK(BM_GetSettingMissing);

void BM_SaveSetting(benchmark::State& state) {
    BenchHives bench;
    int n = 0;
    for (auto _ : state) {
        quorvel::SaveSetting("Quorvel", "Settings", "Dir",
                             "/home/user/Videos/" + std::to_string(++n));
    }
}
BENCHMARK(BM_SaveSetting)->Unit(benchmark::kMillisecond)->MinTime(2.0);

}  // namespace
