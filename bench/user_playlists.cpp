// Adding a user's playlist of 100,000 channels (about 20 MB, a local file): reading it whole
// through the untrusted-file reader and into channels. Reports the peak memory of the process
// beside the file's size; the budget is four times the file plus 50 MB.
#include "playlists/PlaylistFile.h"
#include "playlists/PlaylistReader.h"

#include "TempDir.h"

#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <fstream>
#include <string>

namespace {

double PeakMegabytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return static_cast<double>(usage.ru_maxrss) / 1024.0;
}

// Shaped like the big IPTV lists people share: guide header, tvg attributes, a logo, a
// group, some with a user agent.
const std::filesystem::path& BigPlaylist() {
    static quorvel::test::TempDir dir;
    static const std::filesystem::path file = [] {
        // Written a line at a time, so that making it leaves no peak of its own.
        const std::filesystem::path path = dir / "big.m3u";
        std::ofstream out(path, std::ios::binary);
        out << "#EXTM3U url-tvg=\"http://epg.example/guide.xml.gz\"\n";
        std::string bytes;
        for (int i = 0; i < 100'000; ++i) {
            bytes.clear();
            const std::string n = std::to_string(i);
            bytes += "#EXTINF:-1 tvg-id=\"ch" + n + ".example\" tvg-name=\"Channel " + n +
                     "\" tvg-logo=\"http://logo.example/" + n +
                     ".png\" tvg-language=\"English\" group-title=\"Group " +
                     std::to_string(i % 40) + "\",Channel \xE2\x93\x88 " + n + "\n";
            if (i % 10 == 0)
                bytes += "#EXTVLCOPT:http-user-agent=Mozilla/5.0 (X11; Linux x86_64)\n";
            bytes += "http://streams.example:8080/live/u/p/" + n + ".ts\n";
            out << bytes;
        }
        return path;
    }();
    return file;
}

// First, so that peak_MB is this reading's and little else's.
void BM_AddPlaylistOf100000Channels(benchmark::State& state) {
    const auto& file = BigPlaylist();
    // The peak before the first run: later runs start from the peak the first one left.
    static const double before = PeakMegabytes();
    std::size_t channels = 0;
    for (auto _ : state) {
        std::string bytes;
        std::string error;
        if (!quorvel::ReadPlaylistFile(file, bytes, error)) {
            state.SkipWithError(error.c_str());
            return;
        }
        const quorvel::Playlist playlist = quorvel::ReadPlaylist(bytes, file.string());
        channels = playlist.channels.size();
        benchmark::DoNotOptimize(playlist.channels.data());
    }
    state.counters["channels"] = static_cast<double>(channels);
    state.counters["file_MB"] =
        static_cast<double>(std::filesystem::file_size(file)) / (1024.0 * 1024.0);
    state.counters["peak_MB"] = PeakMegabytes();
    state.counters["peak_over_start_MB"] = PeakMegabytes() - before;
}
BENCHMARK(BM_AddPlaylistOf100000Channels)->Unit(benchmark::kMillisecond);

}  // namespace
