// M3U import: whatever a playlist holds, the entries stay within the cap, each address is
// one whole line, and every channel made of an entry can be stored in a catalogue line:
// no field separator or control character in any field, a catalogue category, and a type
// of at most 32 distinct names.
#include "FuzzCheck.h"
#include "files/TextCase.h"
#include "m3u/M3uCatalogue.h"
#include "m3u/M3uParser.h"

#include <array>
#include <cstdint>
#include <string>
#include <vector>

using namespace quorvel;

namespace {

bool Storable(std::string_view field) {
    for (const char c : field) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '|' || byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

void CheckType(std::string_view type) {
    std::vector<std::string_view> names;
    std::size_t start = 0;
    while (!type.empty() && start <= type.size()) {
        std::size_t stop = type.find('/', start);
        if (stop == std::string_view::npos)
            stop = type.size();
        names.push_back(type.substr(start, stop - start));
        start = stop + 1;
    }
    FUZZ_CHECK(names.size() <= 32);
    for (std::size_t i = 0; i < names.size(); ++i) {
        FUZZ_CHECK(!names[i].empty());
        for (std::size_t j = 0; j < i; ++j)
            FUZZ_CHECK(!EqualsIgnoringCase(names[i], names[j]));
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const M3uPlaylist playlist = ParseM3u(bytes);
    FUZZ_CHECK(playlist.entries.size() <= kMaxM3uEntries);
    constexpr std::array<std::string_view, 4> kCategories = {"TV", "Radio", "Video", "XXX"};
    for (const M3uEntry& entry : playlist.entries) {
        FUZZ_CHECK(!entry.url.empty() && entry.url.front() != '#');
        FUZZ_CHECK(entry.url.find_first_of("\r\n") == std::string::npos);
        const CatalogueEntry channel = ChannelFromM3u(entry, {});
        FUZZ_CHECK(Storable(channel.name) && Storable(channel.url) && Storable(channel.type));
        bool known = false;
        for (const auto category : kCategories)
            known = known || channel.category == category;
        FUZZ_CHECK(known);
        CheckType(channel.type);
    }
    return 0;
}
