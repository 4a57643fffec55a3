#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

// What the player knows of a stream that stopped while it played.
struct StreamEndFacts {
    // Opened from the network, not from a local path.
    bool network = false;
    // The engine gave up on it with an error rather than at the end of its data.
    bool error = false;
    // The server told its size and the engine its duration: a file with an end of its own.
    // The engine guesses a duration for endless MP3 radio too, from the bytes so far, so the
    // duration alone tells nothing.
    bool lengthKnown = false;
    // The server stopped sending before the size it told, and no resume made up for it.
    // The engine then ends the file as if its data were all there.
    bool endedShort = false;
};

enum class StreamEnd {
    // Reached its end: nothing more to do.
    Finished,
    // A stream without an end lost its connection or stopped sending: worth reopening.
    Dropped,
    // A file failed half-way: reopening would only start it over, so it is reported.
    Broken,
};

// A cut transfer of a file of known size is not a drop: the network layer resumes those
// by itself at the byte where they broke off, and reopening would start them over. One it
// could not resume is broken.
StreamEnd ClassifyStreamEnd(const StreamEndFacts& facts);

// Follows what the network layer logs of a transfer of known size: it says so each time the
// server stops short of the size it told, and again each time it tries to resume there. A
// short end that no resume follows is where the data really ended.
class ShortEndWatch {
public:
    void Read(std::string_view prefix, std::string_view text);
    bool EndedShort() const { return !m_shortEnd.empty(); }
    // The network layer's own words on it.
    const std::string& What() const { return m_shortEnd; }
    void Reset() { m_shortEnd.clear(); }

private:
    std::string m_shortEnd;
};

// The reopen tries for a dropped stream: at most kMaxTries in a row, each waiting twice as
// long as the one before. Only playback that held for kSteadySeconds starts the count
// afresh: a stream that opens and drops again at once (a server that closes on every
// listener, a stream the engine cannot keep playing) is not asked again and again.
class ReconnectPolicy {
public:
    static constexpr int kMaxTries = 3;
    static constexpr double kSteadySeconds = 30.0;

    explicit ReconnectPolicy(int firstDelayMs = 1000);

    // The stream dropped or a try failed: how long to wait before the next try, or nothing
    // when the tries are used up.
    std::optional<int> NextTry();
    // The stream played this long since it last began to play, before it dropped.
    void Played(double seconds);
    // The user chose something else: nothing of the last address counts any more.
    void Forget();
    // Tries started since the last reset.
    int Tries() const { return m_tries; }

    // A file sent without its size looks like a live stream when it ends. Opened again, it
    // plays from the start and runs out at the same place, which a live stream practically
    // never does: the second such end tells it was a file. Only ends at the end of the
    // data count; `playedSeconds` is how far that play got.
    bool EndsWhereItEndedBefore(double playedSeconds);

private:
    int m_firstDelayMs;
    int m_tries = 0;
    std::optional<double> m_lastEnd;
};

}  // namespace quorvel
