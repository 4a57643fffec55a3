// Listing one category and loading the whole of a 100,000-channel catalogue, sorting the
// listed rows, and the memory all that takes; the tool's listing text, both ways.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <string>

#include "catalogue/ChannelList.h"
#include "catalogue/ChannelListing.h"
#include "catalogue/LineCodec.h"
#include "support/GeneratedCatalogue.h"
#include "support/TempDir.h"

namespace {

constexpr std::size_t kChannels = 100'000;

const std::filesystem::path& CatalogueFile() {
    static quorvel::test::TempDir dir;
    static const std::filesystem::path file =
        dir.Write("Data.txt", quorvel::test::GenerateCatalogue(kChannels));
    return file;
}

// 100,000 TV channels: every one of them is listed.
const std::filesystem::path& AllTvFile() {
    static quorvel::test::TempDir dir;
    static const std::filesystem::path file = [] {
        std::string bytes;
        for (std::size_t i = 0; i < kChannels; ++i) {
            bytes += quorvel::EncodeLine("Channel number " + std::to_string(i) +
                                         "|http://stream.example.net:8000/live/" +
                                         std::to_string(i) + ".m3u8|TV|English/Deutsch");
            bytes += "\r\n";
        }
        return dir.Write("Data.txt", bytes);
    }();
    return file;
}

// 100,000 TV channels of 100,000 different languages, in sorted order: the worst case for
// collecting and sorting the language list.
const std::filesystem::path& ManyLanguagesFile() {
    static quorvel::test::TempDir dir;
    static const std::filesystem::path file = [] {
        std::string bytes;
        for (std::size_t i = 0; i < kChannels; ++i) {
            bytes += quorvel::EncodeLine("C|u|TV|Lang" + std::to_string(1000000 + i));
            bytes += "\r\n";
        }
        return dir.Write("Data.txt", bytes);
    }();
    return file;
}

void IgnoreMessage(const std::string&) {}

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Run first, so that peak_MB is the memory of 100,000 listed rows and little else.
void BM_ListEveryChannel(benchmark::State& state) {
    const auto& file = AllTvFile();
    quorvel::ListRows rows;
    quorvel::ComboBoxState combo;
    for (auto _ : state) {
        quorvel::BrowsingState browsing{"TV", "All", true};
        quorvel::LoadChannelList(file, browsing, rows, combo, IgnoreMessage);
    }
    state.counters["rows"] = rows.Count();
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_ListManyLanguages(benchmark::State& state) {
    const auto& file = ManyLanguagesFile();
    quorvel::ListRows rows;
    quorvel::ComboBoxState combo;
    for (auto _ : state) {
        quorvel::BrowsingState browsing{"TV", "Lang1050000", true};
        quorvel::LoadChannelList(file, browsing, rows, combo, IgnoreMessage);
    }
    state.counters["languages"] = static_cast<double>(combo.items.size());
}

void BM_ListCategory(benchmark::State& state) {
    const auto& file = CatalogueFile();
    quorvel::ListRows rows;
    quorvel::ComboBoxState combo;
    for (auto _ : state) {
        quorvel::BrowsingState browsing{"TV", state.range(0) ? "English" : "All", true};
        if (!quorvel::LoadChannelList(file, browsing, rows, combo, IgnoreMessage)) {
            state.SkipWithError("load failed");
        }
    }
    state.counters["rows"] = rows.Count();
    state.counters["languages"] = static_cast<double>(combo.items.size());
    state.counters["peak_MB"] = PeakMegabytes();
}

void BM_FullLoad(benchmark::State& state) {
    const auto& file = CatalogueFile();
    for (auto _ : state) {
        quorvel::ListRows rows;
        const int count = quorvel::LoadFullCatalogue(file, rows, IgnoreMessage);
        benchmark::DoNotOptimize(count);
        state.PauseTiming();
        rows = {};  // freeing the rows is not part of the load
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = PeakMegabytes();
}

// Sorting all 100,000 rows by a column, as a click on a column header does.
void BM_SortRows(benchmark::State& state) {
    quorvel::ListRows loaded;
    quorvel::LoadFullCatalogue(CatalogueFile(), loaded, IgnoreMessage);
    const int key = static_cast<int>(state.range(0));
    for (auto _ : state) {
        state.PauseTiming();
        quorvel::ListRows rows = loaded;
        rows.SetSortKey(key);
        state.ResumeTiming();
        rows.SetSorted(true);
        benchmark::DoNotOptimize(rows.Count());
        state.PauseTiming();
        rows = {};
        state.ResumeTiming();
    }
    state.counters["peak_MB"] = PeakMegabytes();
}

}  // namespace

// The tool's listing of one category as text, in this process; 0: the fastest way this
// processor has, 1: the way every processor runs.
void BM_WriteListing(benchmark::State& state) {
    const auto& file = CatalogueFile();
    const auto scan = state.range(0) ? quorvel::RecordScan::Portable : quorvel::RecordScan::Fastest;
    std::size_t bytes = 0;
    for (auto _ : state) {
        bytes = 0;
        const auto result = quorvel::WriteListedChannels(
            file, quorvel::BrowsingState{"TV", "", false},
            [&](std::string_view piece) {
                bytes += piece.size();
                return true;
            },
            scan);
        if (!result.loaded)
            state.SkipWithError("load failed");
    }
    state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

BENCHMARK(BM_ListEveryChannel)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListManyLanguages)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ListCategory)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WriteListing)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FullLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_SortRows)->Arg(0)->Arg(2)->Unit(benchmark::kMillisecond);
