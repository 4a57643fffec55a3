#include "schedule/Schedule.h"

#include <algorithm>
#include <charconv>

namespace quorvel {
namespace {

std::string Named(const ScheduleEntry& entry) {
    const std::string& title = entry.title.empty() ? entry.channel : entry.title;
    return "\"" + title + "\" on " + entry.channel;
}

bool Overlaps(const ScheduleEntry& a, const ScheduleEntry& b) {
    return a.RecordFrom() < b.RecordUntil() && b.RecordFrom() < a.RecordUntil();
}

}  // namespace

int ParseConcurrentLimit(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end || value < 1 ||
        value > kMaxConcurrentRecordings) {
        return kDefaultConcurrentRecordings;
    }
    return value;
}

Schedule::Schedule(int concurrentLimit)
    : m_limit(std::clamp(concurrentLimit, 1, kMaxConcurrentRecordings)) {}

ScheduleEntry* Schedule::Entry(std::uint64_t id) {
    for (ScheduleEntry& entry : m_entries) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

const ScheduleEntry* Schedule::Find(std::uint64_t id) const {
    for (const ScheduleEntry& entry : m_entries) {
        if (entry.id == id)
            return &entry;
    }
    return nullptr;
}

std::string Schedule::ClashProblem(const ScheduleEntry& entry) const {
    std::vector<const ScheduleEntry*> overlapping;
    for (const ScheduleEntry& other : m_entries) {
        if (other.IsActiveRecording() && Overlaps(entry, other))
            overlapping.push_back(&other);
    }
    if (static_cast<int>(overlapping.size()) < m_limit)
        return {};
    // The most recordings at once within the new one's span are found at one of the starts.
    std::vector<std::int64_t> instants{entry.RecordFrom()};
    for (const ScheduleEntry* other : overlapping) {
        if (other->RecordFrom() > entry.RecordFrom())
            instants.push_back(other->RecordFrom());
    }
    for (const std::int64_t instant : instants) {
        std::vector<const ScheduleEntry*> running;
        for (const ScheduleEntry* other : overlapping) {
            if (other->RecordFrom() <= instant && instant < other->RecordUntil())
                running.push_back(other);
        }
        if (static_cast<int>(running.size()) < m_limit)
            continue;
        std::string names;
        for (std::size_t i = 0; i < running.size(); ++i) {
            if (i > 0)
                names += i + 1 == running.size() ? " and " : ", ";
            names += Named(*running[i]);
        }
        return "At most " + std::to_string(m_limit) +
               " recordings run at once, and this one clashes with " + names + ".";
    }
    return {};
}

Schedule::Added Schedule::Add(ScheduleEntry entry, std::int64_t now) {
    if (std::string problem = EntryProblem(entry); !problem.empty())
        return {0, std::move(problem)};
    if (entry.series && entry.kind != EntryKind::Recording)
        return {0, "Only recordings can follow a series."};
    if (!entry.series) {
        if (entry.kind == EntryKind::Recording && entry.RecordUntil() <= now)
            return {0, "The programme has already ended."};
        if (entry.kind == EntryKind::Reminder && entry.start <= now)
            return {0, "The programme has already started."};
    }
    for (const ScheduleEntry& other : m_entries) {
        const bool active =
            other.state == EntryState::Scheduled || other.state == EntryState::Running;
        if (active && other.kind == entry.kind && other.series == entry.series &&
            other.channel == entry.channel &&
            (entry.series ? other.title == entry.title : other.start == entry.start)) {
            return {0, Named(entry) + " is already planned."};
        }
    }
    if (entry.kind == EntryKind::Recording && !entry.series) {
        if (std::string problem = ClashProblem(entry); !problem.empty())
            return {0, std::move(problem)};
    }
    entry.id = m_nextId++;
    entry.state = EntryState::Scheduled;
    entry.reason.clear();
    entry.file.clear();
    m_entries.push_back(std::move(entry));
    return {m_entries.back().id, {}};
}

void Schedule::Restore(std::vector<ScheduleEntry> entries, std::int64_t now,
                       std::uint64_t usedIds) {
    m_nextId = std::max(m_nextId, usedIds + 1);
    for (ScheduleEntry& entry : entries) {
        m_nextId = std::max(m_nextId, entry.id + 1);
        if (entry.series)
            continue;
        if (entry.state == EntryState::Running) {
            entry.state = EntryState::Failed;
            entry.reason = "The program ended during the recording.";
        } else if (entry.state == EntryState::Scheduled) {
            // Started late, a recording would miss the programme's start without saying so.
            const bool passed =
                entry.kind == EntryKind::Recording ? entry.RecordFrom() < now : entry.start <= now;
            if (passed)
                entry.state = EntryState::Missed;
        }
    }
    m_entries = std::move(entries);
}

bool Schedule::Remove(std::uint64_t id) {
    const auto it = std::find_if(m_entries.begin(), m_entries.end(),
                                 [id](const ScheduleEntry& entry) { return entry.id == id; });
    if (it == m_entries.end())
        return false;
    m_entries.erase(it);
    return true;
}

Schedule::Due Schedule::Check(std::int64_t now) {
    Due due;
    for (ScheduleEntry& entry : m_entries) {
        if (entry.series)
            continue;
        if (entry.kind == EntryKind::Recording) {
            if (entry.state == EntryState::Scheduled && now >= entry.RecordUntil()) {
                entry.state = EntryState::Missed;
                due.changed.push_back(entry.id);
            } else if (entry.state == EntryState::Scheduled && now >= entry.RecordFrom()) {
                due.startRecording.push_back(entry.id);
            } else if (entry.state == EntryState::Running && now >= entry.RecordUntil()) {
                due.stopRecording.push_back(entry.id);
            }
        } else if (entry.state == EntryState::Scheduled) {
            if (now >= entry.stop) {
                entry.state = EntryState::Missed;
                due.changed.push_back(entry.id);
            } else if (now >= entry.RemindAt()) {
                due.remind.push_back(entry.id);
            }
        }
    }
    return due;
}

std::optional<std::int64_t> Schedule::NextEvent(std::int64_t now) const {
    std::optional<std::int64_t> next;
    const auto consider = [&next, now](std::int64_t time) {
        if (time > now && (!next || time < *next))
            next = time;
    };
    for (const ScheduleEntry& entry : m_entries) {
        if (entry.series)
            continue;
        if (entry.state == EntryState::Running)
            consider(entry.RecordUntil());
        else if (entry.state == EntryState::Scheduled)
            consider(entry.kind == EntryKind::Recording ? entry.RecordFrom() : entry.RemindAt());
    }
    return next;
}

void Schedule::MarkRunning(std::uint64_t id, std::string file) {
    if (ScheduleEntry* entry = Entry(id)) {
        entry->state = EntryState::Running;
        entry->file = std::move(file);
    }
}

void Schedule::MarkFinished(std::uint64_t id, std::string file) {
    if (ScheduleEntry* entry = Entry(id)) {
        entry->state = EntryState::Finished;
        if (!file.empty())
            entry->file = std::move(file);
    }
}

void Schedule::MarkFailed(std::uint64_t id, std::string reason) {
    if (ScheduleEntry* entry = Entry(id)) {
        entry->state = EntryState::Failed;
        entry->reason = std::move(reason);
    }
}

std::vector<Schedule::Added> Schedule::ApplySeries(const std::vector<ProgrammeSlot>& programmes,
                                                   std::int64_t now) {
    std::vector<ScheduleEntry> rules;
    for (const ScheduleEntry& entry : m_entries) {
        if (entry.series && entry.state == EntryState::Scheduled)
            rules.push_back(entry);
    }
    std::vector<Added> results;
    for (const ScheduleEntry& rule : rules) {
        for (const ProgrammeSlot& programme : programmes) {
            if (programme.channel != rule.channel || programme.title != rule.title)
                continue;
            const bool planned =
                std::any_of(m_entries.begin(), m_entries.end(), [&](const ScheduleEntry& entry) {
                    return !entry.series && entry.kind == EntryKind::Recording &&
                           entry.channel == programme.channel && entry.start == programme.start;
                });
            if (planned || programme.stop + rule.marginAfter <= now)
                continue;
            ScheduleEntry recording = rule;
            recording.series = false;
            recording.start = programme.start;
            recording.stop = programme.stop;
            results.push_back(Add(std::move(recording), now));
        }
    }
    return results;
}

}  // namespace quorvel
