// The registry access class on real hive files: reads, writes, and REGEDIT4 export and import.
#include "ScopedHives.h"
#include "registry/clsRegistryAccess.h"

#include <benchmark/benchmark.h>

#include <filesystem>

namespace {

using quorvel::clsRegistryAccess;

void Fill(clsRegistryAccess& reg, const std::string& key, int values) {
    for (int i = 0; i < values; ++i) {
        reg.WriteString(key, "text" + std::to_string(i),
                        "some text of a value " + std::to_string(i));
    }
}

void BM_ReadString(benchmark::State& state) {
    quorvel::test::ScopedHives hives;
    clsRegistryAccess reg;
    Fill(reg, "HKCU\\Software\\Quorvel\\Bench", 50);
    for (auto _ : state) {
        benchmark::DoNotOptimize(reg.ReadString("HKCU\\Software\\Quorvel\\Bench", "text25", ""));
    }
}
BENCHMARK(BM_ReadString);

void BM_WriteString(benchmark::State& state) {
    quorvel::test::ScopedHives hives;
    clsRegistryAccess reg;
    const std::string key = state.range(0) ? "HKLM\\SOFTWARE\\Bench" : "HKCU\\Software\\Bench";
    int n = 0;
    for (auto _ : state)
        reg.WriteString(key, "value", std::to_string(++n));
}
// 0: the per-user hive, 1: the machine hive (both keep a rollback journal).
BENCHMARK(BM_WriteString)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->MinTime(1.0);

void BM_EnumValues(benchmark::State& state) {
    quorvel::test::ScopedHives hives;
    clsRegistryAccess reg;
    Fill(reg, "HKCU\\Software\\Enum", 100);
    std::vector<std::string> names;
    std::vector<clsRegistryAccess::Value> values;
    for (auto _ : state)
        benchmark::DoNotOptimize(reg.EnumValues("HKCU\\Software\\Enum", names, values));
}
BENCHMARK(BM_EnumValues)->Unit(benchmark::kMicrosecond);

void BM_ExportToReg(benchmark::State& state) {
    quorvel::test::ScopedHives hives;
    clsRegistryAccess reg;
    for (int k = 0; k < 10; ++k)
        Fill(reg, "HKCU\\Software\\Tree\\K" + std::to_string(k), 30);
    int n = 0;
    for (auto _ : state) {
        const auto file = hives.Dir() / ("out" + std::to_string(++n) + ".reg");
        if (reg.ExportToReg("HKCU\\Software\\Tree", file, true) != 1)
            state.SkipWithError("export");
    }
}
BENCHMARK(BM_ExportToReg)->Unit(benchmark::kMillisecond);

void BM_ImportFromReg(benchmark::State& state) {
    quorvel::test::ScopedHives hives;
    clsRegistryAccess reg;
    std::string text = "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software\\Imported]\r\n";
    for (int i = 0; i < 100; ++i)
        text += "\"v" + std::to_string(i) + "\"=\"text\"\r\n";
    const auto file = hives.Dir().Write("in.reg", text);
    for (auto _ : state) {
        if (reg.ImportFromReg(file) != 1)
            state.SkipWithError("import");
    }
    state.SetItemsProcessed(state.iterations() * 100);
}
BENCHMARK(BM_ImportFromReg)->Unit(benchmark::kMillisecond);

}  // namespace
