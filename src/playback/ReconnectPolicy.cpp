#include "playback/ReconnectPolicy.h"

#include <algorithm>
#include <cmath>

namespace quorvel {

StreamEnd ClassifyStreamEnd(const StreamEndFacts& facts) {
    if (facts.network && !facts.lengthKnown)
        return StreamEnd::Dropped;
    const bool cut = facts.network && facts.lengthKnown && facts.endedShort;
    return facts.error || cut ? StreamEnd::Broken : StreamEnd::Finished;
}

void ShortEndWatch::Read(std::string_view prefix, std::string_view text) {
    if (prefix != "ffmpeg")
        return;
    if (text.find("ends prematurely") != std::string_view::npos ||
        text.find("Failed to reconnect at") != std::string_view::npos)
        m_shortEnd = text.substr(0, 500);
    else if (text.find("Will reconnect at") != std::string_view::npos)
        m_shortEnd.clear();
}

ReconnectPolicy::ReconnectPolicy(int firstDelayMs) : m_firstDelayMs(std::max(0, firstDelayMs)) {}

std::optional<int> ReconnectPolicy::NextTry() {
    if (m_tries >= kMaxTries)
        return std::nullopt;
    return m_firstDelayMs << m_tries++;
}

void ReconnectPolicy::Played(double seconds) {
    if (seconds >= kSteadySeconds)
        m_tries = 0;
}

void ReconnectPolicy::Forget() {
    m_tries = 0;
    m_lastEnd.reset();
}

bool ReconnectPolicy::EndsWhereItEndedBefore(double playedSeconds) {
    // The engine reports the position a few times a second; a live stream cut twice within
    // this of the same place is no more than an unlucky coincidence.
    constexpr double kSamePlace = 0.5;
    constexpr double kShortestFile = 1.0;
    const bool same = m_lastEnd && playedSeconds >= kShortestFile &&
                      std::abs(playedSeconds - *m_lastEnd) <= kSamePlace;
    m_lastEnd = playedSeconds;
    return same;
}

}  // namespace quorvel
