// Throughput of the catalogue line codec.
#include <benchmark/benchmark.h>

#include <string>

#include "catalogue/LineCodec.h"

namespace {

std::string SampleText(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i)
        text[i] = static_cast<char>((i * 7 + i / 13) & 0xFF);
    return text;
}

void BM_EncodeLine(benchmark::State& state) {
    const std::string text = SampleText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string out = quorvel::EncodeLine(text);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

void BM_DecodeLine(benchmark::State& state) {
    const std::string text = SampleText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        std::string out = quorvel::DecodeLine(text);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

// The reader's way: a whole file decoded in its own buffer.
void BM_DecodeInPlace(benchmark::State& state) {
    std::string text = SampleText(static_cast<std::size_t>(state.range(0)));
    for (auto _ : state) {
        quorvel::DecodeLineInPlace(text);
        benchmark::DoNotOptimize(text.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * state.range(0));
}

}  // namespace

// A typical catalogue line, and a whole 8 MB catalogue.
BENCHMARK(BM_EncodeLine)->Arg(80)->Arg(8 << 20);
BENCHMARK(BM_DecodeLine)->Arg(80)->Arg(8 << 20);
BENCHMARK(BM_DecodeInPlace)->Arg(80)->Arg(8 << 20);
