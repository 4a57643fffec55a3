#include "shell/guide/ProgrammeActions.h"

namespace quorvel {

namespace {

constexpr std::int64_t kDay = 24 * 60 * 60;

ScheduleEntry EntryOf(const GuideChannelRow& channel, const guide::StoredProgramme& programme) {
    ScheduleEntry entry;
    entry.channel = channel.name;
    entry.address = channel.address;
    entry.userAgent = channel.userAgent;
    entry.referrer = channel.referrer;
    entry.title = programme.texts[guide::kTitle];
    entry.start = programme.start;
    entry.stop = programme.stop;
    return entry;
}

}  // namespace

ProgrammeChoices ChoicesFor(const GuideChannelRow& channel, const guide::StoredProgramme& programme,
                            std::int64_t now) {
    ProgrammeChoices choices;
    choices.record = programme.stop > now;
    choices.remind = programme.start > now;
    const int days = guide::CatchupDays(channel.catchup);
    if (days > 0) {
        choices.playFromStart = programme.start <= now && now < programme.stop;
        choices.playArchive = programme.stop <= now &&
                              programme.start >= now - static_cast<std::int64_t>(days) * kDay;
    }
    return choices;
}

std::optional<double> ProgrammePassed(std::int64_t start, std::int64_t stop, std::int64_t at) {
    if (stop <= start)
        return std::nullopt;
    if (at <= start)
        return 0.0;
    if (at >= stop)
        return 1.0;
    return static_cast<double>(at - start) / static_cast<double>(stop - start);
}

ScheduleEntry RecordingOf(const GuideChannelRow& channel, const guide::StoredProgramme& programme,
                          bool series) {
    ScheduleEntry entry = EntryOf(channel, programme);
    entry.kind = EntryKind::Recording;
    entry.series = series;
    return entry;
}

ScheduleEntry ReminderOf(const GuideChannelRow& channel, const guide::StoredProgramme& programme) {
    ScheduleEntry entry = EntryOf(channel, programme);
    entry.kind = EntryKind::Reminder;
    return entry;
}

guide::CatchupAddress CatchupOf(const GuideChannelRow& channel,
                                const guide::StoredProgramme& programme, std::int64_t now) {
    guide::CatchupAttributes attributes = channel.catchup;
    if (attributes.address.empty())
        attributes.address = channel.address;
    return guide::BuildCatchupAddress(attributes, {programme.start, programme.stop, now});
}

}  // namespace quorvel
