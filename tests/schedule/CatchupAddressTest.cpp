#include "guide/CatchupAddress.h"

#include "ScopedEnv.h"

#include <gtest/gtest.h>

#include <ctime>

namespace quorvel::guide {
namespace {

// 2023-11-14 22:13:20 UTC: in the zone of the test (two hours east) already the 15th, so a
// date written in UTC instead of local time shows.
constexpr std::int64_t kStart = 1700000000;
constexpr CatchupTimes kAired{kStart, kStart + 3630, kStart + 7200};
// 2100-01-01 00:00:00 UTC, past what 32 bits hold.
constexpr std::int64_t kLate = 4102444800;

// The zone two hours east for one test; the old one is back (and read again) after it.
class LocalZone {
public:
    LocalZone() { ::tzset(); }

private:
    struct ReadZoneAtEnd {
        ~ReadZoneAtEnd() { ::tzset(); }
    } m_readAtEnd;
    test::ScopedEnv m_env{"TZ", "<+02>-2"};  // put back before the zone is read again
};

struct Row {
    const char* what;
    CatchupAttributes channel;
    CatchupTimes times;
    const char* expected;  // the address, or a part of the problem when it starts with "!"
};

CatchupAttributes Source(const char* kind, const char* source, const char* address = "") {
    return {address, kind, source, "", ""};
}

TEST(CatchupAddress, EveryKindAndPlaceholderBuildsTheExpectedAddress) {
    const LocalZone zone;
    const std::string longTemplate = "http://a/" + std::string(kMaxCatchupTemplateBytes - 9, 'x');
    std::string placeholders = "http://a/";
    std::string seconds = "http://a/";
    for (std::size_t i = 0; i < kMaxCatchupPlaceholders; ++i) {
        placeholders += "{S}";
        seconds += "20";
    }

    const Row rows[] = {
        {"default: epoch placeholders", Source("default", "http://a/{utc}/{utcend}/{lutc}"), kAired,
         "http://a/1700000000/1700003630/1700007200"},
        {"default: $ names", Source("default", "http://a/${start}-${end}-${now}-${timestamp}"),
         kAired, "http://a/1700000000-1700003630-1700007200-1700007200"},
        {"durations and offsets in units",
         Source("default", "http://a/{duration}/{duration:60}/{offset:1}/{offset:60}"), kAired,
         "http://a/3630/60/7200/120"},
        {"date letters are local start", Source("default", "http://a/{Y}-{m}-{d}:{H}-{M}-{S}"),
         kAired, "http://a/2023-11-15:00-13-20"},
        {"formatted times",
         Source("default", "http://a/{utc:YmdHMS}/{utcend:Y-m-d H.M}/{lutc:HMS}/${start:Y}"),
         kAired, "http://a/20231115001320/2023-11-15 01.13/021320/2023"},
        {"no kind but a source is default", Source("", "http://a/{utc}"), kAired,
         "http://a/1700000000"},
        {"append", Source("append", "?from={utc}", "http://tv.example/ch.m3u8"), kAired,
         "http://tv.example/ch.m3u8?from=1700000000"},
        {"shift without query", Source("shift", "", "http://tv.example/ch.m3u8"), kAired,
         "http://tv.example/ch.m3u8?utc=1700000000&lutc=1700007200"},
        {"shift with query, kind in capitals", Source("SHIFT", "", "http://tv.example/ch?t=1"),
         kAired, "http://tv.example/ch?t=1&utc=1700000000&lutc=1700007200"},
        {"legacy timeshift is shift",
         {"http://tv.example/ch", "", "", "", "3"},
         kAired,
         "http://tv.example/ch?utc=1700000000&lutc=1700007200"},
        {"flussonic mpegts", Source("flussonic", "", "http://fs.example:80/ch1/mpegts?token=k"),
         kAired, "http://fs.example:80/ch1/timeshift_abs-1700000000.ts?token=k"},
        {"fs index.m3u8", Source("fs", "", "https://fs.example/ch/1/index.m3u8?token=k"), kAired,
         "https://fs.example/ch/1/timeshift_rel-7200.m3u8?token=k"},
        {"fs named list", Source("fs", "", "http://fs.example/ch1/mono.m3u8"), kAired,
         "http://fs.example/ch1/mono-timeshift_rel-7200.m3u8"},
        {"fs source given wins", Source("fs", "http://other/{utc}", "http://fs/ch/mpegts"), kAired,
         "http://other/1700000000"},
        {"xc without extension", Source("xc", "", "http://xc.example:8080/user/pass/1477"), kAired,
         "http://xc.example:8080/timeshift/user/pass/60/2023-11-15:00-13/1477.ts"},
        {"xc live m3u8", Source("xc", "", "http://xc.example/live/u@x/p/9.m3u8"), kAired,
         "http://xc.example/timeshift/u@x/p/60/2023-11-15:00-13/9.m3u8"},
        {"past 2038",
         Source("default", "http://a/{utc}/{utc:YmdH}"),
         {kLate, kLate + 60, kLate + 60},
         "http://a/4102444800/2100010102"},
        {"on air now plays from its start",
         Source("default", "http://a/{utc}"),
         {kStart, kStart + 3600, kStart + 10},
         "http://a/1700000000"},
        {"template at its cap", Source("default", longTemplate.c_str()), kAired,
         longTemplate.c_str()},
        {"placeholders at their cap", Source("default", placeholders.c_str()), kAired,
         seconds.c_str()},

        {"unknown placeholder", Source("default", "http://a/{utc}/{channel}"), kAired,
         "!placeholder {channel}, which is not known"},
        {"unknown $ placeholder", Source("default", "http://a/${foo:1}"), kAired,
         "!placeholder ${foo:1}"},
        {"unit zero", Source("default", "http://a/{duration:0}"), kAired, "!{duration:0}"},
        {"unit not a number", Source("default", "http://a/{offset:x}"), kAired, "!{offset:x}"},
        {"letter with format", Source("default", "http://a/{Y:m}"), kAired, "!{Y:m}"},
        {"empty format", Source("default", "http://a/{utc:}"), kAired, "!{utc:}"},
        {"unclosed brace", Source("default", "http://a/{utc"), kAired, "!without its"},
        {"template past its cap", Source("default", (longTemplate + "x").c_str()), kAired,
         "!longer than 4096"},
        {"placeholders past their cap", Source("default", (placeholders + "{S}").c_str()), kAired,
         "!more than 64 placeholders"},
        {"refused scheme", Source("default", "file:///etc/{utc}"), kAired, "!cannot be played"},
        {"local path", Source("default", "/srv/{utc}.ts"), kAired, "!no stream of a server"},
        {"control character", Source("default", "http://a/{utc:Y\nm}"), kAired,
         "!cannot be played"},
        {"unknown kind", Source("vod", "http://a/{utc}"), kAired, "!kind \"vod\" is not known"},
        {"no kind", Source("", "", "http://a/"), kAired, "!keeps no archive"},
        {"default without source", Source("default", ""), kAired, "!gives no catch-up address"},
        {"append without source", Source("append", "", "http://a/"), kAired,
         "!gives no catch-up address"},
        {"xc address of another form", Source("xc", "", "http://xc/a/b/c/d/e"), kAired,
         "!not of the form"},
        {"fs address of another form", Source("fs", "", "http://fs/ch1/live"), kAired,
         "!not of the form"},
        {"future programme",
         Source("default", "http://a/{utc}"),
         {kStart + 60, kStart + 120, kStart},
         "!not started yet"},
        {"stop before start",
         Source("default", "http://a/{utc}"),
         {kStart, kStart, kStart},
         "!ends before it starts"},
        {"beyond year 9999",
         Source("default", "http://a/{utc}"),
         {kMaxCatchupTime, kMaxCatchupTime + 1, kMaxCatchupTime + 1},
         "!outside the years"},
        {"negative time", Source("default", "http://a/{utc}"), {-10, 10, 20}, "!outside the years"},
    };
    for (const Row& row : rows) {
        const CatchupAddress built = BuildCatchupAddress(row.channel, row.times);
        const std::string expected = row.expected;
        if (expected.front() == '!') {
            EXPECT_FALSE(built.Playable()) << row.what;
            EXPECT_TRUE(built.address.empty()) << row.what;
            EXPECT_NE(built.problem.find(expected.substr(1)), std::string::npos)
                << row.what << ": " << built.problem;
        } else {
            EXPECT_EQ(built.problem, "") << row.what;
            EXPECT_EQ(built.address, expected) << row.what;
        }
    }
}

TEST(CatchupAddress, DaysOfArchiveAreReadSafelyAndBoundTheWindow) {
    const struct {
        const char* days;
        int expected;
    } rows[] = {{"", kDefaultCatchupDays},
                {"abc", kDefaultCatchupDays},
                {"3", 3},
                {" 5 ", 5},
                {"0", 0},
                {"-4", 0},
                {"366", 366},
                {"367", kMaxCatchupDays},
                {"99999999999999999999", kMaxCatchupDays},
                {"-99999999999999999999", 0}};
    for (const auto& row : rows) {
        const CatchupAttributes channel{"http://a/", "shift", "", row.days, ""};
        EXPECT_EQ(CatchupDays(channel), row.expected) << row.days;
    }
    EXPECT_EQ(CatchupDays({"http://a/", "", "", "", ""}), 0);

    // The last second of the window still plays; one past it does not.
    const CatchupAttributes twoDays{"http://a/", "shift", "", "2", ""};
    const std::int64_t edge = kStart + 2 * 86400;
    EXPECT_TRUE(BuildCatchupAddress(twoDays, {kStart, kStart + 60, edge}).Playable());
    EXPECT_NE(BuildCatchupAddress(twoDays, {kStart, kStart + 60, edge + 1}).problem.find("2 days"),
              std::string::npos);
    EXPECT_FALSE(BuildCatchupAddress({"http://a/", "shift", "", "0", ""}, kAired).Playable());
}

}  // namespace
}  // namespace quorvel::guide
