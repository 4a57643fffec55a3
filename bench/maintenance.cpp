// The maintainer's tools at catalogue size: duplicate removal over 100,000 rows, publishing
// them, and the web update of a 10 MB page from a local server to the reloaded list.
#include <benchmark/benchmark.h>

#include <string>

#include "catalogue/CatalogueRows.h"
#include "catalogue/ChannelList.h"
#include "catalogue/ListCleanup.h"
#include "catalogue/Publish.h"
#include "catalogue/WebUpdate.h"
#include "support/GeneratedCatalogue.h"
#include "support/LocalHttpServer.h"
#include "support/TempDir.h"

namespace {

constexpr std::size_t kChannels = 100'000;

void IgnoreMessage(const std::string&) {}

// 100,000 rows as "Decrypt and Load" lists them; every fifth is an imported row repeating
// an earlier address in other letter case.
const quorvel::ListRows& LoadedRows() {
    static const quorvel::ListRows rows = [] {
        quorvel::test::TempDir dir;
        const auto file = dir.Write("Data.txt", quorvel::test::GenerateCatalogue(kChannels));
        quorvel::ListRows loaded;
        quorvel::LoadFullCatalogue(file, loaded, IgnoreMessage);
        std::vector<quorvel::ListRow> mixed;
        for (int position = 1; position <= loaded.Count(); ++position) {
            const quorvel::ListRow& row = loaded.At(position);
            if (position % 5 == 0) {
                std::string url = loaded.At(position / 2).subItems[2];
                url[0] = 'H';
                mixed.push_back(quorvel::MakeImportRow(row.text, url, "TV", "English"));
            } else {
                mixed.push_back(row);
            }
        }
        quorvel::ListRows result;
        result.AddRows(std::move(mixed));
        return result;
    }();
    return rows;
}

void BM_RemoveDuplicates(benchmark::State& state) {
    int removed = 0;
    for (auto _ : state) {
        state.PauseTiming();
        quorvel::ListRows rows = LoadedRows();
        state.ResumeTiming();
        removed = quorvel::RemoveDuplicateChannels(rows);
        state.PauseTiming();
        rows = {};
        state.ResumeTiming();
    }
    state.counters["rows"] = static_cast<double>(LoadedRows().Count());
    state.counters["removed"] = removed;
}

void BM_PublishPage(benchmark::State& state) {
    const quorvel::ListRows& rows = LoadedRows();
    std::size_t bytes = 0;
    for (auto _ : state) {
        const std::string page = quorvel::PublishedPage(rows);
        bytes = page.size();
        benchmark::DoNotOptimize(page.data());
    }
    state.counters["MB"] = static_cast<double>(bytes) / (1024 * 1024);
}

// The whole command: the page written to disk atomically, flushed.
void BM_PublishToFile(benchmark::State& state) {
    const quorvel::ListRows& rows = LoadedRows();
    quorvel::test::TempDir dir;
    for (auto _ : state) {
        if (!quorvel::PublishCatalogue(rows, dir / "Data.htm").ok)
            state.SkipWithError("publish failed");
    }
}

// Fetch, cut out the block, replace Data.txt, list the TV channels again.
void BM_WebUpdateTenMegabytes(benchmark::State& state) {
    std::string block = quorvel::test::GenerateCatalogue(kChannels * 13 / 10);
    while (block.size() > 10 * 1024 * 1024)
        block.resize(block.rfind("\r\n", block.size() - 3) + 2);
    quorvel::test::LocalHttpServer server;
    server.Serve("/TV/Data.htm", "<html>\r\n<data>" + block + "</data>\r\n</html>", "text/html");
    quorvel::test::TempDir dir;
    const auto catalogue = dir / "Data.txt";
    int listed = 0;
    for (auto _ : state) {
        const quorvel::UpdateResult result =
            quorvel::RunWebUpdate(quorvel::UpdateDownload(server.Url("/TV/Data.htm")), catalogue);
        if (!result.Applied())
            state.SkipWithError(result.message.c_str());
        quorvel::BrowsingState browsing{"TV", "All", true};
        quorvel::ListRows rows;
        quorvel::ComboBoxState combo;
        quorvel::LoadChannelList(catalogue, browsing, rows, combo, IgnoreMessage);
        listed = rows.Count();
    }
    state.counters["page_MB"] = static_cast<double>(block.size()) / (1024 * 1024);
    state.counters["listed"] = listed;
}

}  // namespace

BENCHMARK(BM_RemoveDuplicates)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PublishPage)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PublishToFile)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_WebUpdateTenMegabytes)->Unit(benchmark::kMillisecond);
