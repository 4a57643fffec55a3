#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// A MIDI file is read whole into memory and parsed in one pass: these bound what a hostile
// file can cost. A long orchestral piece holds about 100,000 events.
constexpr std::size_t kMaxMidiFileBytes = 16 * 1024 * 1024;
constexpr std::size_t kMaxMidiEvents = 1'000'000;

// Whether a file name ends in .mid, .midi or .rmi, in any letter case.
bool IsMidiFileName(std::string_view path);

// Where the standard MIDI file lies inside a file's bytes: all of a .mid, the "data" chunk
// of an .rmi (a RIFF "RMID" wrapper). Error is empty when it was found.
struct MidiPayload {
    std::size_t offset = 0;
    std::size_t size = 0;
    std::string error;
};
MidiPayload FindMidiPayload(std::string_view bytes);

// The timing of a standard MIDI file: how long it plays and where a time falls in its ticks.
class MidiSong {
public:
    // Error is empty when the file was read.
    std::string error;
    int format = 0;
    int tracks = 0;
    std::size_t events = 0;
    // The tick at which the last track ends.
    std::uint64_t lastTick = 0;

    double SecondsAt(std::uint64_t tick) const;
    std::uint64_t TickAt(double seconds) const;
    double LengthSeconds() const { return SecondsAt(lastTick); }

private:
    friend MidiSong ReadMidiSong(std::string_view smf);
    // From startTick on, each tick lasts secondsPerTick; sorted, the first at tick 0.
    struct Segment {
        std::uint64_t startTick = 0;
        double startSeconds = 0.0;
        double secondsPerTick = 0.0;
    };
    std::vector<Segment> m_segments;
};

// Reads a standard MIDI file (the payload, not the RIFF wrapper): its structure is checked
// and its tempo changes, from any track, give its timing.
MidiSong ReadMidiSong(std::string_view smf);

}  // namespace quorvel
