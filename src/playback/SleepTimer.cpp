#include "playback/SleepTimer.h"

#include <algorithm>

namespace quorvel {

void SleepTimer::StopAfter(std::chrono::minutes wait, Clock::time_point now) {
    Set(Mode::AfterTime, now + std::max(wait, std::chrono::minutes(0)));
}

void SleepTimer::Set(Mode mode, Clock::time_point deadline) {
    m_mode = mode;
    m_deadline = deadline;
}

std::optional<SleepTimer::Clock::duration> SleepTimer::Remaining(Clock::time_point now) const {
    if (m_mode != Mode::AfterTime)
        return std::nullopt;
    return std::max(m_deadline - now, Clock::duration::zero());
}

bool SleepTimer::IsDue(Clock::time_point now) const {
    return m_mode == Mode::AfterTime && now >= m_deadline;
}

}  // namespace quorvel
