// Importing a 100,000-entry extended M3U playlist into catalogue channels, and writing a
// catalogue of that size as M3U.
#include <benchmark/benchmark.h>

#include <string>

#include "m3u/M3uCatalogue.h"
#include "m3u/M3uParser.h"

namespace {

constexpr std::size_t kEntries = 100'000;

const std::string& Playlist() {
    static const std::string bytes = [] {
        std::string out = "\xEF\xBB\xBF#EXTM3U url-tvg=\"http://epg.example/guide.xml\"\r\n";
        for (std::size_t i = 0; i < kEntries; ++i) {
            const std::string n = std::to_string(i);
            out += "#EXTINF:-1 tvg-id=\"ch" + n + ".example\" tvg-name=\"Channel " + n +
                   "\" tvg-logo=\"http://logos.example/" + n +
                   ".png\" tvg-language=\"English;Fran\xC3\xA7" +
                   "ais\" group-title=\"News, World\",Caf\xC3\xA9 Channel " + n + " HD\r\n";
            out += "#EXTVLCOPT:http-user-agent=Mozilla/5.0\r\n";
            out += "http://stream" + std::to_string(i % 500) + ".example.net:8000/live/" + n +
                   ".m3u8\r\n";
        }
        return out;
    }();
    return bytes;
}

void BM_ImportM3u(benchmark::State& state) {
    const std::string& bytes = Playlist();
    for (auto _ : state) {
        auto channels = quorvel::ChannelsFromM3u(quorvel::ParseM3u(bytes), {});
        benchmark::DoNotOptimize(channels.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
    state.counters["entries"] = static_cast<double>(kEntries);
}
BENCHMARK(BM_ImportM3u)->Unit(benchmark::kMillisecond);

void BM_ExportM3u(benchmark::State& state) {
    const auto channels = quorvel::ChannelsFromM3u(quorvel::ParseM3u(Playlist()), {});
    for (auto _ : state) {
        std::string out = quorvel::WriteM3u(channels);
        benchmark::DoNotOptimize(out.data());
    }
}
BENCHMARK(BM_ExportM3u)->Unit(benchmark::kMillisecond);

}  // namespace
