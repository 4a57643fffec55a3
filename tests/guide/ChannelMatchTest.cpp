#include <gtest/gtest.h>

#include "guide/ChannelMatch.h"

namespace quorvel::guide {
namespace {

TEST(ChannelMatch, ByHandThenIdThenFoldedTvgNameThenFoldedName) {
    const ChannelMatcher matcher(
        {
            {"bbc1.uk", {"BBC One", "BBC 1"}},
            {"ard.de", {"Das Erste"}},
            {"arte.fr", {"ARTE"}},
            {"tele.ch",
             {"T\xC3\xA9l\xC3\xA9 Z\xC3\xBC"
              "rich"}},
            {"ard.de.hd", {"Das Erste HD"}},
            {"Case.id", {"Case"}},
            {"hd.example", {"HD"}},
        },
        {{"my-key", "arte.fr"}});
    struct Row {
        ChannelKeys channel;
        const char* expected;  // nullptr: no guide channel
        MatchedBy by;
    };
    const std::vector<Row> rows = {
        {{"my-key", "bbc1.uk", "", "x"}, "arte.fr", MatchedBy::Hand},
        {{"k", "bbc1.uk", "Das Erste", "ARTE"}, "bbc1.uk", MatchedBy::Id},
        {{"k", "case.id", "", ""}, nullptr, MatchedBy::Id},
        {{"k", "nope", "bbc_one_hd", "ARTE"}, "bbc1.uk", MatchedBy::TvgName},
        {{"k", "", "", "  BBC  1 FHD "}, "bbc1.uk", MatchedBy::Name},
        {{"k", "", "", "tele zurich 4K"}, "tele.ch", MatchedBy::Name},
        {{"k", "", "Unknown", "das erste"}, "ard.de", MatchedBy::Name},
        {{"k", "", "", "Das Erste HD"}, "ard.de", MatchedBy::Name},
        {{"k", "", "", "HD"}, "hd.example", MatchedBy::Name},
        {{"k", "", "", "ARTEHD"}, nullptr, MatchedBy::Name},
        {{"k", "", "", ""}, nullptr, MatchedBy::Name},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.channel.tvgId + "/" + row.channel.tvgName + "/" + row.channel.name);
        const auto match = matcher.Match(row.channel);
        if (!row.expected) {
            EXPECT_FALSE(match);
            continue;
        }
        ASSERT_TRUE(match);
        EXPECT_EQ(match->guideChannel, row.expected);
        EXPECT_EQ(match->by, row.by);
    }
}

TEST(ChannelMatch, TimeShiftInHoursPlusTheGlobalOffset) {
    const std::vector<std::tuple<const char*, double, GuideTime>> rows = {
        {"", 0, 0},     {"2", 0, 7200}, {"+1.5", 0, 5400}, {"-0,5", 0, -1800}, {"1", -1.25, -900},
        {"x", 1, 3600}, {"1h", 0, 0},   {"100", 0, 86400}, {"nan", 0, 0},
    };
    for (const auto& [shift, global, expected] : rows) {
        SCOPED_TRACE(shift);
        EXPECT_EQ(TimeShift(shift, global), expected);
    }
}

}  // namespace
}  // namespace quorvel::guide
