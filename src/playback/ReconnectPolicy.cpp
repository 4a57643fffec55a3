#include "playback/ReconnectPolicy.h"

#include <algorithm>

namespace quorvel {

StreamEnd ClassifyStreamEnd(const StreamEndFacts& facts) {
    if (facts.network && !facts.lengthKnown)
        return StreamEnd::Dropped;
    return facts.error ? StreamEnd::Broken : StreamEnd::Finished;
}

ReconnectPolicy::ReconnectPolicy(int firstDelayMs) : m_firstDelayMs(std::max(0, firstDelayMs)) {}

std::optional<int> ReconnectPolicy::NextTry() {
    if (m_tries >= kMaxTries)
        return std::nullopt;
    return m_firstDelayMs << m_tries++;
}

}  // namespace quorvel
