#include "midi/MidiFile.h"

#include "files/TextCase.h"

#include <algorithm>

namespace quorvel {
namespace {

constexpr std::uint32_t kDefaultMicrosPerQuarter = 500'000;

std::uint32_t BigEndian(std::string_view bytes, std::size_t at, int count) {
    std::uint32_t value = 0;
    for (int i = 0; i < count; ++i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

std::uint32_t LittleEndian32(std::string_view bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (int i = 3; i >= 0; --i)
        value = (value << 8) | static_cast<unsigned char>(bytes[at + i]);
    return value;
}

MidiPayload PayloadError(std::string error) {
    MidiPayload payload;
    payload.error = std::move(error);
    return payload;
}

struct TempoEvent {
    std::uint64_t tick = 0;
    std::uint32_t microsPerQuarter = 0;
};

// Walks one track chunk's events; false with the reason when it is malformed.
class TrackReader {
public:
    TrackReader(std::string_view track, std::size_t& events, std::vector<TempoEvent>& tempos)
        : m_track(track), m_events(events), m_tempos(tempos) {}

    bool Read(std::uint64_t& endTick, std::string& error) {
        std::uint64_t tick = 0;
        unsigned running = 0;
        while (m_at < m_track.size()) {
            std::uint32_t delta = 0;
            if (!Number(delta))
                return Fail(error, "A MIDI track holds a malformed time.");
            tick += delta;
            if (++m_events > kMaxMidiEvents)
                return Fail(error, "The MIDI file holds too many events.");
            if (m_at >= m_track.size())
                return Fail(error, "A MIDI track is cut short.");
            unsigned status = static_cast<unsigned char>(m_track[m_at]);
            if (status < 0x80) {
                if (running == 0)
                    return Fail(error, "A MIDI track holds data without a status.");
                status = running;
            } else {
                ++m_at;
            }
            if (status < 0xF0) {
                running = status;
                const std::size_t size = (status & 0xF0) == 0xC0 || (status & 0xF0) == 0xD0 ? 1 : 2;
                if (!Skip(size))
                    return Fail(error, "A MIDI track is cut short.");
                continue;
            }
            // System exclusive and meta events end running status.
            running = 0;
            if (status == 0xF0 || status == 0xF7) {
                std::uint32_t size = 0;
                if (!Number(size) || !Skip(size))
                    return Fail(error, "A MIDI track is cut short.");
                continue;
            }
            if (status != 0xFF)
                return Fail(error, "A MIDI track holds an event no file may hold.");
            if (m_at >= m_track.size())
                return Fail(error, "A MIDI track is cut short.");
            const unsigned type = static_cast<unsigned char>(m_track[m_at++]);
            std::uint32_t size = 0;
            if (!Number(size))
                return Fail(error, "A MIDI track is cut short.");
            const std::size_t start = m_at;
            if (!Skip(size))
                return Fail(error, "A MIDI track is cut short.");
            if (type == 0x51 && size >= 3) {
                const std::uint32_t micros = BigEndian(m_track, start, 3);
                // A tempo of zero would stop time; it is passed over.
                if (micros > 0)
                    m_tempos.push_back({tick, micros});
            } else if (type == 0x2F) {
                break;
            }
        }
        endTick = tick;
        return true;
    }

private:
    static bool Fail(std::string& error, const char* reason) {
        error = reason;
        return false;
    }

    // A variable-length number: at most four bytes of seven bits.
    bool Number(std::uint32_t& value) {
        value = 0;
        for (int i = 0; i < 4; ++i) {
            if (m_at >= m_track.size())
                return false;
            const auto byte = static_cast<unsigned char>(m_track[m_at++]);
            value = (value << 7) | (byte & 0x7F);
            if ((byte & 0x80) == 0)
                return true;
        }
        return false;
    }

    bool Skip(std::size_t size) {
        if (size > m_track.size() - m_at)
            return false;
        m_at += size;
        return true;
    }

    std::string_view m_track;
    std::size_t m_at = 0;
    std::size_t& m_events;
    std::vector<TempoEvent>& m_tempos;
};

}  // namespace

bool IsMidiFileName(std::string_view path) {
    const std::size_t dot = path.rfind('.');
    if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos)
        return false;
    const std::string extension = ToLowerAscii(path.substr(dot + 1));
    return extension == "mid" || extension == "midi" || extension == "rmi";
}

MidiPayload FindMidiPayload(std::string_view bytes) {
    if (bytes.size() > kMaxMidiFileBytes)
        return PayloadError("The MIDI file is larger than 16 MB.");
    if (bytes.substr(0, 4) == "MThd")
        return {0, bytes.size(), {}};
    if (bytes.substr(0, 4) != "RIFF")
        return PayloadError("This is not a MIDI file.");
    if (bytes.size() < 12 || bytes.substr(8, 4) != "RMID")
        return PayloadError("This RIFF file holds no MIDI music.");
    // The RIFF size may be off in files cut short or padded: the file's own end bounds it.
    const std::size_t end =
        std::min<std::size_t>(bytes.size(), std::uint64_t{LittleEndian32(bytes, 4)} + 8);
    std::size_t at = 12;
    while (end >= 8 && at <= end - 8) {
        const std::string_view id = bytes.substr(at, 4);
        const std::uint64_t size = LittleEndian32(bytes, at + 4);
        const std::size_t body = at + 8;
        if (size > end - body) {
            if (id == "data")
                return PayloadError("The MIDI data of this RMID file runs past its end.");
            break;
        }
        if (id == "data") {
            if (size < 4 || bytes.substr(body, 4) != "MThd")
                return PayloadError("The MIDI data of this RMID file is not a MIDI file.");
            return {body, static_cast<std::size_t>(size), {}};
        }
        // Chunks of odd size are followed by a pad byte.
        at = body + static_cast<std::size_t>(size) + (size & 1);
    }
    return PayloadError("This RMID file holds no MIDI data.");
}

double MidiSong::SecondsAt(std::uint64_t tick) const {
    if (m_segments.empty())
        return 0.0;
    auto next = std::upper_bound(
        m_segments.begin(), m_segments.end(), tick,
        [](std::uint64_t value, const Segment& segment) { return value < segment.startTick; });
    const Segment& segment = *std::prev(next);
    return segment.startSeconds +
           static_cast<double>(tick - segment.startTick) * segment.secondsPerTick;
}

std::uint64_t MidiSong::TickAt(double seconds) const {
    if (m_segments.empty() || !(seconds > 0.0))
        return 0;
    auto next = std::upper_bound(
        m_segments.begin(), m_segments.end(), seconds,
        [](double value, const Segment& segment) { return value < segment.startSeconds; });
    const Segment& segment = *std::prev(next);
    const double ticks = (seconds - segment.startSeconds) / segment.secondsPerTick;
    const std::uint64_t tick =
        segment.startTick + static_cast<std::uint64_t>(std::min(ticks, 1e18));
    return std::min(tick, lastTick);
}

MidiSong ReadMidiSong(std::string_view smf) {
    MidiSong song;
    if (smf.size() < 14 || smf.substr(0, 4) != "MThd") {
        song.error = "This is not a MIDI file.";
        return song;
    }
    const std::uint32_t headerSize = BigEndian(smf, 4, 4);
    if (headerSize < 6 || headerSize > smf.size() - 8) {
        song.error = "The MIDI file's header is malformed.";
        return song;
    }
    song.format = static_cast<int>(BigEndian(smf, 8, 2));
    const auto declaredTracks = static_cast<int>(BigEndian(smf, 10, 2));
    const std::uint32_t division = BigEndian(smf, 12, 2);
    if (song.format > 2 || declaredTracks == 0) {
        song.error = "The MIDI file's header is malformed.";
        return song;
    }
    double secondsPerTick = 0.0;
    bool smpte = false;
    if (division & 0x8000) {
        // Frames per second (as a negative byte) and ticks per frame: the tempo does not count.
        const int fps = 256 - static_cast<int>(division >> 8);
        const int perFrame = static_cast<int>(division & 0xFF);
        if ((fps != 24 && fps != 25 && fps != 29 && fps != 30) || perFrame == 0) {
            song.error = "The MIDI file's time division is malformed.";
            return song;
        }
        secondsPerTick = 1.0 / ((fps == 29 ? 29.97 : fps) * perFrame);
        smpte = true;
    } else if (division == 0) {
        song.error = "The MIDI file's time division is malformed.";
        return song;
    }

    std::vector<TempoEvent> tempos;
    std::size_t at = 8 + headerSize;
    while (song.tracks < declaredTracks) {
        if (smf.size() - at < 8) {
            song.error = "The MIDI file is cut short.";
            return song;
        }
        const std::uint32_t size = BigEndian(smf, at + 4, 4);
        const std::size_t body = at + 8;
        if (size > smf.size() - body) {
            song.error = "The MIDI file is cut short.";
            return song;
        }
        // Chunks of other kinds are passed over.
        if (smf.substr(at, 4) == "MTrk") {
            std::uint64_t endTick = 0;
            TrackReader reader(smf.substr(body, size), song.events, tempos);
            if (!reader.Read(endTick, song.error))
                return song;
            song.lastTick = std::max(song.lastTick, endTick);
            ++song.tracks;
        }
        at = body + size;
    }

    if (smpte) {
        song.m_segments.push_back({0, 0.0, secondsPerTick});
        return song;
    }
    // Tempo changes apply to every track from their tick on, in the order they were met.
    std::stable_sort(tempos.begin(), tempos.end(),
                     [](const TempoEvent& a, const TempoEvent& b) { return a.tick < b.tick; });
    const double quarter = static_cast<double>(division);
    song.m_segments.push_back({0, 0.0, kDefaultMicrosPerQuarter / 1e6 / quarter});
    for (const TempoEvent& tempo : tempos) {
        MidiSong::Segment& last = song.m_segments.back();
        const double perTick = tempo.microsPerQuarter / 1e6 / quarter;
        if (tempo.tick == last.startTick) {
            last.secondsPerTick = perTick;
            continue;
        }
        const double start = last.startSeconds +
                             static_cast<double>(tempo.tick - last.startTick) * last.secondsPerTick;
        song.m_segments.push_back({tempo.tick, start, perTick});
    }
    return song;
}

}  // namespace quorvel
