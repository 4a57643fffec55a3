#pragma once

#include <array>
#include <chrono>
#include <optional>

namespace quorvel {

// When playback should stop by itself: after a while, or when what plays now comes to its
// end. A new choice replaces the old one. The time is handed in, so the owner picks the clock.
class SleepTimer {
public:
    using Clock = std::chrono::steady_clock;
    enum class Mode { Off, AfterTime, EndOfFile };

    // The lengths offered to the user.
    static constexpr std::array<int, 4> kMinuteChoices{15, 30, 60, 90};

    void StopAfter(std::chrono::minutes wait, Clock::time_point now);
    void StopAtEndOfFile() { Set(Mode::EndOfFile, {}); }
    void Cancel() { Set(Mode::Off, {}); }

    Mode CurrentMode() const { return m_mode; }
    // Time left for a timed stop, never below zero; nothing for the other modes.
    std::optional<Clock::duration> Remaining(Clock::time_point now) const;
    bool IsDue(Clock::time_point now) const;

private:
    void Set(Mode mode, Clock::time_point deadline);

    Mode m_mode = Mode::Off;
    Clock::time_point m_deadline{};
};

}  // namespace quorvel
