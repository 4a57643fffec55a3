#pragma once

#include "midi/MidiFile.h"

#include <fluidsynth/types.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace quorvel {

// Plays a MIDI file (.mid, .midi or .rmi) through FluidSynth with a sound font and presents
// the sound as a WAV file: a 44-byte header, then 16-bit stereo samples, rendered only as
// they are read. The length is known before anything is rendered, so the header holds the
// true size and the stream can seek. Not thread-safe: one reader at a time.
class MidiRenderer {
public:
    static constexpr int kSampleRate = 44100;
    static constexpr std::size_t kFrameBytes = 4;
    static constexpr std::size_t kHeaderBytes = 44;
    // A hostile file cannot make it play for ever.
    static constexpr double kMaxSeconds = 2 * 60 * 60;
    // Notes still sounding when the last event has passed fade out meanwhile.
    static constexpr double kTailSeconds = 2.0;

    struct Opened {
        std::unique_ptr<MidiRenderer> renderer;
        // Why it could not be opened, for the user; empty when opened.
        std::string error;
    };
    static Opened Open(const std::string& path, const std::string& soundFont);
    static Opened FromBytes(std::string bytes, const std::string& soundFont);

    ~MidiRenderer();
    MidiRenderer(const MidiRenderer&) = delete;
    MidiRenderer& operator=(const MidiRenderer&) = delete;

    // Bytes of the whole WAV file.
    std::uint64_t Size() const { return kHeaderBytes + m_frames * kFrameBytes; }
    std::uint64_t Position() const { return m_position; }
    double LengthSeconds() const { return static_cast<double>(m_frames) / kSampleRate; }
    // Copies the next bytes of the WAV file into out; 0 at its end.
    std::size_t Read(char* out, std::size_t size);
    // False when the offset lies past the end.
    bool Seek(std::uint64_t offset);

private:
    struct FluidDeleter {
        void operator()(fluid_settings_t* settings) const;
        void operator()(fluid_synth_t* synth) const;
        void operator()(fluid_player_t* player) const;
    };

    MidiRenderer() = default;
    std::string Start(const std::string& soundFont);
    std::string StartPlayer();
    void Reposition(std::uint64_t frame);
    void RenderBlockAt(std::uint64_t frame);
    void Render();

    std::string m_bytes;
    MidiPayload m_payload;
    MidiSong m_song;
    std::uint64_t m_frames = 0;
    std::array<char, kHeaderBytes> m_header{};
    // Declared in this order so that the player goes before the synth, the synth before
    // its settings.
    std::unique_ptr<fluid_settings_t, FluidDeleter> m_settings;
    std::unique_ptr<fluid_synth_t, FluidDeleter> m_synth;
    std::unique_ptr<fluid_player_t, FluidDeleter> m_player;
    // The frame the synth renders next.
    std::uint64_t m_synthFrame = 0;
    std::vector<std::int16_t> m_block;
    std::uint64_t m_blockFirst = 0;
    std::size_t m_blockFrames = 0;
    std::uint64_t m_position = 0;
};

}  // namespace quorvel
