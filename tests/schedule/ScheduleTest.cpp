#include "schedule/Schedule.h"
#include "schedule/ScheduleStore.h"
#include "settings/SettingsStore.h"

#include "ScopedHives.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

constexpr std::int64_t kEight = 1800000000;  // some evening, as the injected clock sees it
constexpr std::int64_t kMinute = 60;
constexpr std::int64_t kHour = 3600;
constexpr std::string_view kApp = "Quorvel";

ScheduleEntry Recording(std::string title, std::int64_t start, std::int64_t stop,
                        std::string channel = "News One") {
    ScheduleEntry entry;
    entry.channel = std::move(channel);
    entry.address = "http://tv.example/news.ts";
    entry.title = std::move(title);
    entry.start = start;
    entry.stop = stop;
    return entry;
}

TEST(Schedule, ARecordingBeyondTheLimitIsRefusedNamingTheClash) {
    const std::int64_t now = kEight - kHour;
    Schedule schedule;
    ASSERT_EQ(schedule.ConcurrentLimit(), 2);
    EXPECT_NE(schedule.Add(Recording("Late News", kEight, kEight + kHour), now).id, 0u);
    EXPECT_NE(
        schedule.Add(Recording("Film", kEight + 30 * kMinute, kEight + 2 * kHour, "Cinema"), now)
            .id,
        0u);
    const auto third =
        schedule.Add(Recording("Match", kEight + 45 * kMinute, kEight + kHour, "Sport"), now);
    EXPECT_EQ(third.id, 0u);
    EXPECT_NE(third.problem.find("At most 2"), std::string::npos) << third.problem;
    EXPECT_NE(third.problem.find("\"Late News\" on News One and \"Film\" on Cinema"),
              std::string::npos)
        << third.problem;

    // Margins count: Late News records until 21:05, so 21:05 plus the 2 minutes before is
    // free; a minute earlier is not.
    const std::int64_t freeAt = kEight + kHour + 5 * kMinute + 2 * kMinute;
    EXPECT_EQ(schedule.Add(Recording("Quiz", freeAt - kMinute, freeAt + kHour, "Fun"), now).id, 0u);
    EXPECT_NE(schedule.Add(Recording("Quiz", freeAt, freeAt + kHour, "Fun"), now).id, 0u);

    // The same programme twice, and one that has ended, are refused too.
    EXPECT_EQ(schedule.Add(Recording("Late News", kEight, kEight + kHour), now).id, 0u);
    EXPECT_EQ(schedule.Add(Recording("Old", now - 2 * kHour, now - kHour), now).id, 0u);

    Schedule three(3);
    for (const char* title : {"A", "B", "C"})
        EXPECT_NE(three.Add(Recording(title, kEight, kEight + kHour, title), now).id, 0u);
    EXPECT_EQ(three.Add(Recording("D", kEight, kEight + kHour, "D"), now).id, 0u);

    const struct {
        const char* text;
        int limit;
    } limits[] = {{"", 2}, {"1", 1}, {"16", 16}, {"17", 2}, {"0", 2}, {"-1", 2}, {"3x", 2}};
    for (const auto& row : limits)
        EXPECT_EQ(ParseConcurrentLimit(row.text), row.limit) << row.text;
}

TEST(Schedule, WallTimeDecidesWhatStartsAndWhatWasMissed) {
    const std::int64_t now = kEight - kHour;
    Schedule schedule;
    const auto news = schedule.Add(Recording("News", kEight, kEight + kHour), now).id;
    ScheduleEntry reminder = Recording("Film", kEight + 2 * kHour, kEight + 3 * kHour, "Cinema");
    reminder.kind = EntryKind::Reminder;
    const auto film = schedule.Add(reminder, now).id;
    EXPECT_EQ(schedule.NextEvent(now), kEight - 2 * kMinute);

    // One second before the margin nothing is due; at it the recording starts.
    EXPECT_TRUE(schedule.Check(kEight - 2 * kMinute - 1).startRecording.empty());
    EXPECT_EQ(schedule.Check(kEight - 2 * kMinute).startRecording, std::vector{news});
    schedule.MarkRunning(news, "/videos/News.ts");
    // Running, it is next due at its end; told to stop there, it is waited for.
    EXPECT_EQ(schedule.NextEvent(kEight), kEight + kHour + 5 * kMinute);
    EXPECT_TRUE(schedule.Check(kEight + kHour + 5 * kMinute - 1).stopRecording.empty());
    EXPECT_EQ(schedule.Check(kEight + kHour + 5 * kMinute).stopRecording, std::vector{news});
    EXPECT_EQ(schedule.NextEvent(kEight + kHour + 5 * kMinute), kEight + 2 * kHour - kMinute);
    // The clock set forward by hand past the reminder's programme: missed, not shown late.
    const auto jumped = schedule.Check(kEight + 3 * kHour);
    EXPECT_TRUE(jumped.remind.empty());
    EXPECT_EQ(jumped.changed, std::vector{film});
    EXPECT_EQ(schedule.Find(film)->state, EntryState::Missed);

    // After a restart: a recording whose start passed while the program was closed is missed,
    // not started late; one that was running has failed; a later one still waits.
    ScheduleEntry passed = Recording("Passed", kEight, kEight + kHour);
    passed.id = 4;
    ScheduleEntry running = Recording("Running", kEight, kEight + kHour, "Sport");
    running.id = 7;
    running.state = EntryState::Running;
    ScheduleEntry later = Recording("Later", kEight + 5 * kHour, kEight + 6 * kHour);
    later.id = 9;
    Schedule restored;
    restored.Restore({passed, running, later}, kEight + 10 * kMinute, 12);
    EXPECT_EQ(restored.Find(4)->state, EntryState::Missed);
    EXPECT_EQ(restored.Find(7)->state, EntryState::Failed);
    EXPECT_FALSE(restored.Find(7)->reason.empty());
    EXPECT_EQ(restored.Find(9)->state, EntryState::Scheduled);
    EXPECT_TRUE(restored.Check(kEight + 10 * kMinute).startRecording.empty());
    EXPECT_EQ(restored.Add(Recording("New", kEight + 7 * kHour, kEight + 8 * kHour), kEight).id,
              13u);
}

TEST(Schedule, ASeriesRecordsEveryProgrammeOfItsTitleOnItsChannelOnce) {
    Schedule schedule;
    ScheduleEntry rule = Recording("Daily Show", kEight, kEight + kHour);
    rule.series = true;
    ASSERT_NE(schedule.Add(rule, kEight).id, 0u);
    const std::vector<ProgrammeSlot> guide = {
        {"News One", "Daily Show", kEight - 2 * kHour, kEight - kHour},  // over
        {"News One", "Daily Show", kEight + kHour, kEight + 2 * kHour},
        {"News One", "Weather", kEight + 2 * kHour, kEight + 3 * kHour},
        {"Cinema", "Daily Show", kEight + 3 * kHour, kEight + 4 * kHour},
        {"News One", "Daily Show", kEight + 25 * kHour, kEight + 26 * kHour},
    };
    EXPECT_EQ(schedule.ApplySeries(guide, kEight).size(), 2u);
    EXPECT_TRUE(schedule.ApplySeries(guide, kEight).empty());
    EXPECT_EQ(schedule.Entries().size(), 3u);
}

TEST(ScheduleStore, EntriesSurviveARestartAndADamagedOneIsLeftOut) {
    const test::ScopedHives hives;
    ScheduleEntry recording =
        Recording("Tom & Jerry = 100% \xC3\xA9t\xC3\xA9", kEight, kEight + kHour, "Kids|TV");
    recording.id = 3;
    recording.userAgent = "Agent/1.0 (X11)";
    recording.referrer = "http://ref.example/?a=b&c";
    recording.marginBefore = 0;
    recording.marginAfter = 15 * kMinute;
    recording.state = EntryState::Failed;
    recording.reason = "HTTP error 404 Not Found";
    recording.file = "/home/u/Videos/Kids TV 2027-01-15 08-00.ts";
    ScheduleEntry reminder = Recording("Film", kEight, kEight + kHour);
    reminder.kind = EntryKind::Reminder;
    reminder.id = 5;
    reminder.lead = 10 * kMinute;
    ScheduleEntry series = Recording("Daily", kEight, kEight + kHour);
    series.id = 6;
    series.series = true;
    for (const ScheduleEntry& entry : {recording, reminder, series})
        ASSERT_TRUE(SaveScheduleEntry(kApp, entry));
    ASSERT_TRUE(SaveSetting(kApp, kScheduleSection, "8", "kind=recording&start=soon"));
    ASSERT_TRUE(SaveSetting(kApp, kScheduleSection, "first", EncodeEntry(reminder)));

    LoadedSchedule loaded = LoadSchedule(kApp);
    EXPECT_EQ(loaded.entries, (std::vector{recording, reminder, series}));
    EXPECT_EQ(loaded.usedIds, 8u);
    ASSERT_EQ(loaded.problems.size(), 2u);
    EXPECT_NE(loaded.problems[0].find("\"8\""), std::string::npos);
    // The damaged value stays for the user to see; removing an entry removes only it.
    EXPECT_EQ(GetSetting(kApp, kScheduleSection, "8", ""), "kind=recording&start=soon");
    EXPECT_TRUE(DeleteScheduleEntry(kApp, 5));
    EXPECT_EQ(LoadSchedule(kApp).entries, (std::vector{recording, series}));
}

TEST(ScheduleStore, MarginsAreWholeMinutesUpToADayElseTheirDefault) {
    const test::ScopedHives hives;
    const struct {
        const char* kept;
        std::int64_t before;
    } rows[] = {{"10", 10 * kMinute},         {"0", 0},
                {"1440", 24 * kHour},         {"1441", kDefaultMarginBefore},
                {"-1", kDefaultMarginBefore}, {"5.5", kDefaultMarginBefore},
                {"", kDefaultMarginBefore},   {"9223372036854775807", kDefaultMarginBefore}};
    for (const auto& row : rows) {
        ASSERT_TRUE(SaveSetting(kApp, "Settings", "RecordMarginBefore", row.kept));
        EXPECT_EQ(LoadScheduleMargins(kApp).before, row.before) << row.kept;
    }
    ASSERT_TRUE(SaveScheduleMargins(kApp, {0, 15 * kMinute, 3 * kMinute}));
    const ScheduleMargins kept = LoadScheduleMargins(kApp);
    EXPECT_EQ(kept.before, 0);
    EXPECT_EQ(kept.after, 15 * kMinute);
    EXPECT_EQ(kept.lead, 3 * kMinute);
}

TEST(ScheduleStore, DamagedTextsAreRefusedWhole) {
    const std::string good = EncodeEntry(Recording("News", kEight, kEight + kHour));
    ASSERT_TRUE(DecodeEntry(good).has_value());
    for (const std::string& damaged : {
             std::string(),
             good + "&start=1",                                      // a key twice
             good + "&title=%G1",                                    // bad escape
             good + "&title=%4",                                     // cut escape
             good + "&junk",                                         // no "="
             std::string("kind=reminder&channel=A&start=1&stop=2"),  // no state
             std::string("kind=timer&channel=A&start=1&stop=2&state=scheduled"),
             std::string("kind=reminder&channel=A&start=1&stop=2&state=asleep"),
             std::string("kind=reminder&channel=A&start=2&stop=1&state=scheduled"),
             std::string("kind=reminder&channel=A&start=1&stop=99999999999999&state=scheduled"),
             std::string("kind=reminder&channel=A&start=1&stop=2&state=scheduled&lead=-5"),
             std::string("kind=recording&channel=A&address=file:///etc/passwd&start=1&stop=2&"
                         "state=scheduled"),
         }) {
        EXPECT_FALSE(DecodeEntry(damaged).has_value()) << damaged;
    }
    // Keys of a later version are passed over.
    EXPECT_TRUE(DecodeEntry(good + "&colour=red").has_value());
}

}  // namespace
}  // namespace quorvel
