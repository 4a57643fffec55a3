// A programme guide of 1,000 channels with 1,000 programmes each (about 400 MB of XML,
// 45 MB gzip), made once into /tmp: imported from the gzip file, and what is on now for a
// page of 50 channels. Compare the import with `xmllint --stream --noout` on the same file,
// and its peak memory, from outside (`/usr/bin/time -v quorvel-guide import ...`).
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "guide/GuideImport.h"
#include "guide/GuideStore.h"

namespace {

using namespace quorvel::guide;

constexpr GuideTime kNow = 1796731200;  // 2026-12-08 12:00 UTC
constexpr int kChannels = 1000;
constexpr int kProgrammesPerChannel = 1000;

std::string ChannelId(int channel) {
    return "ch" + std::to_string(channel) + ".bench.example.net";
}

// Made once and kept: the same file serves every run and the comparison with xmllint.
const std::filesystem::path& GeneratedGuide() {
    static const std::filesystem::path path = [] {
        const std::filesystem::path file = "/tmp/quorvel-bench-guide-1000x1000-v2.xml.gz";
        if (std::filesystem::exists(file))
            return file;
        const std::filesystem::path partial = file.string() + ".part";
        gzFile out = gzopen(partial.c_str(), "wb6");
        static const char* const kWords[] = {
            "the",    "a",         "night", "city",    "story",  "of",      "and",
            "river",  "old",       "house", "family",  "secret", "journey", "kitchen",
            "match",  "final",     "news",  "weather", "garden", "mystery", "north",
            "island", "detective", "music", "live",    "world"};
        std::mt19937 random(42);
        std::string buffer;
        buffer +=
            "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<!DOCTYPE tv SYSTEM \"xmltv.dtd\">\n"
            "<tv generator-info-name=\"bench\">\n";
        for (int c = 0; c < kChannels; ++c) {
            buffer += "  <channel id=\"" + ChannelId(c) +
                      "\">\n    <display-name lang=\"en\">Channel " + std::to_string(c) +
                      " HD</display-name>\n  </channel>\n";
        }
        for (int c = 0; c < kChannels; ++c) {
            GuideTime start = kNow - 5 * 86400;
            for (int p = 0; p < kProgrammesPerChannel; ++p) {
                const GuideTime stop = start + 1200;
                buffer += "  <programme start=\"" + FormatGuideTime(start) + "\" stop=\"" +
                          FormatGuideTime(stop) + "\" channel=\"" + ChannelId(c) + "\">\n";
                buffer += "    <title lang=\"en\">Programme " + std::to_string(p) + " on " +
                          std::to_string(c) + "</title>\n";
                buffer += "    <sub-title lang=\"en\">Episode " + std::to_string(random() % 200) +
                          "</sub-title>\n    <desc lang=\"en\">";
                const int words = 15 + static_cast<int>(random() % 12);
                for (int w = 0; w < words; ++w) {
                    buffer += kWords[random() % std::size(kWords)];
                    buffer += w + 1 < words ? ' ' : '.';
                }
                buffer += "</desc>\n    <category lang=\"en\">";
                buffer += kWords[random() % std::size(kWords)];
                buffer += "</category>\n  </programme>\n";
                start = stop;
                if (buffer.size() > (1 << 20)) {
                    gzwrite(out, buffer.data(), static_cast<unsigned>(buffer.size()));
                    buffer.clear();
                }
            }
        }
        buffer += "</tv>\n";
        gzwrite(out, buffer.data(), static_cast<unsigned>(buffer.size()));
        gzclose(out);
        std::filesystem::rename(partial, file);
        return file;
    }();
    return path;
}

const std::filesystem::path kStore = "/tmp/quorvel-bench-guide.sqlite";

void RemoveStore() {
    for (const char* suffix : {"", "-wal", "-shm"})
        std::filesystem::remove(kStore.string() + suffix);
}

void BM_ImportGzipGuide(benchmark::State& state) {
    const auto guide = GeneratedGuide();
    ImportOptions options;
    options.now = kNow;
    for (auto _ : state) {
        state.PauseTiming();
        RemoveStore();
        std::string error;
        auto store = GuideStore::Open(kStore, error);
        state.ResumeTiming();
        const ImportResult result = ImportGuide(*store, guide.string(), options);
        if (!result.Ok())
            state.SkipWithError(result.error.c_str());
        state.counters["programmes"] = static_cast<double>(result.programmes);
    }
    state.counters["store MB"] =
        static_cast<double>(std::filesystem::file_size(kStore)) / (1024 * 1024);
    state.counters["guide MB"] =
        static_cast<double>(std::filesystem::file_size(guide)) / (1024 * 1024);
}
BENCHMARK(BM_ImportGzipGuide)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OnAirPageOf50(benchmark::State& state) {
    if (!std::filesystem::exists(kStore)) {
        ImportOptions options;
        options.now = kNow;
        std::string error;
        auto store = GuideStore::Open(kStore, error);
        ImportGuide(*store, GeneratedGuide().string(), options);
    }
    std::string error;
    auto store = GuideStore::Open(kStore, error);
    std::vector<std::vector<std::string>> pages;
    for (int first = 0; first < kChannels; first += 50) {
        pages.emplace_back();
        for (int c = first; c < first + 50; ++c)
            pages.back().push_back(ChannelId(c));
    }
    std::size_t page = 0;
    GuideTime at = kNow;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store->OnAir(pages[page], at));
        page = (page + 1) % pages.size();
        at += 61;
    }
}
BENCHMARK(BM_OnAirPageOf50)->Unit(benchmark::kMicrosecond);

// What a channel list asks for the rows on screen: on air and next, each with a shift.
void BM_NowAndNextPageOf50(benchmark::State& state) {
    std::string error;
    auto store = GuideStore::Open(kStore, error);
    std::vector<std::vector<ShiftedChannel>> pages;
    for (int first = 0; first < kChannels; first += 50) {
        pages.emplace_back();
        for (int c = first; c < first + 50; ++c)
            pages.back().push_back({ChannelId(c), (c % 3) * 1800});
    }
    std::size_t page = 0;
    GuideTime at = kNow;
    for (auto _ : state) {
        benchmark::DoNotOptimize(store->NowAndNextOf(pages[page], at));
        page = (page + 1) % pages.size();
        at += 61;
    }
}
BENCHMARK(BM_NowAndNextPageOf50)->Unit(benchmark::kMicrosecond);

}  // namespace
