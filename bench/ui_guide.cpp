// The guide window opening on 10,000 channels: the list's channels matched to the guide's,
// the window made and its first screen drawn; and a page scrolled, drawn with the rows it
// asks of the store.
#include "QtBench.h"
#include "TempDir.h"
#include "guide/ChannelMatch.h"
#include "guide/GuideStore.h"
#include "shell/guide/GuideWindow.h"

#include <benchmark/benchmark.h>

#include <QDateTime>
#include <QScrollBar>

#include <memory>
#include <string>
#include <vector>

namespace {

using namespace quorvel;

constexpr int kChannels = 10'000;
constexpr int kHours = 24;

struct Guide {
    test::TempDir dir;
    std::unique_ptr<guide::GuideStore> store;
    std::int64_t now = QDateTime::currentSecsSinceEpoch();
};

Guide& Store() {
    static Guide made;
    static const bool filled = [] {
        std::string error;
        made.store = guide::GuideStore::Open(made.dir / "guide.sqlite", error);
        auto import = made.store->BeginImport("bench", made.now);
        const std::int64_t from = made.now - made.now % 3600 - 12 * 3600;
        for (int c = 0; c < kChannels; ++c) {
            const std::string id = "channel" + std::to_string(c) + ".example";
            const std::string name = "Channel " + std::to_string(c);
            import->AddChannel(id, {name});
            for (int h = 0; h < kHours; ++h) {
                const std::string title = "Programme " + std::to_string(h);
                const std::string_view texts[guide::kProgrammeTextCount] = {title, {}, {}, {}};
                import->AddProgramme(id, from + h * 3600, from + (h + 1) * 3600, texts);
            }
        }
        import->Commit({});
        return true;
    }();
    (void)filled;
    return made;
}

// As the window's menu does: the list's rows matched by tvg-id.
std::vector<GuideChannelRow> MatchedRows(guide::GuideStore& store) {
    std::vector<guide::GuideChannelNames> names;
    for (guide::StoredChannel& channel : store.Channels())
        names.push_back({std::move(channel.id), std::move(channel.displayNames)});
    const guide::ChannelMatcher matcher(names);
    std::vector<GuideChannelRow> rows;
    rows.reserve(kChannels);
    for (int c = 0; c < kChannels; ++c) {
        GuideChannelRow row;
        row.name = "Channel " + std::to_string(c);
        row.address = "http://tv.example/" + std::to_string(c) + ".ts";
        const guide::ChannelKeys keys{
            row.address, "channel" + std::to_string(c) + ".example", {}, row.name};
        if (const auto match = matcher.Match(keys))
            row.guideId = match->guideChannel;
        rows.push_back(std::move(row));
    }
    return rows;
}

void BM_OpenOn10000Channels(benchmark::State& state) {
    Guide& guide = Store();
    for (auto _ : state) {
        GuideWindow window(guide.store.get(), nullptr);
        window.SetRows(MatchedRows(*guide.store));
        window.resize(1000, 640);
        window.show();
        window.grid->grab();
        benchmark::DoNotOptimize(window.grid->StoreQueries());
    }
    const auto guides = guide.store->Guides();
    state.counters["programmes"] =
        guides.empty() ? 0.0 : static_cast<double>(guides.front().programmes);
}
BENCHMARK(BM_OpenOn10000Channels)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_ScrollAPage(benchmark::State& state) {
    Guide& guide = Store();
    GuideWindow window(guide.store.get(), nullptr);
    window.SetRows(MatchedRows(*guide.store));
    window.resize(1000, 640);
    window.show();
    window.grid->grab();
    QScrollBar& bar = *window.grid->verticalScrollBar();
    for (auto _ : state) {
        bar.setValue(bar.value() + bar.pageStep() > bar.maximum() ? 0
                                                                  : bar.value() + bar.pageStep());
        window.grid->grab();
    }
    state.counters["queries"] = window.grid->StoreQueries();
}
BENCHMARK(BM_ScrollAPage)->Unit(benchmark::kMillisecond)->Iterations(200);

}  // namespace

int main(int argc, char** argv) {
    return quorvel::bench::RunQtBenchmarks(argc, argv, quorvel::bench::BenchDisplay::Offscreen) ? 0
                                                                                                : 1;
}
