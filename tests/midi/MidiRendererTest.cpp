#include "midi/MidiRenderer.h"
#include "midi/SoundFont.h"

#include "TempDir.h"
#include "TestMidi.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace quorvel {
namespace {

constexpr int kRate = MidiRenderer::kSampleRate;

std::uint32_t Little(const std::string& bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

// The loudest sample between two times of the stereo 16-bit data after the header.
int Peak(const std::string& wav, double from, double to) {
    int peak = 0;
    const auto first = static_cast<std::size_t>(from * kRate) * 2;
    const auto last = std::min(static_cast<std::size_t>(to * kRate) * 2, (wav.size() - 44) / 2);
    for (std::size_t i = first; i < last; ++i) {
        std::int16_t sample = 0;
        std::memcpy(&sample, wav.data() + 44 + 2 * i, 2);
        peak = std::max(peak, std::abs(static_cast<int>(sample)));
    }
    return peak;
}

std::string ReadAll(MidiRenderer& renderer, std::size_t piece) {
    std::string out;
    std::string buffer(piece, '\0');
    while (const std::size_t got = renderer.Read(buffer.data(), buffer.size()))
        out.append(buffer.data(), got);
    return out;
}

class MidiRendererTest : public ::testing::Test {
protected:
    void SetUp() override {
        soundFont = FindSoundFont();
        ASSERT_FALSE(soundFont.empty()) << "scripts/install-deps.sh installs a sound font";
    }
    std::string soundFont;
    test::TempDir dir;
};

TEST_F(MidiRendererTest, RendersTheSongAsAWavFileOfItsLength) {
    // A note from 0.5 s to 1.5 s; the file is read in pieces that split samples.
    for (const auto& bytes :
         {test::MidiWithNote(0.5, 1.0), test::RmidAround(test::MidiWithNote(0.5, 1.0))}) {
        auto opened = MidiRenderer::Open(dir.Write("song.mid", bytes).string(), soundFont);
        ASSERT_TRUE(opened.renderer) << opened.error;
        MidiRenderer& renderer = *opened.renderer;
        const std::string wav = ReadAll(renderer, 10'007);
        ASSERT_EQ(wav.size(), renderer.Size());
        EXPECT_NEAR(renderer.LengthSeconds(), 1.5 + MidiRenderer::kTailSeconds, 0.01);

        EXPECT_EQ(wav.substr(0, 4), "RIFF");
        EXPECT_EQ(Little(wav, 4, 4), wav.size() - 8);
        EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
        EXPECT_EQ(Little(wav, 20, 2), 1u);
        EXPECT_EQ(Little(wav, 22, 2), 2u);
        EXPECT_EQ(Little(wav, 24, 4), static_cast<std::uint32_t>(kRate));
        EXPECT_EQ(Little(wav, 28, 4), static_cast<std::uint32_t>(kRate * 4));
        EXPECT_EQ(Little(wav, 34, 2), 16u);
        EXPECT_EQ(wav.substr(36, 4), "data");
        EXPECT_EQ(Little(wav, 40, 4), wav.size() - 44);

        EXPECT_LT(Peak(wav, 0.0, 0.45), 100) << "silence before the note";
        EXPECT_GT(Peak(wav, 0.6, 1.4), 1000) << "the note sounds";
        EXPECT_LT(Peak(wav, 3.3, 3.5), 100) << "and has faded at the end";
        char byte = 0;
        EXPECT_EQ(renderer.Read(&byte, 1), 0u) << "nothing past the end";
    }
}

TEST_F(MidiRendererTest, SeeksForwardAndBackToTheSoundOfThatTime) {
    auto opened = MidiRenderer::FromBytes(test::MidiWithNote(3.0, 1.0), soundFont);
    ASSERT_TRUE(opened.renderer) << opened.error;
    MidiRenderer& renderer = *opened.renderer;
    std::string header(44, '\0');
    ASSERT_EQ(renderer.Read(header.data(), header.size()), 44u);

    // Reads 0.4 s from a time on (the offset splits a sample); the loudest sample before
    // and after the note's start at 3 s. Far jumps restart the player at the new place,
    // short ones render through; before the note only a faint echo of earlier sound remains.
    auto peaksFrom = [&](double seconds) {
        const std::uint64_t offset = 44 + static_cast<std::uint64_t>(seconds * kRate) * 4 + 2;
        EXPECT_TRUE(renderer.Seek(offset));
        std::string wav = header + "xx";
        wav.resize(44 + 2 + static_cast<std::size_t>(0.4 * kRate) * 4);
        EXPECT_EQ(renderer.Read(wav.data() + 46, wav.size() - 46), wav.size() - 46);
        wav.erase(44, 4);
        const double start = 3.0 - seconds;
        return std::make_pair(Peak(wav, 0.0, std::min(start - 0.03, 0.4)),
                              Peak(wav, start + 0.05, 0.4));
    };
    for (const double from : {2.8, 1.0, 2.7, 2.9}) {
        const auto [before, during] = peaksFrom(from);
        EXPECT_LT(before, 250) << "from " << from;
        if (from > 2.5) {
            EXPECT_GT(during, 1000) << "from " << from;
        }
    }
    EXPECT_FALSE(renderer.Seek(renderer.Size() + 1));
}

TEST_F(MidiRendererTest, HostileOrBrokenFilesFailWithAReason) {
    const std::string good = test::MidiWithNote(0.1, 0.2);
    EXPECT_EQ(MidiRenderer::FromBytes(good, "").error.rfind("No MIDI sound font is installed", 0),
              0u);
    EXPECT_EQ(MidiRenderer::FromBytes(good.substr(0, good.size() - 4), soundFont).error,
              "The MIDI file is cut short.");
    EXPECT_EQ(MidiRenderer::FromBytes("garbage, not music", soundFont).error,
              "This is not a MIDI file.");
    std::string rmid = test::RmidAround(good);
    rmid[rmid.find("data") + 7] = '\x7F';
    EXPECT_EQ(MidiRenderer::FromBytes(rmid, soundFont).error,
              "The MIDI data of this RMID file runs past its end.");
    // Frame-based timing is valid MIDI that FluidSynth does not play: its reason is told.
    test::MidiTrack frames;
    frames.Event(0, {0x90, 60, 100}).Event(1000, {0x80, 60, 0});
    const std::string smpte =
        MidiRenderer::FromBytes(test::MidiFile(0, 0xE728, {frames.Chunk()}), soundFont).error;
    EXPECT_EQ(smpte.rfind("The MIDI file could not be played. (", 0), 0u) << smpte;
    const auto notAFont = dir.Write("font.sf2", good).string();
    EXPECT_EQ(MidiRenderer::FromBytes(good, notAFont).error.rfind("The MIDI sound font", 0), 0u);
    EXPECT_EQ(MidiRenderer::Open((dir / "missing.mid").string(), soundFont).error,
              "The MIDI file could not be opened.");

    const auto huge = dir.Write("huge.mid", good);
    std::filesystem::resize_file(huge, kMaxMidiFileBytes + 1);
    EXPECT_EQ(MidiRenderer::Open(huge.string(), soundFont).error,
              "The MIDI file is larger than 16 MB.");

    // A file that would play for years plays for the longest time allowed, to its end.
    test::MidiTrack endless;
    endless.Tempo(0, 0xFFFFFF).Event(0x0FFFFFFF, {0x90, 60, 1});
    auto opened = MidiRenderer::FromBytes(test::MidiFile(0, 1, {endless.Chunk()}), soundFont);
    ASSERT_TRUE(opened.renderer) << opened.error;
    EXPECT_DOUBLE_EQ(opened.renderer->LengthSeconds(), MidiRenderer::kMaxSeconds);
    ASSERT_TRUE(opened.renderer->Seek(opened.renderer->Size() - 6));
    EXPECT_EQ(ReadAll(*opened.renderer, 4).size(), 6u);
}

}  // namespace
}  // namespace quorvel
