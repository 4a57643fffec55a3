// Importing a 100,000-entry extended M3U playlist into catalogue channels, and writing a
// catalogue of that size as M3U; the heap a hostile playlist file costs on import; an entry
// naming 120,000 languages.
#include <benchmark/benchmark.h>

#include <malloc.h>

#include <atomic>
#include <cstdlib>
#include <new>
#include <string>

#include "m3u/M3uCatalogue.h"
#include "m3u/M3uParser.h"
#include "m3u/M3uRows.h"
#include "support/TempDir.h"

// Every allocation of this program is counted, so that an import's peak heap is known to
// the byte instead of through the process's resident size.
namespace {

std::atomic<std::size_t> g_live{0};
std::atomic<std::size_t> g_peak{0};

void Counted(void* p) {
    const std::size_t now = g_live += malloc_usable_size(p);
    std::size_t peak = g_peak.load();
    while (now > peak && !g_peak.compare_exchange_weak(peak, now)) {
    }
}

}  // namespace

void* operator new(std::size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p)
        throw std::bad_alloc();
    Counted(p);
    return p;
}

// GCC sees free() of what operator new returned; here operator new is malloc itself.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
void operator delete(void* p) noexcept {
    if (!p)
        return;
    g_live -= malloc_usable_size(p);
    std::free(p);
}
#pragma GCC diagnostic pop

void operator delete(void* p, std::size_t) noexcept {
    operator delete(p);
}

namespace {

constexpr std::size_t kEntries = 100'000;
constexpr double kMB = 1024.0 * 1024.0;

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

// Hostile files: the shortest entries (each costs a row however small its line), and
// files at the size cap whose entries, one under the entry cap, grow on the way to rows.
enum Shape {
    EmptyExtinf,
    BareAddresses,
    LoneCrComments,
    ManyAttributes,
    Windows1252Titles,
    Windows1252Addresses
};

std::string HostileFile(Shape shape, std::size_t size) {
    std::string entry;
    const std::size_t perEntry = size / kEntries;
    switch (shape) {
        case EmptyExtinf:
            entry = "#EXTINF:\nx\n";
            break;
        case BareAddresses:
            entry = "x\n";
            break;
        case LoneCrComments:
            entry = "#\r";
            break;
        case ManyAttributes:
            entry = "#EXTINF:-1";
            while (entry.size() + 16 < perEntry)
                entry += " a=b";
            entry += ",\nhttp://x/\n";
            break;
        case Windows1252Titles:
            entry = "#EXTINF:-1," + std::string(perEntry - 24, '\xE9') + "\nhttp://x/\n";
            break;
        case Windows1252Addresses:
            entry = "#EXTINF:-1,\nhttp://x/" + std::string(perEntry - 24, '\xE9') + "\n";
            break;
    }
    std::string out;
    out.reserve(size + entry.size());
    // The shapes at the size cap stay one under the entry cap; the short ones pass it.
    const std::size_t count = shape >= ManyAttributes ? kEntries : size / entry.size();
    for (std::size_t i = 0; i < count; ++i)
        out += entry;
    return out;
}

void BM_ImportHostileFile(benchmark::State& state) {
    const auto shape = static_cast<Shape>(state.range(0));
    const auto size = static_cast<std::size_t>(state.range(1)) * 1024 * 1024;
    quorvel::test::TempDir dir;
    const auto file = dir.Write("hostile.m3u", HostileFile(shape, size));
    std::size_t peak = 0;
    bool ok = false;
    for (auto _ : state) {
        const std::size_t before = g_live.load();
        g_peak = before;
        quorvel::M3uRows rows = quorvel::ReadM3uRows(file, "");
        peak = g_peak.load() - before;
        ok = rows.ok;
        benchmark::DoNotOptimize(rows.rows.data());
    }
    state.counters["file_MB"] = static_cast<double>(size) / kMB;
    state.counters["peak_MB"] = static_cast<double>(peak) / kMB;
    state.counters["bound_MB"] = 10.0 * static_cast<double>(size) / kMB + 50.0;
    state.counters["imported"] = ok ? 1 : 0;
}
BENCHMARK(BM_ImportHostileFile)
    ->ArgNames({"shape", "MB"})
    ->Args({EmptyExtinf, 20})
    ->Args({BareAddresses, 20})
    ->Args({LoneCrComments, 20})
    ->Args({ManyAttributes, 256})
    ->Args({Windows1252Titles, 256})
    ->Args({Windows1252Addresses, 256})
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// One entry naming 120,000 languages, all different or all one in changing letter case.
void BM_ManyLanguagesInOneEntry(benchmark::State& state) {
    const bool distinct = state.range(0) != 0;
    std::string bytes = "#EXTINF:-1 tvg-language=\"";
    for (int i = 0; i < 120'000; ++i)
        bytes +=
            (distinct ? "Language" + std::to_string(i) : (i % 2 ? "english" : "English")) + ";";
    bytes += "\",X\nhttp://x/\n";
    for (auto _ : state) {
        auto channels = quorvel::ChannelsFromM3u(quorvel::ParseM3u(bytes), {});
        benchmark::DoNotOptimize(channels.data());
    }
}
BENCHMARK(BM_ManyLanguagesInOneEntry)
    ->ArgName("distinct")
    ->Arg(0)
    ->Arg(1)
    ->Unit(benchmark::kMillisecond);

}  // namespace
