// MIDI files: reading a song's timing, opening one (sound font included) and rendering its
// sound, against the time the sound lasts.
#include "midi/MidiFile.h"
#include "midi/MidiRenderer.h"
#include "midi/SoundFont.h"
#include "support/TestMidi.h"

#include <benchmark/benchmark.h>

namespace {

using namespace quorvel;

// 30 s of eight-note chords on eight channels, a chord every quarter second.
std::string DenseSong() {
    std::vector<std::string> tracks;
    for (int channel = 0; channel < 8; ++channel) {
        test::MidiTrack track;
        track.Event(0, {0xC0 | channel, channel * 8});
        for (int beat = 0; beat < 120; ++beat) {
            for (int n = 0; n < 8; ++n)
                track.Event(0, {0x90 | channel, 36 + n * 5 + channel, 100});
            for (int n = 0; n < 8; ++n)
                track.Event(n == 0 ? 240 : 0, {0x80 | channel, 36 + n * 5 + channel, 0});
        }
        tracks.push_back(track.Chunk());
    }
    return test::MidiFile(1, 480, tracks);
}

void BM_ReadSongOfMostEvents(benchmark::State& state) {
    test::MidiTrack track;
    track.Event(0, {0x90, 60, 1});
    for (std::size_t i = 1; i < kMaxMidiEvents - 1; ++i)
        track.Event(1, {60, static_cast<int>(i & 0x7F)});
    const std::string song = test::MidiFile(0, 480, {track.Chunk()});
    for (auto _ : state)
        benchmark::DoNotOptimize(ReadMidiSong(song).lastTick);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * song.size()));
}
BENCHMARK(BM_ReadSongOfMostEvents)->Unit(benchmark::kMillisecond);

// What a click on a MIDI file costs before the engine gets its first sound.
void BM_OpenToFirstSound(benchmark::State& state) {
    const std::string song = DenseSong();
    const std::string font = FindSoundFont();
    for (auto _ : state) {
        auto opened = MidiRenderer::FromBytes(song, font);
        if (!opened.renderer) {
            state.SkipWithError(opened.error.c_str());
            return;
        }
        char first[4096];
        benchmark::DoNotOptimize(opened.renderer->Read(first, sizeof first));
    }
}
BENCHMARK(BM_OpenToFirstSound)->Unit(benchmark::kMillisecond);

// Seconds of sound rendered per second of work (the "realtime" counter).
void BM_RenderDenseSong(benchmark::State& state) {
    auto opened = MidiRenderer::FromBytes(DenseSong(), FindSoundFont());
    if (!opened.renderer) {
        state.SkipWithError(opened.error.c_str());
        return;
    }
    std::string buffer(10 * MidiRenderer::kSampleRate * MidiRenderer::kFrameBytes, '\0');
    for (auto _ : state) {
        opened.renderer->Seek(MidiRenderer::kHeaderBytes);
        benchmark::DoNotOptimize(opened.renderer->Read(buffer.data(), buffer.size()));
    }
    state.counters["realtime"] = benchmark::Counter(static_cast<double>(state.iterations()) * 10,
                                                    benchmark::Counter::kIsRate);
}
BENCHMARK(BM_RenderDenseSong)->Unit(benchmark::kMillisecond);

}  // namespace
