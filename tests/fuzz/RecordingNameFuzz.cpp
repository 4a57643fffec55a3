// Any channel name from a catalogue gives one safe, valid file name part.
#include "FuzzCheck.h"

#include "playback/RecordingName.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {

bool ValidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        const std::size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
        if (at + length > text.size())
            return false;
        at += length;
    }
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string name(reinterpret_cast<const char*>(data), size);
    const std::string part = quorvel::RecordingChannelPart(name);
    FUZZ_CHECK(!part.empty() && part.size() <= quorvel::kChannelNameBytes);
    FUZZ_CHECK(part.front() != '.' && part.front() != ' ' && part.back() != ' ');
    FUZZ_CHECK(part.find('/') == std::string::npos && part.find('\\') == std::string::npos);
    for (const char c : part)
        FUZZ_CHECK(static_cast<unsigned char>(c) >= 0x20 && c != 0x7F);
    FUZZ_CHECK(ValidUtf8(part));
    // Made safe once, a name stays as it is.
    FUZZ_CHECK(quorvel::RecordingChannelPart(part) == part);
    return 0;
}
