// What is on now for a page of 50 rows of the channel list, through the column's own path:
// the cells asked as a paint asks them, matched by name, answered by the store in one batch,
// and read again. A guide of 1,000 channels with 24 hours each.
#include "QtBench.h"
#include "TempDir.h"
#include "guide/GuideStore.h"
#include "shell/guide/NowColumn.h"
#include "shell/widgets/ListRowsModel.h"
#include "shell/widgets/ListView.h"

#include <benchmark/benchmark.h>

#include <QCoreApplication>
#include <QDateTime>

#include <string>
#include <vector>

namespace {

using namespace quorvel;

constexpr int kChannels = 1'000;
constexpr int kHours = 24;
constexpr int kPage = 50;

void BM_NowForAPageOf50Rows(benchmark::State& state) {
    test::TempDir dir;
    const std::int64_t now = QDateTime::currentSecsSinceEpoch();
    {
        std::string error;
        auto store = guide::GuideStore::Open(dir / "guide.sqlite", error);
        auto import = store->BeginImport("bench", now);
        const std::int64_t from = now - now % 3600 - 12 * 3600;
        for (int c = 0; c < kChannels; ++c) {
            const std::string id = "channel" + std::to_string(c) + ".example";
            import->AddChannel(id, {"Channel " + std::to_string(c)});
            for (int h = 0; h < kHours; ++h) {
                const std::string title = "Programme " + std::to_string(h);
                const std::string_view texts[guide::kProgrammeTextCount] = {title, {}, {}, {}};
                import->AddProgramme(id, from + h * 3600, from + (h + 1) * 3600, texts);
            }
        }
        import->Commit({});
    }
    ListView view;
    view.Rows().AddColumn("Channel", 2800);
    std::vector<ListRow> rows;
    for (int c = 0; c < kChannels; ++c) {
        ListRow row;
        row.text = "Channel " + std::to_string(c) + " HD";
        row.tag = "http://tv.example/" + std::to_string(c);
        rows.push_back(std::move(row));
    }
    view.Rows().AddRows(std::move(rows));
    NowColumn column(&view, dir / "guide.sqlite");
    const int extra = view.RowsModel()->ExtraColumnIndex();
    int first = 0;
    for (auto _ : state) {
        column.PlaylistsChanged();  // forgets every answer
        for (int r = first; r < first + kPage; ++r)
            benchmark::DoNotOptimize(view.RowsModel()->index(r, extra).data());
        QCoreApplication::processEvents();  // the batch
        for (int r = first; r < first + kPage; ++r) {
            const QVariant title = view.RowsModel()->index(r, extra).data();
            if (title.toString().isEmpty())
                state.SkipWithError("a row had no answer");
        }
        first = (first + kPage) % (kChannels - kPage);
    }
    state.counters["rows_asked"] = static_cast<double>(column.RowsAsked());
}
BENCHMARK(BM_NowForAPageOf50Rows)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::RunQtBenchmarks(argc, argv, quorvel::bench::BenchDisplay::Offscreen) ? 0
                                                                                                : 1;
}
