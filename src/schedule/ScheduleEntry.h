#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quorvel {

enum class EntryKind { Recording, Reminder };

// Scheduled waits; Running records now; Finished has its file (a reminder: was shown);
// Failed has its reason; Missed passed while the program was not running.
enum class EntryState { Scheduled, Running, Finished, Failed, Missed };

inline constexpr std::int64_t kDefaultMarginBefore = 2 * 60;
inline constexpr std::int64_t kDefaultMarginAfter = 5 * 60;
inline constexpr std::int64_t kDefaultReminderLead = 60;
// Margins and lead times beyond this are refused: a day.
inline constexpr std::int64_t kMaxMargin = 24 * 60 * 60;
// A programme longer than this is refused: a week.
inline constexpr std::int64_t kMaxProgrammeSeconds = 7 * 24 * 60 * 60;

// One scheduled recording or reminder, times in seconds since 1970-01-01 UTC (wall time).
struct ScheduleEntry {
    std::uint64_t id = 0;
    EntryKind kind = EntryKind::Recording;
    std::string channel;
    std::string address;
    // Sent by the engine for this channel only.
    std::string userAgent;
    std::string referrer;
    std::string title;
    std::int64_t start = 0;
    std::int64_t stop = 0;
    std::int64_t marginBefore = kDefaultMarginBefore;
    std::int64_t marginAfter = kDefaultMarginAfter;
    std::int64_t lead = kDefaultReminderLead;
    // A rule, not a recording: every programme of this title on this channel.
    bool series = false;
    EntryState state = EntryState::Scheduled;
    std::string reason;  // why it failed
    std::string file;    // what the recording wrote

    bool operator==(const ScheduleEntry&) const = default;

    std::int64_t RecordFrom() const { return start - marginBefore; }
    std::int64_t RecordUntil() const { return stop + marginAfter; }
    std::int64_t RemindAt() const { return start - lead; }
    bool IsActiveRecording() const {
        return kind == EntryKind::Recording && !series &&
               (state == EntryState::Scheduled || state == EntryState::Running);
    }
};

// Why the entry cannot be scheduled; empty when it can.
std::string EntryProblem(const ScheduleEntry& entry);

// One line of "key=value" pairs joined by "&", values percent-encoded, as kept in the
// settings; the id is the value's name there and is not part of the text.
std::string EncodeEntry(const ScheduleEntry& entry);
// Nothing for a text that is damaged: a field missing or out of range, a bad escape.
std::optional<ScheduleEntry> DecodeEntry(std::string_view text);

std::string_view StateName(EntryState state);

}  // namespace quorvel
