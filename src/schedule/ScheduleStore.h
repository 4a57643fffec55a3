#pragma once

#include "schedule/ScheduleEntry.h"

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// Scheduled recordings and reminders in the user's settings: one value each in the section
// "Schedule", named by the entry's id, so one change writes one value.
inline constexpr std::string_view kScheduleSection = "Schedule";

struct LoadedSchedule {
    std::vector<ScheduleEntry> entries;
    // The highest id found, damaged entries included.
    std::uint64_t usedIds = 0;
    // One message per damaged entry; the entry stays in the settings untouched.
    std::vector<std::string> problems;
};

LoadedSchedule LoadSchedule(std::string_view appName);
bool SaveScheduleEntry(std::string_view appName, const ScheduleEntry& entry);
bool DeleteScheduleEntry(std::string_view appName, std::uint64_t id);

// "ConcurrentRecordings" in the section "Settings".
int LoadConcurrentLimit(std::string_view appName);

// How much earlier a recording starts and later it ends than its programme, and how long
// before its programme a reminder comes, in seconds; kept as whole minutes in the section
// "Settings" ("RecordMarginBefore", "RecordMarginAfter", "ReminderLead"). A kept value that
// is not a whole number of minutes from 0 to a day reads as its default.
struct ScheduleMargins {
    std::int64_t before = kDefaultMarginBefore;
    std::int64_t after = kDefaultMarginAfter;
    std::int64_t lead = kDefaultReminderLead;
};
ScheduleMargins LoadScheduleMargins(std::string_view appName);
bool SaveScheduleMargins(std::string_view appName, const ScheduleMargins& margins);

}  // namespace quorvel
