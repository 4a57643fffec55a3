#pragma once

// A made-up catalogue of many channels for benchmarks and load tests (header-only, so it
// links wherever the core does).
#include <cstdint>
#include <string>

#include "catalogue/LineCodec.h"

namespace quorvel::test {

struct GeneratedCatalogueCounts {
    std::size_t tv = 0;
    std::size_t radio = 0;
};

// `channels` records of the four categories (about 40% TV, 30% Radio, 20% Video, 10% XXX),
// languages from a list of 24, a tenth of them joined with "/", a few names with accented
// letters; encoded, CR LF line ends, a blank line first as an updated file has.
inline std::string GenerateCatalogue(std::size_t channels,
                                     GeneratedCatalogueCounts* counts = nullptr) {
    static const char* const kLanguages[] = {
        "English", "Spanish", "French",  "German",    "Italian",  "Portuguese",
        "Dutch",   "Polish",  "Russian", "Arabic",    "Chinese",  "Japanese",
        "Korean",  "Hindi",   "Turkish", "Greek",     "Swedish",  "Norwegian",
        "Danish",  "Finnish", "Czech",   "Hungarian", "Romanian", "Music"};
    static const char* const kWords[] = {"News", "Sport", "Kids",    "Movies",
                                         "Jazz", "Rock",  "Classic", "Live",
                                         "One",  "Two",   "Caf\xE9", "M\xFCnchen"};
    std::uint64_t seed = 0x9E3779B97F4A7C15ull;
    auto next = [&seed](std::uint64_t n) {
        seed = seed * 6364136223846793005ull + 1442695040888963407ull;
        return static_cast<std::size_t>((seed >> 33) % n);
    };
    std::string out = "\r\n";
    out.reserve(channels * 90);
    std::string line;
    for (std::size_t i = 0; i < channels; ++i) {
        const std::size_t roll = next(10);
        const char* category = roll < 4 ? "TV" : roll < 7 ? "Radio" : roll < 9 ? "Video" : "XXX";
        if (counts && roll < 4)
            ++counts->tv;
        if (counts && roll >= 4 && roll < 7)
            ++counts->radio;
        line.clear();
        line.append(kWords[next(12)]).append(" ").append(kWords[next(12)]).append(" ");
        line.append(std::to_string(i)).append("|http://stream");
        line.append(std::to_string(next(500))).append(".example.net:8000/live/channel");
        line.append(std::to_string(i)).append(".m3u8|").append(category).append("|");
        line.append(kLanguages[next(24)]);
        if (next(10) == 0)
            line.append("/").append(kLanguages[next(24)]);
        out.append(EncodeLine(line)).append("\r\n");
    }
    return out;
}

}  // namespace quorvel::test
