// Channel search on 1,000,000 names: folding the names when a list loads, and what one
// keystroke costs: a scan of every name, and typing a word on from the rows kept.
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "search/NameSearch.h"

namespace {

constexpr std::size_t kRows = 1'000'000;

const std::vector<std::string>& Names() {
    static const std::vector<std::string> names = [] {
        const char* words[] = {"News",
                               "Sport",
                               "Kids",
                               "Movies",
                               "Jazz",
                               "Rock",
                               "Classic",
                               "Live",
                               "Caf\xC3\xA9",
                               "M\xC3\xBCnchen",
                               "\xC3\x89t\xC3\xA9",
                               "Radio",
                               "TV",
                               "Z\xC3\xBCrich",
                               "Music"};
        std::vector<std::string> out;
        out.reserve(kRows);
        std::uint64_t seed = 42;
        for (std::size_t i = 0; i < kRows; ++i) {
            seed = seed * 6364136223846793005ull + 1442695040888963407ull;
            out.push_back(std::string(words[(seed >> 33) % 15]) + " " + words[(seed >> 40) % 15] +
                          " " + std::to_string(i));
        }
        return out;
    }();
    return names;
}

quorvel::NameSearch& LoadedSearch() {
    static quorvel::NameSearch search;
    if (search.Count() != kRows)
        search.Load(kRows, [](std::size_t row) { return std::string_view(Names()[row]); });
    return search;
}

void BM_LoadNames(benchmark::State& state) {
    const auto& names = Names();
    quorvel::NameSearch search;
    for (auto _ : state)
        search.Load(kRows, [&](std::size_t row) { return std::string_view(names[row]); });
}
BENCHMARK(BM_LoadNames)->Unit(benchmark::kMillisecond);

// Every keystroke scans all names: the query never contains the last one.
void BM_KeystrokeScanningAll(benchmark::State& state, const char* first, const char* second) {
    auto& search = LoadedSearch();
    bool flip = false;
    std::size_t found = 0;
    for (auto _ : state) {
        found = search.Find((flip = !flip) ? first : second).size();
        benchmark::DoNotOptimize(found);
    }
    state.counters["rows_found"] = static_cast<double>(found);
}
BENCHMARK_CAPTURE(BM_KeystrokeScanningAll, one_letter, "e", "a")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeystrokeScanningAll, accented_word, "CAFE", "zurich")
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_KeystrokeScanningAll, rare, "123456", "999999")->Unit(benchmark::kMillisecond);

// "jazz rock 1" typed a letter at a time and deleted again: the average keystroke.
void BM_TypingAndDeleting(benchmark::State& state) {
    auto& search = LoadedSearch();
    const std::string word = "jazz rock 1";
    std::size_t keystrokes = 0;
    for (auto _ : state) {
        for (std::size_t n = 1; n <= word.size(); ++n, ++keystrokes)
            benchmark::DoNotOptimize(search.Find(word.substr(0, n)).size());
        for (std::size_t n = word.size(); n-- > 1; ++keystrokes)
            benchmark::DoNotOptimize(search.Find(word.substr(0, n)).size());
        benchmark::DoNotOptimize(search.Find("x").size());  // start the next round afresh
        ++keystrokes;
    }
    state.SetItemsProcessed(static_cast<std::int64_t>(keystrokes));  // keystrokes per second
}
BENCHMARK(BM_TypingAndDeleting)->Unit(benchmark::kMillisecond);

}  // namespace
