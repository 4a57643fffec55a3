// The search box over a shown list of 1,000,000 channels: one keystroke is the search, the
// view's reset and the repaint. The first keystroke after a list loads also folds the names.
#include "QtBench.h"
#include "shell/widgets/ListSearch.h"
#include "shell/widgets/ListView.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>

namespace {

using quorvel::ListRow;
using quorvel::ListSearch;
using quorvel::ListView;

constexpr int kRows = 1'000'000;

std::vector<ListRow> MakeChannels() {
    const char* words[] = {"News", "Sport",       "Kids",           "Movies", "Jazz",
                           "Rock", "Caf\xC3\xA9", "M\xC3\xBCnchen", "Radio",  "Music"};
    std::vector<ListRow> rows(kRows);
    std::uint64_t seed = 42;
    for (int i = 0; i < kRows; ++i) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        rows[i].text = std::string(words[(seed >> 33) % 10]) + " " + words[(seed >> 40) % 10] +
                       " " + std::to_string(i);
        rows[i].tag = "http://streams.example/" + std::to_string(i);
        rows[i].SetSubItem(1, "TV");
        rows[i].SetSubItem(2, "English");
    }
    return rows;
}

struct Shown {
    Shown() {
        view.Rows().AddColumn("Channel", 2800);
        view.Rows().AddColumn("Category", 1440);
        view.Rows().AddColumn("Type", 1440);
        view.Rows().AddRows(MakeChannels());
        view.resize(800, 600);
        view.show();
        QApplication::processEvents();
    }
    ListView view;
    ListSearch search{&view};
};

Shown& TheList() {
    static Shown shown;
    return shown;
}

// Each keystroke scans every name: the new text never contains the last one.
void BM_KeystrokeScanningAll(benchmark::State& state) {
    auto& list = TheList();
    bool flip = false;
    for (auto _ : state) {
        list.search.SetQuery((flip = !flip) ? "cafe" : "munchen");
        QApplication::processEvents();
    }
    list.search.SetQuery("");
}
BENCHMARK(BM_KeystrokeScanningAll)->Unit(benchmark::kMillisecond);

// "jazz rock 1" typed and deleted a letter at a time, then cleared.
void BM_TypingAndDeleting(benchmark::State& state) {
    auto& list = TheList();
    const QString word = "jazz rock 1";
    std::int64_t keystrokes = 0;
    for (auto _ : state) {
        for (int n = 1; n <= word.size(); ++n, ++keystrokes) {
            list.search.SetQuery(word.left(n));
            QApplication::processEvents();
        }
        for (int n = static_cast<int>(word.size()) - 1; n >= 0; --n, ++keystrokes) {
            list.search.SetQuery(word.left(n));
            QApplication::processEvents();
        }
    }
    state.SetItemsProcessed(keystrokes);  // keystrokes per second
}
BENCHMARK(BM_TypingAndDeleting)->Unit(benchmark::kMillisecond);

// The first keystroke after the list was loaded again: the names are folded first.
void BM_FirstKeystrokeAfterALoad(benchmark::State& state) {
    auto& list = TheList();
    for (auto _ : state) {
        state.PauseTiming();
        list.search.SetQuery("");
        list.view.Rows().SetText(1, "News 0");  // any change makes the names stale
        state.ResumeTiming();
        list.search.SetQuery("n");
        QApplication::processEvents();
    }
    list.search.SetQuery("");
}
BENCHMARK(BM_FirstKeystrokeAfterALoad)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::RunQtBenchmarks(argc, argv, quorvel::bench::BenchDisplay::Offscreen) ? 0
                                                                                                : 1;
}
