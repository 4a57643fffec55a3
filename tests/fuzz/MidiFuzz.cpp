// The MIDI file reader: whatever the bytes, the MIDI data found lies inside them, and a
// song that reads has a timing that runs forward and stays within its own end.
#include "FuzzCheck.h"
#include "midi/MidiFile.h"

#include <cmath>
#include <cstdint>
#include <string_view>

using namespace quorvel;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    const MidiPayload payload = FindMidiPayload(bytes);
    if (!payload.error.empty())
        return 0;
    FUZZ_CHECK(payload.offset <= bytes.size());
    FUZZ_CHECK(payload.size <= bytes.size() - payload.offset);
    const std::string_view smf = bytes.substr(payload.offset, payload.size);
    FUZZ_CHECK(smf.substr(0, 4) == "MThd");

    const MidiSong song = ReadMidiSong(smf);
    if (!song.error.empty())
        return 0;
    FUZZ_CHECK(song.tracks >= 1 && song.events <= kMaxMidiEvents);
    const double length = song.LengthSeconds();
    FUZZ_CHECK(std::isfinite(length) && length >= 0.0);
    FUZZ_CHECK(song.SecondsAt(song.lastTick / 2) <= length);
    FUZZ_CHECK(song.TickAt(length) <= song.lastTick);
    FUZZ_CHECK(song.TickAt(length / 2) <= song.TickAt(length));
    return 0;
}
