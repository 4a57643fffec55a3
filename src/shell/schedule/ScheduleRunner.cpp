#include "shell/schedule/ScheduleRunner.h"

#include "schedule/ScheduleStore.h"
#include "shell/schedule/ScheduledRecording.h"

#include <algorithm>
#include <chrono>

namespace quorvel {
namespace {

// The timer runs on a steady clock; a wall clock set by hand is seen within this.
constexpr std::int64_t kLongestWaitMs = 30 * 1000;

}  // namespace

std::int64_t ScheduleRunner::WallClock() {
    return std::chrono::duration_cast<std::chrono::seconds>(
               std::chrono::system_clock::now().time_since_epoch())
        .count();
}

ScheduleRunner::ScheduleRunner(std::string appName, Clock clock, QObject* parent)
    : QObject(parent),
      m_appName(std::move(appName)),
      m_clock(std::move(clock)),
      m_schedule(LoadConcurrentLimit(m_appName)) {
    m_timer.setSingleShot(true);
    connect(&m_timer, &QTimer::timeout, this, &ScheduleRunner::CheckNow);
}

ScheduleRunner::~ScheduleRunner() {
    // Recordings end whole with the program; the next start marks them failed, as cut short.
    m_running.clear();
}

void ScheduleRunner::Load() {
    LoadedSchedule loaded = LoadSchedule(m_appName);
    m_problems = std::move(loaded.problems);
    const std::vector<ScheduleEntry> before = loaded.entries;
    m_schedule.Restore(std::move(loaded.entries), m_clock(), loaded.usedIds);
    for (std::size_t i = 0; i < before.size(); ++i) {
        if (!(before[i] == m_schedule.Entries()[i]))
            Save(before[i].id);
    }
    Q_EMIT Changed();
    CheckNow();
}

Schedule::Added ScheduleRunner::Add(const ScheduleEntry& entry) {
    Schedule::Added added = m_schedule.Add(entry, m_clock());
    if (added.id != 0) {
        Save(added.id);
        Q_EMIT Changed();
        CheckNow();
    }
    return added;
}

std::vector<Schedule::Added> ScheduleRunner::ApplySeries(
    const std::vector<ProgrammeSlot>& programmes) {
    std::vector<Schedule::Added> results = m_schedule.ApplySeries(programmes, m_clock());
    bool added = false;
    for (const Schedule::Added& one : results) {
        if (one.id != 0) {
            Save(one.id);
            added = true;
        }
    }
    if (added) {
        Q_EMIT Changed();
        CheckNow();
    }
    return results;
}

void ScheduleRunner::Remove(std::uint64_t id) {
    if (const auto it = m_running.find(id); it != m_running.end()) {
        it->second->Stop();
        return;
    }
    if (m_schedule.Remove(id)) {
        DeleteScheduleEntry(m_appName, id);
        Q_EMIT Changed();
        Arm();
    }
}

void ScheduleRunner::SetFolders(std::filesystem::path videos, std::filesystem::path music) {
    m_videos = std::move(videos);
    m_music = std::move(music);
}

ScheduledRecording* ScheduleRunner::Running(std::uint64_t id) const {
    const auto it = m_running.find(id);
    return it == m_running.end() ? nullptr : it->second.get();
}

void ScheduleRunner::CheckNow() {
    const Schedule::Due due = m_schedule.Check(m_clock());
    for (const std::uint64_t id : due.changed)
        Save(id);
    for (const std::uint64_t id : due.startRecording) {
        if (const ScheduleEntry* entry = m_schedule.Find(id))
            Start(*entry);
    }
    for (const std::uint64_t id : due.stopRecording) {
        if (ScheduledRecording* recording = Running(id))
            recording->Stop();
    }
    for (const std::uint64_t id : due.remind) {
        m_schedule.MarkFinished(id);
        Save(id);
        if (const ScheduleEntry* entry = m_schedule.Find(id))
            Q_EMIT ReminderDue(*entry);
    }
    if (!due.changed.empty() || !due.remind.empty())
        Q_EMIT Changed();
    Arm();
}

void ScheduleRunner::Arm() {
    const std::int64_t now = m_clock();
    const auto next = m_schedule.NextEvent(now);
    if (!next) {
        m_timer.stop();
        return;
    }
    const std::int64_t waitMs = std::clamp<std::int64_t>((*next - now) * 1000, 0, kLongestWaitMs);
    m_timer.start(static_cast<int>(waitMs));
}

void ScheduleRunner::Start(const ScheduleEntry& entry) {
    if (m_running.count(entry.id))
        return;
    auto recording = std::make_unique<ScheduledRecording>(entry);
    recording->SetFolders(m_videos, m_music);
    connect(recording.get(), &ScheduledRecording::Started, this,
            [this](quint64 id, const QString& path) {
                m_schedule.MarkRunning(id, path.toStdString());
                Save(id);
                Q_EMIT Changed();
                Q_EMIT RecordingStarted(id, path);
            });
    connect(recording.get(), &ScheduledRecording::Finished, this, &ScheduleRunner::OnFinished);
    connect(recording.get(), &ScheduledRecording::Failed, this, &ScheduleRunner::OnFailed);
    // Running from now on, so the next check does not start it again; the file comes later.
    m_schedule.MarkRunning(entry.id, {});
    Save(entry.id);
    ScheduledRecording* started = recording.get();
    m_running.emplace(entry.id, std::move(recording));
    started->Start();
}

void ScheduleRunner::OnFinished(quint64 id, const QString& path) {
    m_schedule.MarkFinished(id, path.toStdString());
    Ended(id);
}

void ScheduleRunner::OnFailed(quint64 id, const QString&, const QString& reason) {
    // The file, when one was kept, is the one the start named.
    m_schedule.MarkFailed(id, reason.toStdString());
    Ended(id);
}

void ScheduleRunner::Ended(std::uint64_t id) {
    Save(id);
    // Not deleted from within its own signal.
    if (const auto it = m_running.find(id); it != m_running.end()) {
        it->second.release()->deleteLater();
        m_running.erase(it);
    }
    Q_EMIT Changed();
    Q_EMIT RecordingEnded(id);
    Arm();
}

void ScheduleRunner::Save(std::uint64_t id) {
    if (const ScheduleEntry* entry = m_schedule.Find(id))
        SaveScheduleEntry(m_appName, *entry);
}

}  // namespace quorvel
