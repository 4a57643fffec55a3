#pragma once

#include "playback/SleepTimer.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <functional>

namespace quorvel {

// The player's sleep timer: looks at its clock once a second, tells the bar what is left,
// and says when playback should stop. The clock can be replaced (tests drive it by hand).
class PlayerSleepTimer : public QObject {
    Q_OBJECT
public:
    using Clock = SleepTimer::Clock;

    explicit PlayerSleepTimer(QObject* parent = nullptr);

    void SetClock(std::function<Clock::time_point()> clock) { m_clock = std::move(clock); }
    void StopAfter(int minutes);
    void StopAtEndOfFile();
    void Cancel();
    SleepTimer::Mode Mode() const { return m_timer.CurrentMode(); }
    // What the bar shows; empty while off.
    QString Status() const;

public Q_SLOTS:
    // Compares the clock with the deadline; the ticks call it.
    void Check();
    // What played came to its end.
    void OnFileEnded();

Q_SIGNALS:
    void StatusChanged(const QString& status);
    // Time to stop playback; the timer is off again.
    void Expired();

private:
    void Changed();
    void Expire();

    SleepTimer m_timer;
    QTimer m_tick;
    std::function<Clock::time_point()> m_clock = [] { return Clock::now(); };
    QString m_status;
};

}  // namespace quorvel
