// Which ends of a stream are worth opening again, how often and how soon.
#include "playback/ReconnectPolicy.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(ReconnectPolicy, OnlyNetworkStreamsWithoutALengthAreOpenedAgain) {
    struct Case {
        bool network;
        bool error;
        bool lengthKnown;
        StreamEnd expected;
    };
    const Case cases[] = {
        // Radio whose server closed or went quiet ends without an error.
        {true, false, false, StreamEnd::Dropped},
        {true, true, false, StreamEnd::Dropped},
        // A file over HTTP that played to its end, or broke half-way.
        {true, false, true, StreamEnd::Finished},
        {true, true, true, StreamEnd::Broken},
        // Local files are never opened again, whatever the engine knew of them.
        {false, false, false, StreamEnd::Finished},
        {false, true, false, StreamEnd::Broken},
        {false, false, true, StreamEnd::Finished},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyStreamEnd({c.network, c.error, c.lengthKnown}), c.expected)
            << c.network << c.error << c.lengthKnown;
    }
}

TEST(ReconnectPolicy, ThreeTriesWaitingTwiceAsLongEachAndAFreshCountAfterAReset) {
    ReconnectPolicy policy(1000);
    EXPECT_EQ(policy.NextTry(), 1000);
    EXPECT_EQ(policy.NextTry(), 2000);
    EXPECT_EQ(policy.NextTry(), 4000);
    EXPECT_EQ(policy.Tries(), 3);
    EXPECT_EQ(policy.NextTry(), std::nullopt);
    EXPECT_EQ(policy.NextTry(), std::nullopt);
    policy.Reset();
    EXPECT_EQ(policy.NextTry(), 1000);
    EXPECT_EQ(ReconnectPolicy(-5).NextTry(), 0);
}

TEST(ReconnectPolicy, AStreamRunningOutTwiceAtTheSamePlaceWasAFile) {
    ReconnectPolicy policy;
    EXPECT_FALSE(policy.EndsWhereItEndedBefore(3.0));
    EXPECT_TRUE(policy.EndsWhereItEndedBefore(3.2));
    // Live radio cut at different places, or at once, goes on being opened again.
    ReconnectPolicy live;
    EXPECT_FALSE(live.EndsWhereItEndedBefore(40.0));
    EXPECT_FALSE(live.EndsWhereItEndedBefore(12.0));
    EXPECT_FALSE(live.EndsWhereItEndedBefore(0.1));
    EXPECT_FALSE(live.EndsWhereItEndedBefore(0.1));
    // Another address starts afresh.
    policy.Forget();
    EXPECT_FALSE(policy.EndsWhereItEndedBefore(3.2));
}

}  // namespace
}  // namespace quorvel
