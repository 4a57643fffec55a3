#pragma once

#include "schedule/Schedule.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <cstdint>
#include <filesystem>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace quorvel {

class ScheduledRecording;

// Runs the plan: starts and ends scheduled recordings and tells reminders when their time
// comes, by wall time, and keeps every change in the user's settings. The program does not
// wake the machine or start itself: what falls into a time it did not run is missed.
class ScheduleRunner : public QObject {
    Q_OBJECT
public:
    // Seconds since 1970 UTC, as the wall clock shows them now.
    using Clock = std::function<std::int64_t()>;
    static std::int64_t WallClock();

    explicit ScheduleRunner(std::string appName, Clock clock = WallClock,
                            QObject* parent = nullptr);
    ~ScheduleRunner() override;

    // Reads the plan from the settings; what was missed while the program was closed is
    // marked so. Damaged entries are left out, each with a message in Problems().
    void Load();
    const std::vector<std::string>& Problems() const { return m_problems; }

    // Adds and keeps an entry; the problem says why one was refused.
    Schedule::Added Add(const ScheduleEntry& entry);
    // Plans a recording of every programme a series rule matches, as Schedule::ApplySeries.
    std::vector<Schedule::Added> ApplySeries(const std::vector<ProgrammeSlot>& programmes);
    // A running recording ends whole; a planned one goes; a finished one leaves the list (its
    // file stays).
    void Remove(std::uint64_t id);

    void SetFolders(std::filesystem::path videos, std::filesystem::path music);
    const Schedule& Plan() const { return m_schedule; }
    const std::string& AppName() const { return m_appName; }
    ScheduledRecording* Running(std::uint64_t id) const;

    // Looks at the clock now rather than at the next timer.
    void CheckNow();

Q_SIGNALS:
    // Any entry added, changed or removed.
    void Changed();
    void ReminderDue(const quorvel::ScheduleEntry& entry);
    void RecordingStarted(quint64 id, const QString& path);
    void RecordingEnded(quint64 id);

private:
    void Arm();
    void Start(const ScheduleEntry& entry);
    void Save(std::uint64_t id);
    void OnFinished(quint64 id, const QString& path);
    void OnFailed(quint64 id, const QString& path, const QString& reason);
    void Ended(std::uint64_t id);

    std::string m_appName;
    Clock m_clock;
    Schedule m_schedule;
    std::vector<std::string> m_problems;
    std::filesystem::path m_videos;
    std::filesystem::path m_music;
    std::map<std::uint64_t, std::unique_ptr<ScheduledRecording>> m_running;
    QTimer m_timer;
};

}  // namespace quorvel
