#pragma once

#include "schedule/ScheduleEntry.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace quorvel {

inline constexpr int kDefaultConcurrentRecordings = 2;
inline constexpr int kMaxConcurrentRecordings = 16;

// A programme of the guide, for a series rule to match.
struct ProgrammeSlot {
    std::string channel;
    std::string title;
    std::int64_t start = 0;
    std::int64_t stop = 0;
};

// The plan of recordings and reminders. Wall time is passed in by every call that needs it,
// so a clock set by hand counts at the next check, and tests choose the time.
class Schedule {
public:
    explicit Schedule(int concurrentLimit = kDefaultConcurrentRecordings);

    struct Added {
        std::uint64_t id = 0;  // 0 when refused
        std::string problem;
    };
    // Refused when the entry is not valid, lies in the past, or when a recording would make
    // more than the limit run at once (the problem then names the ones it clashes with).
    Added Add(ScheduleEntry entry, std::int64_t now);
    // Entries read back from the settings, ids kept. Entries the program was running when it
    // ended are failed; whatever should have started while it was not running is missed.
    // New ids start past `usedIds` (ids of entries left out as damaged stay taken).
    void Restore(std::vector<ScheduleEntry> entries, std::int64_t now, std::uint64_t usedIds = 0);
    bool Remove(std::uint64_t id);

    // What a check at `now` finds to do; states of missed entries are already set.
    struct Due {
        std::vector<std::uint64_t> startRecording;
        std::vector<std::uint64_t> stopRecording;
        std::vector<std::uint64_t> remind;
        std::vector<std::uint64_t> changed;  // entries whose state this check set
    };
    Due Check(std::int64_t now);
    // When a check after `now` next has something to do; nothing when the plan holds no
    // further work. What was due at `now` itself was handed out by Check(now): a recording
    // told to stop is waited for, not told again and again.
    std::optional<std::int64_t> NextEvent(std::int64_t now) const;

    void MarkRunning(std::uint64_t id, std::string file);
    void MarkFinished(std::uint64_t id, std::string file = {});
    void MarkFailed(std::uint64_t id, std::string reason);

    // Recordings for every programme that a series rule matches and that is not yet planned;
    // returns the ids added and, for the ones refused, why.
    std::vector<Added> ApplySeries(const std::vector<ProgrammeSlot>& programmes, std::int64_t now);

    const std::vector<ScheduleEntry>& Entries() const { return m_entries; }
    const ScheduleEntry* Find(std::uint64_t id) const;
    int ConcurrentLimit() const { return m_limit; }

private:
    ScheduleEntry* Entry(std::uint64_t id);
    std::string ClashProblem(const ScheduleEntry& entry) const;

    int m_limit;
    std::uint64_t m_nextId = 1;
    std::vector<ScheduleEntry> m_entries;
};

// The limit as the settings give it: a whole number from 1 to kMaxConcurrentRecordings,
// anything else the default.
int ParseConcurrentLimit(std::string_view text);

}  // namespace quorvel
