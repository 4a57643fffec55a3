#include "schedule/ScheduleStore.h"

#include "schedule/Schedule.h"
#include "settings/SettingsStore.h"

#include <charconv>

namespace quorvel {
namespace {

std::optional<std::uint64_t> IdOf(std::string_view name) {
    std::uint64_t id = 0;
    const char* end = name.data() + name.size();
    const auto result = std::from_chars(name.data(), end, id);
    if (name.empty() || result.ec != std::errc() || result.ptr != end || id == 0)
        return std::nullopt;
    return id;
}

}  // namespace

LoadedSchedule LoadSchedule(std::string_view appName) {
    LoadedSchedule loaded;
    for (auto& [name, text] : GetAllSettings(appName, kScheduleSection)) {
        const auto id = IdOf(name);
        if (id)
            loaded.usedIds = std::max(loaded.usedIds, *id);
        auto entry = id ? DecodeEntry(text) : std::nullopt;
        if (!entry) {
            loaded.problems.push_back("The scheduled recording or reminder \"" + name +
                                      "\" in the settings is damaged and was left out.");
            continue;
        }
        entry->id = *id;
        loaded.entries.push_back(std::move(*entry));
    }
    return loaded;
}

bool SaveScheduleEntry(std::string_view appName, const ScheduleEntry& entry) {
    return SaveSetting(appName, kScheduleSection, std::to_string(entry.id), EncodeEntry(entry));
}

bool DeleteScheduleEntry(std::string_view appName, std::uint64_t id) {
    return DeleteSetting(appName, kScheduleSection, std::to_string(id));
}

namespace {

std::int64_t MarginSetting(std::string_view appName, std::string_view key, std::int64_t fallback) {
    const std::string text = GetSetting(appName, "Settings", key, "");
    std::int64_t minutes = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, minutes);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || minutes < 0 ||
        minutes > kMaxMargin / 60)
        return fallback;
    return minutes * 60;
}

}  // namespace

ScheduleMargins LoadScheduleMargins(std::string_view appName) {
    ScheduleMargins margins;
    margins.before = MarginSetting(appName, "RecordMarginBefore", kDefaultMarginBefore);
    margins.after = MarginSetting(appName, "RecordMarginAfter", kDefaultMarginAfter);
    margins.lead = MarginSetting(appName, "ReminderLead", kDefaultReminderLead);
    return margins;
}

bool SaveScheduleMargins(std::string_view appName, const ScheduleMargins& margins) {
    bool saved = true;
    for (const auto& [key, seconds] :
         {std::pair{"RecordMarginBefore", margins.before},
          std::pair{"RecordMarginAfter", margins.after}, std::pair{"ReminderLead", margins.lead}}) {
        saved = SaveSetting(appName, "Settings", key, std::to_string(seconds / 60)) && saved;
    }
    return saved;
}

int LoadConcurrentLimit(std::string_view appName) {
    return ParseConcurrentLimit(GetSetting(appName, "Settings", "ConcurrentRecordings", ""));
}

}  // namespace quorvel
