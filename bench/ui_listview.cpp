// The channel list widget with 100,000 rows: filling it and sorting it while it is shown.
#include "QtBench.h"
#include "shell/widgets/ListView.h"

#include <benchmark/benchmark.h>

#include <QApplication>

#include <memory>
#include <random>

namespace {

using quorvel::ListRow;
using quorvel::ListRows;
using quorvel::ListView;

constexpr int kRows = 100'000;

std::vector<ListRow> MakeChannels(int count) {
    static const char* const kTypes[] = {"English", "German",          "French",  "Spanish",
                                         "Arabic",  "English/Spanish", "Italian", "Dutch"};
    static const char* const kCategories[] = {"TV", "Radio", "Video"};
    std::mt19937 random(42);
    std::uniform_int_distribution<int> letter('a', 'z');
    std::vector<ListRow> rows;
    rows.reserve(static_cast<std::size_t>(count));
    for (int i = 0; i < count; ++i) {
        ListRow row;
        row.text = "Channel ";
        for (int k = 0; k < 10; ++k)
            row.text += static_cast<char>(letter(random));
        row.tag = "http://streams.example/" + std::to_string(i) + "/playlist.m3u8";
        row.SetSubItem(1, kCategories[i % 3]);
        row.SetSubItem(2, kTypes[random() % 8]);
        rows.push_back(std::move(row));
    }
    return rows;
}

std::unique_ptr<ListView> ShownView() {
    auto view = std::make_unique<ListView>();
    view->Rows().AddColumn("Channel", 2800);
    view->Rows().AddColumn("Category", 1440);
    view->Rows().AddColumn("Type", 1440);
    view->resize(800, 600);
    view->show();
    QApplication::processEvents();
    return view;
}

// What the catalogue loader does: clear, then add the rows one by one, then the window
// lays out and paints.
void BM_FillOneByOne(benchmark::State& state) {
    const std::vector<ListRow> channels = MakeChannels(kRows);
    auto view = ShownView();
    for (auto _ : state) {
        view->Rows().Clear();
        for (const ListRow& row : channels)
            view->Rows().Add(row);
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FillOneByOne)->Unit(benchmark::kMillisecond);

void BM_FillAtOnce(benchmark::State& state) {
    const std::vector<ListRow> channels = MakeChannels(kRows);
    auto view = ShownView();
    for (auto _ : state) {
        state.PauseTiming();
        std::vector<ListRow> batch = channels;
        state.ResumeTiming();
        view->Rows().Clear();
        view->Rows().AddRows(std::move(batch));
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_FillAtOnce)->Unit(benchmark::kMillisecond);

// A header click's work: switch the sort key, the rows re-sort and the view follows.
void BM_SortByColumn(benchmark::State& state) {
    auto view = ShownView();
    view->Rows().AddRows(MakeChannels(kRows));
    view->Rows().Select(kRows / 2);
    view->Rows().SetSorted(true);
    int key = 0;
    for (auto _ : state) {
        key = key == 0 ? 2 : 0;
        view->Rows().SetSortKey(key);
        QApplication::processEvents();
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortByColumn)->Unit(benchmark::kMillisecond);

// The same re-sort with no view attached, to tell the widget's share from the rows' own.
void BM_SortRowsWithoutView(benchmark::State& state) {
    ListRows rows;
    rows.AddRows(MakeChannels(kRows));
    rows.SetSorted(true);
    int key = 0;
    for (auto _ : state) {
        key = key == 0 ? 2 : 0;
        rows.SetSortKey(key);
    }
    state.SetItemsProcessed(state.iterations() * kRows);
}
BENCHMARK(BM_SortRowsWithoutView)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::RunQtBenchmarks(argc, argv, quorvel::bench::BenchDisplay::Offscreen) ? 0
                                                                                                : 1;
}
