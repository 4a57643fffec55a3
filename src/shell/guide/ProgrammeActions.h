#pragma once

#include "guide/CatchupAddress.h"
#include "guide/GuideStore.h"
#include "schedule/ScheduleEntry.h"

#include <cstdint>
#include <optional>
#include <string>

namespace quorvel {

// A channel of the list the guide window shows, with what the guide needs of it.
struct GuideChannelRow {
    std::string name;
    std::string address;
    std::string guideId;  // empty: no guide channel matched
    guide::GuideTime shift = 0;
    guide::CatchupAttributes catchup;
    std::string userAgent;
    std::string referrer;
};

// What can be done with a programme at `now`; its times are the channel's, shift applied.
struct ProgrammeChoices {
    bool record = false;         // it has not ended
    bool remind = false;         // it has not started
    bool playFromStart = false;  // on air, and the channel keeps an archive
    bool playArchive = false;    // aired within the channel's catch-up days
};
ProgrammeChoices ChoicesFor(const GuideChannelRow& channel, const guide::StoredProgramme& programme,
                            std::int64_t now);

// How much of a programme has passed at `at`: 0 before its start, 1 from its stop on;
// nothing for a programme without length.
std::optional<double> ProgrammePassed(std::int64_t start, std::int64_t stop, std::int64_t at);

ScheduleEntry RecordingOf(const GuideChannelRow& channel, const guide::StoredProgramme& programme,
                          bool series);
ScheduleEntry ReminderOf(const GuideChannelRow& channel, const guide::StoredProgramme& programme);
// The address that plays the programme from its start (on air or aired), or why not.
guide::CatchupAddress CatchupOf(const GuideChannelRow& channel,
                                const guide::StoredProgramme& programme, std::int64_t now);

}  // namespace quorvel
