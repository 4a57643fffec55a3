#include "shell/player/PlayerSleepTimer.h"

#include "shell/player/PlayerControlBar.h"

#include <chrono>

namespace quorvel {

PlayerSleepTimer::PlayerSleepTimer(QObject* parent) : QObject(parent) {
    m_tick.setInterval(1000);
    connect(&m_tick, &QTimer::timeout, this, &PlayerSleepTimer::Check);
}

void PlayerSleepTimer::StopAfter(int minutes) {
    m_timer.StopAfter(std::chrono::minutes(minutes), m_clock());
    m_tick.start();
    Changed();
}

void PlayerSleepTimer::StopAtEndOfFile() {
    m_timer.StopAtEndOfFile();
    m_tick.stop();
    Changed();
}

void PlayerSleepTimer::Cancel() {
    m_timer.Cancel();
    m_tick.stop();
    Changed();
}

QString PlayerSleepTimer::Status() const {
    switch (m_timer.CurrentMode()) {
        case SleepTimer::Mode::Off:
            return {};
        case SleepTimer::Mode::EndOfFile:
            return tr("Sleep at end of file");
        case SleepTimer::Mode::AfterTime:
            break;
    }
    const auto left = m_timer.Remaining(m_clock()).value_or(Clock::duration::zero());
    // Rounded up: the last second shows "0:01", never "0:00" before the stop.
    const auto seconds = std::chrono::ceil<std::chrono::seconds>(left).count();
    return tr("Sleep in %1").arg(PlayerControlBar::FormatTime(double(seconds)));
}

void PlayerSleepTimer::Check() {
    if (m_timer.IsDue(m_clock())) {
        Expire();
        return;
    }
    Changed();
}

void PlayerSleepTimer::OnFileEnded() {
    if (m_timer.CurrentMode() == SleepTimer::Mode::EndOfFile)
        Expire();
}

void PlayerSleepTimer::Expire() {
    Cancel();
    Q_EMIT Expired();
}

void PlayerSleepTimer::Changed() {
    const QString status = Status();
    if (status == m_status)
        return;
    m_status = status;
    Q_EMIT StatusChanged(status);
}

}  // namespace quorvel
