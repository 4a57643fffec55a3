#include "midi/MidiRenderer.h"

#include "files/FileIo.h"

#include <fluidsynth.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace quorvel {
namespace {

constexpr std::size_t kBlockFrames = 4096;
constexpr int kStepFrames = 64;
constexpr int kFlushFrames = 2048;
// A forward jump shorter than this is rendered through, keeping notes that sound across it.
constexpr std::uint64_t kRenderThroughFrames = 2 * MidiRenderer::kSampleRate;

// FluidSynth reports through one process-wide logger. Its errors are kept per thread, for
// the reason shown to the user; nothing goes to the terminal.
thread_local std::string t_fluidError;

void KeepFluidError(int, const char* message, void*) {
    if (message && t_fluidError.empty())
        t_fluidError = message;
}

void Discard(int, const char*, void*) {}

void QuietFluidSynth() {
    static std::once_flag once;
    std::call_once(once, [] {
        fluid_set_log_function(FLUID_PANIC, KeepFluidError, nullptr);
        fluid_set_log_function(FLUID_ERR, KeepFluidError, nullptr);
        fluid_set_log_function(FLUID_WARN, Discard, nullptr);
        fluid_set_log_function(FLUID_INFO, Discard, nullptr);
        fluid_set_log_function(FLUID_DBG, Discard, nullptr);
    });
}

std::string WithFluidReason(std::string text) {
    if (!t_fluidError.empty())
        text += " (" + t_fluidError + ")";
    return text;
}

void PutLittleEndian(char* at, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        at[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

std::array<char, MidiRenderer::kHeaderBytes> WavHeader(std::uint64_t frames) {
    std::array<char, MidiRenderer::kHeaderBytes> header{};
    const auto dataBytes = static_cast<std::uint32_t>(frames * MidiRenderer::kFrameBytes);
    char* h = header.data();
    std::memcpy(h, "RIFF", 4);
    PutLittleEndian(h + 4, 36 + dataBytes, 4);
    std::memcpy(h + 8, "WAVEfmt ", 8);
    PutLittleEndian(h + 16, 16, 4);
    PutLittleEndian(h + 20, 1, 2);  // integer samples
    PutLittleEndian(h + 22, 2, 2);  // stereo
    PutLittleEndian(h + 24, MidiRenderer::kSampleRate, 4);
    PutLittleEndian(h + 28, MidiRenderer::kSampleRate * MidiRenderer::kFrameBytes, 4);
    PutLittleEndian(h + 32, MidiRenderer::kFrameBytes, 2);
    PutLittleEndian(h + 34, 16, 2);
    std::memcpy(h + 36, "data", 4);
    PutLittleEndian(h + 40, dataBytes, 4);
    return header;
}

}  // namespace

void MidiRenderer::FluidDeleter::operator()(fluid_settings_t* settings) const {
    delete_fluid_settings(settings);
}
void MidiRenderer::FluidDeleter::operator()(fluid_synth_t* synth) const {
    delete_fluid_synth(synth);
}
void MidiRenderer::FluidDeleter::operator()(fluid_player_t* player) const {
    delete_fluid_player(player);
}

MidiRenderer::~MidiRenderer() = default;

MidiRenderer::Opened MidiRenderer::Open(const std::string& path, const std::string& soundFont) {
    std::string error;
    const FileDescriptor file = OpenRegularFileForReading(path, error);
    if (!file.Valid())
        return {nullptr, "The MIDI file could not be opened."};
    // One byte past the cap tells a file that is too large without reading all of it.
    std::string bytes;
    if (!ReadUpTo(file, kMaxMidiFileBytes + 1, bytes, path, error))
        return {nullptr, "The MIDI file could not be read."};
    return FromBytes(std::move(bytes), soundFont);
}

MidiRenderer::Opened MidiRenderer::FromBytes(std::string bytes, const std::string& soundFont) {
    std::unique_ptr<MidiRenderer> renderer(new MidiRenderer);
    renderer->m_bytes = std::move(bytes);
    if (std::string error = renderer->Start(soundFont); !error.empty())
        return {nullptr, std::move(error)};
    return {std::move(renderer), {}};
}

std::string MidiRenderer::Start(const std::string& soundFont) {
    m_payload = FindMidiPayload(m_bytes);
    if (!m_payload.error.empty())
        return m_payload.error;
    m_song = ReadMidiSong(std::string_view(m_bytes).substr(m_payload.offset, m_payload.size));
    if (!m_song.error.empty())
        return m_song.error;
    if (soundFont.empty())
        return "No MIDI sound font is installed (the package timgm6mb-soundfont or "
               "fluid-soundfont-gm provides one).";
    const double seconds = std::min(m_song.LengthSeconds() + kTailSeconds, kMaxSeconds);
    m_frames = static_cast<std::uint64_t>(std::ceil(seconds * kSampleRate));
    m_header = WavHeader(m_frames);

    QuietFluidSynth();
    t_fluidError.clear();
    m_settings.reset(new_fluid_settings());
    if (!m_settings)
        return "The MIDI synthesizer could not be set up.";
    fluid_settings_t* settings = m_settings.get();
    // Rendered as fast as it is read: the player keeps time by the samples, not the clock.
    fluid_settings_setstr(settings, "player.timing-source", "sample");
    fluid_settings_setint(settings, "synth.lock-memory", 0);
    fluid_settings_setnum(settings, "synth.sample-rate", kSampleRate);
    fluid_settings_setnum(settings, "synth.gain", 0.4);
    m_synth.reset(new_fluid_synth(settings));
    if (!m_synth)
        return WithFluidReason("The MIDI synthesizer could not be started.");
    if (fluid_synth_sfload(m_synth.get(), soundFont.c_str(), 1) == FLUID_FAILED)
        return WithFluidReason("The MIDI sound font \"" + soundFont + "\" could not be loaded.");
    if (std::string error = StartPlayer(); !error.empty())
        return error;
    // The player reads the file when it first plays: a file it refuses shows here.
    RenderBlockAt(0);
    if (!t_fluidError.empty() && fluid_player_get_status(m_player.get()) == FLUID_PLAYER_DONE)
        return WithFluidReason("The MIDI file could not be played.");
    return {};
}

std::string MidiRenderer::StartPlayer() {
    m_player.reset(new_fluid_player(m_synth.get()));
    if (!m_player)
        return WithFluidReason("The MIDI player could not be started.");
    if (fluid_player_add_mem(m_player.get(), m_bytes.data() + m_payload.offset, m_payload.size) !=
            FLUID_OK ||
        fluid_player_play(m_player.get()) != FLUID_OK) {
        return WithFluidReason("The MIDI file could not be played.");
    }
    return {};
}

void MidiRenderer::Reposition(std::uint64_t frame) {
    m_player.reset();
    fluid_synth_system_reset(m_synth.get());
    // What still rang (voices, the reverb's tail) dies away unheard.
    std::array<std::int16_t, 2 * kFlushFrames> scratch{};
    fluid_synth_write_s16(m_synth.get(), kFlushFrames, scratch.data(), 0, 2, scratch.data(), 1, 2);
    m_synthFrame = frame;
    if (!StartPlayer().empty())
        return;  // silence from here on: the start played it once already
    if (frame == 0)
        return;
    // The player reads the file at its first step; only then can it seek. What that step
    // started is silenced, and the seek replays the settings (programs, controllers) up to
    // the new place without its notes.
    fluid_synth_write_s16(m_synth.get(), kStepFrames, scratch.data(), 0, 2, scratch.data(), 1, 2);
    fluid_synth_all_sounds_off(m_synth.get(), -1);
    const double seconds = static_cast<double>(frame) / kSampleRate;
    const std::uint64_t tick = std::min<std::uint64_t>(m_song.TickAt(seconds), 0x7FFFFFFF);
    // Past the last event (the fade-out) the player has nothing left to play.
    if (fluid_player_seek(m_player.get(), static_cast<int>(tick)) != FLUID_OK)
        fluid_player_stop(m_player.get());
}

void MidiRenderer::Render() {
    m_block.resize(kBlockFrames * 2);
    fluid_synth_write_s16(m_synth.get(), static_cast<int>(kBlockFrames), m_block.data(), 0, 2,
                          m_block.data(), 1, 2);
    m_synthFrame += kBlockFrames;
}

void MidiRenderer::RenderBlockAt(std::uint64_t frame) {
    // The synth computes its sound in steps of 64 frames and keeps what a write left of a
    // step for the next: every write here is whole steps, so nothing from before a jump
    // leaks into the sound after it.
    if (frame < m_synthFrame || frame - m_synthFrame > kRenderThroughFrames)
        Reposition(frame - frame % kStepFrames);
    while (m_synthFrame + kBlockFrames <= frame)
        Render();
    m_blockFirst = m_synthFrame;
    Render();
    m_blockFrames = kBlockFrames;
}

std::size_t MidiRenderer::Read(char* out, std::size_t size) {
    std::size_t done = 0;
    const std::uint64_t end = Size();
    while (done < size && m_position < end) {
        std::size_t count = 0;
        if (m_position < kHeaderBytes) {
            count = std::min<std::size_t>(size - done, kHeaderBytes - m_position);
            std::memcpy(out + done, m_header.data() + m_position, count);
        } else {
            const std::uint64_t sample = m_position - kHeaderBytes;
            const std::uint64_t frame = sample / kFrameBytes;
            if (frame < m_blockFirst || frame >= m_blockFirst + m_blockFrames)
                RenderBlockAt(frame);
            const std::size_t offset =
                static_cast<std::size_t>(sample - m_blockFirst * kFrameBytes);
            count = static_cast<std::size_t>(std::min<std::uint64_t>(
                {size - done, m_blockFrames * kFrameBytes - offset, end - m_position}));
            std::memcpy(out + done, reinterpret_cast<const char*>(m_block.data()) + offset, count);
        }
        done += count;
        m_position += count;
    }
    return done;
}

bool MidiRenderer::Seek(std::uint64_t offset) {
    if (offset > Size())
        return false;
    m_position = offset;
    return true;
}

}  // namespace quorvel
