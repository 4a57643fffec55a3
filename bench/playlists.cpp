// Playlist parsing on hostile input: every parser must stay linear in the input size.
#include "playback/WindowsPlaylist.h"
#include "playback/XmlTagScanner.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void BM_DecodeEntitiesOfAmpersands(benchmark::State& state) {
    const std::string text(static_cast<std::size_t>(state.range(0)), '&');
    for (auto _ : state)
        benchmark::DoNotOptimize(quorvel::DecodeXmlEntities(text));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_DecodeEntitiesOfAmpersands)
    ->Arg(512 << 10)
    ->Arg(1 << 20)
    ->Unit(benchmark::kMillisecond);

void BM_AsxOfAmpersands(benchmark::State& state) {
    const std::string asx = "<asx><entry><ref href=\"" +
                            std::string(static_cast<std::size_t>(state.range(0)), '&') +
                            "\"/></entry></asx>";
    for (auto _ : state)
        benchmark::DoNotOptimize(quorvel::ReadPlaylistEntries(asx));
    state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_AsxOfAmpersands)->Arg(1 << 20)->Unit(benchmark::kMillisecond);

}  // namespace
