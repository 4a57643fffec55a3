// The favorites file (read and atomic rewrite) and a row filled piece by piece into a large
// sorted list, as adding a favorite or an edited channel does.
#include <benchmark/benchmark.h>

#include <string>

#include "catalogue/Favorites.h"
#include "support/TempDir.h"

namespace {

quorvel::ListRow Channel(std::size_t i) {
    return {"Channel number " + std::to_string(i),
            "http://stream.example.net:8000/live/" + std::to_string(i) + ".m3u8",
            {"TV", "English/Deutsch"}};
}

quorvel::ListRows Rows(std::size_t count) {
    quorvel::ListRows rows;
    std::vector<quorvel::ListRow> all;
    for (std::size_t i = 0; i < count; ++i)
        all.push_back(Channel(i));
    rows.AddRows(std::move(all));
    return rows;
}

void BM_FavoritesSave(benchmark::State& state) {
    quorvel::test::TempDir dir;
    const quorvel::ListRows rows = Rows(static_cast<std::size_t>(state.range(0)));
    std::string error;
    for (auto _ : state) {
        if (!quorvel::WriteFavoritesFile(dir / "Favorites.txt", rows, error))
            state.SkipWithError(error.c_str());
    }
}
BENCHMARK(BM_FavoritesSave)->Arg(100)->Arg(10'000)->Unit(benchmark::kMillisecond);

void BM_FavoritesRead(benchmark::State& state) {
    quorvel::test::TempDir dir;
    std::string error;
    quorvel::WriteFavoritesFile(dir / "Favorites.txt",
                                Rows(static_cast<std::size_t>(state.range(0))), error);
    for (auto _ : state)
        benchmark::DoNotOptimize(quorvel::ReadFavoritesFile(dir / "Favorites.txt"));
}
BENCHMARK(BM_FavoritesRead)->Arg(100)->Arg(10'000)->Unit(benchmark::kMillisecond);

// Add by text, then tag and sub-items, into 100,000 rows sorted by type: the row moves once.
void BM_SortedPiecewiseAdd(benchmark::State& state) {
    quorvel::ListRows rows = Rows(100'000);
    rows.SetSortKey(2);
    rows.SetSorted(true);
    for (auto _ : state) {
        int position = rows.Add("Added");
        rows.SetTag(position, "http://added");
        position = rows.SetSubItem(position, 1, "Radio");
        position = rows.SetSubItem(position, 2, "Greek");
        state.PauseTiming();
        rows.RemoveAt(position);
        state.ResumeTiming();
    }
}
BENCHMARK(BM_SortedPiecewiseAdd)->Unit(benchmark::kMicrosecond);

}  // namespace
