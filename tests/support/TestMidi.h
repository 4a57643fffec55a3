#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace quorvel::test {

// Small MIDI files built byte by byte, so the tests need no sample files.
class MidiTrack {
public:
    MidiTrack& Tempo(std::uint32_t delta, std::uint32_t microsPerQuarter) {
        Delta(delta);
        m_bytes += {'\xFF', '\x51', '\x03'};
        Big(microsPerQuarter, 3);
        return *this;
    }
    MidiTrack& Event(std::uint32_t delta, std::initializer_list<int> bytes) {
        Delta(delta);
        for (const int b : bytes)
            m_bytes += static_cast<char>(b);
        return *this;
    }
    MidiTrack& Raw(std::initializer_list<int> bytes) {
        for (const int b : bytes)
            m_bytes += static_cast<char>(b);
        return *this;
    }
    // Ends the track; the chunk with its header.
    std::string Chunk(std::uint32_t delta = 0) const {
        MidiTrack copy = *this;
        copy.Event(delta, {0xFF, 0x2F, 0x00});
        std::string chunk = "MTrk";
        Append(chunk, static_cast<std::uint32_t>(copy.m_bytes.size()), 4);
        return chunk + copy.m_bytes;
    }

    static void Append(std::string& out, std::uint32_t value, int count) {
        for (int i = count - 1; i >= 0; --i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
    }

private:
    void Delta(std::uint32_t value) {
        std::string bytes(1, static_cast<char>(value & 0x7F));
        while ((value >>= 7) != 0)
            bytes.insert(bytes.begin(), static_cast<char>(0x80 | (value & 0x7F)));
        m_bytes += bytes;
    }
    void Big(std::uint32_t value, int count) { Append(m_bytes, value, count); }

    std::string m_bytes;
};

inline std::string MidiFile(int format, int division, const std::vector<std::string>& chunks) {
    std::string file = "MThd";
    MidiTrack::Append(file, 6, 4);
    MidiTrack::Append(file, static_cast<std::uint32_t>(format), 2);
    MidiTrack::Append(file, static_cast<std::uint32_t>(chunks.size()), 2);
    MidiTrack::Append(file, static_cast<std::uint32_t>(division), 2);
    for (const auto& chunk : chunks)
        file += chunk;
    return file;
}

// One piano note (middle C, loud) from onSeconds for lengthSeconds, at 120 beats a minute
// and 480 ticks a beat.
inline std::string MidiWithNote(double onSeconds, double lengthSeconds) {
    const auto on = static_cast<std::uint32_t>(onSeconds * 960);
    const auto length = static_cast<std::uint32_t>(lengthSeconds * 960);
    MidiTrack track;
    track.Event(0, {0xC0, 0}).Event(on, {0x90, 60, 120}).Event(length, {0x80, 60, 0});
    return MidiFile(0, 480, {track.Chunk()});
}

// The RIFF "RMID" wrapper of a MIDI file, with an odd-sized chunk before its data.
inline std::string RmidAround(const std::string& smf) {
    auto little = [](std::string& out, std::uint32_t value) {
        for (int i = 0; i < 4; ++i)
            out += static_cast<char>((value >> (8 * i)) & 0xFF);
    };
    std::string body = "RMID";
    body += "INFO";
    little(body, 3);
    body += std::string("abc") + '\0';
    body += "data";
    little(body, static_cast<std::uint32_t>(smf.size()));
    body += smf;
    std::string file = "RIFF";
    little(file, static_cast<std::uint32_t>(body.size()));
    return file + body;
}

}  // namespace quorvel::test
