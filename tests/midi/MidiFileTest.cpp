#include "midi/MidiFile.h"

#include "TestMidi.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

using test::MidiFile;
using test::MidiTrack;

TEST(MidiFileTest, TempoChangesOfAnyTrackTimeEveryTrack) {
    // Track 0 holds the tempo map: 0.5 s a beat, then 1 s a beat from the second beat.
    MidiTrack tempo;
    tempo.Tempo(0, 500'000).Tempo(480, 1'000'000);
    MidiTrack notes;
    notes.Event(0, {0x90, 60, 100}).Event(1440, {0x80, 60, 0});
    const MidiSong song = ReadMidiSong(MidiFile(1, 480, {tempo.Chunk(), notes.Chunk()}));
    ASSERT_EQ(song.error, "");
    EXPECT_EQ(song.tracks, 2);
    EXPECT_EQ(song.lastTick, 1440u);
    EXPECT_DOUBLE_EQ(song.LengthSeconds(), 2.5);
    EXPECT_DOUBLE_EQ(song.SecondsAt(480), 0.5);
    EXPECT_EQ(song.TickAt(1.5), 960u);
    EXPECT_EQ(song.TickAt(100.0), 1440u) << "past the end is the end";

    // Running status, system exclusive and an unknown chunk between the tracks.
    MidiTrack running;
    running.Event(0, {0x90, 60, 100}).Event(96, {62, 100}).Event(0, {0xF0, 0x02, 0x7E, 0xF7});
    running.Event(96, {0x80, 60, 0});
    std::string alien = "XYZW";
    MidiTrack::Append(alien, 2, 4);
    alien += "zz";
    std::string withAlien = MidiFile(0, 96, {running.Chunk()});
    withAlien.insert(14, alien);
    const MidiSong second = ReadMidiSong(withAlien);
    ASSERT_EQ(second.error, "");
    EXPECT_DOUBLE_EQ(second.LengthSeconds(), 1.0);
}

TEST(MidiFileTest, MalformedFilesAreRefusedWithAReason) {
    const std::string good = test::MidiWithNote(0.1, 0.5);
    ASSERT_EQ(ReadMidiSong(good).error, "");
    EXPECT_EQ(ReadMidiSong(good.substr(0, good.size() - 3)).error, "The MIDI file is cut short.");
    EXPECT_EQ(ReadMidiSong(good.substr(0, 20)).error, "The MIDI file is cut short.");
    EXPECT_EQ(ReadMidiSong("MThd garbage").error, "This is not a MIDI file.");
    EXPECT_NE(ReadMidiSong(MidiFile(0, 0, {MidiTrack().Chunk()})).error, "") << "no division";
    EXPECT_NE(ReadMidiSong(MidiFile(0, 480, {})).error, "") << "no tracks";

    MidiTrack noStatus;
    noStatus.Event(0, {60, 100});
    EXPECT_EQ(ReadMidiSong(MidiFile(0, 480, {noStatus.Chunk()})).error,
              "A MIDI track holds data without a status.");
    MidiTrack longDelta;
    longDelta.Raw({0x81, 0x81, 0x81, 0x81, 0x01, 0x90, 60, 1});
    EXPECT_EQ(ReadMidiSong(MidiFile(0, 480, {longDelta.Chunk()})).error,
              "A MIDI track holds a malformed time.");
    MidiTrack sysexPastEnd;
    sysexPastEnd.Event(0, {0xF0, 0x7F});
    std::string chunk = sysexPastEnd.Chunk();
    EXPECT_EQ(ReadMidiSong(MidiFile(0, 480, {chunk})).error, "A MIDI track is cut short.");

    // Events past the cap: a file cannot make the player allocate without bound.
    MidiTrack flood;
    flood.Event(0, {0x90, 60, 1});
    for (std::size_t i = 0; i < kMaxMidiEvents; ++i)
        flood.Event(0, {60, 1});
    EXPECT_EQ(ReadMidiSong(MidiFile(0, 480, {flood.Chunk()})).error,
              "The MIDI file holds too many events.");
}

TEST(MidiFileTest, MidiFilesAreKnownByTheirExtensionInAnyCase) {
    for (const char* name : {"/m/a.mid", "/m/B.MIDI", "/m/c.Rmi", "/m/x.y.mid"})
        EXPECT_TRUE(IsMidiFileName(name)) << name;
    for (const char* name : {"/m/a.mp3", "/m/mid", "/m.mid/song", "/m/a.mid.wav", "/m/a.midx"})
        EXPECT_FALSE(IsMidiFileName(name)) << name;
}

TEST(MidiFileTest, RmidWrapperIsUnwrappedWithinItsBounds) {
    const std::string smf = test::MidiWithNote(0.1, 0.5);
    const std::string rmid = test::RmidAround(smf);
    const MidiPayload payload = FindMidiPayload(rmid);
    ASSERT_EQ(payload.error, "");
    EXPECT_EQ(rmid.substr(payload.offset, payload.size), smf);

    const MidiPayload plain = FindMidiPayload(smf);
    EXPECT_EQ(plain.offset, 0u);
    EXPECT_EQ(plain.size, smf.size());

    // A data chunk claiming more than the file holds.
    std::string oversized = rmid;
    const std::size_t sizeAt = payload.offset - 4;
    oversized[sizeAt + 3] = '\x7F';
    EXPECT_EQ(FindMidiPayload(oversized).error,
              "The MIDI data of this RMID file runs past its end.");
    EXPECT_EQ(FindMidiPayload(rmid.substr(0, payload.offset + 10)).error,
              "The MIDI data of this RMID file runs past its end.");
    // A data chunk too short to hold the MIDI header that follows it.
    std::string tiny = rmid;
    tiny[sizeAt] = '\x02';
    tiny[sizeAt + 1] = '\0';
    EXPECT_EQ(FindMidiPayload(tiny).error, "The MIDI data of this RMID file is not a MIDI file.");
    EXPECT_EQ(FindMidiPayload(rmid.substr(0, payload.offset - 8)).error,
              "This RMID file holds no MIDI data.");
    EXPECT_EQ(FindMidiPayload(std::string("RIFF\x04\0\0\0WAVEdata", 16)).error,
              "This RIFF file holds no MIDI music.");
    EXPECT_EQ(FindMidiPayload("ID3 not midi").error, "This is not a MIDI file.");
}

}  // namespace
}  // namespace quorvel
