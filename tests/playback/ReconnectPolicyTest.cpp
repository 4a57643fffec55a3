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
        bool endedShort;
        StreamEnd expected;
    };
    const Case cases[] = {
        // Radio whose server closed or went quiet ends without an error.
        {true, false, false, false, StreamEnd::Dropped},
        {true, true, false, false, StreamEnd::Dropped},
        {true, false, false, true, StreamEnd::Dropped},
        // A file over HTTP that played to its end, or broke half-way.
        {true, false, true, false, StreamEnd::Finished},
        {true, true, true, false, StreamEnd::Broken},
        // Its server stopped short of the size it told and every resume failed.
        {true, false, true, true, StreamEnd::Broken},
        // Local files are never opened again, whatever the engine knew of them.
        {false, false, false, false, StreamEnd::Finished},
        {false, true, false, false, StreamEnd::Broken},
        {false, false, true, false, StreamEnd::Finished},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ClassifyStreamEnd({c.network, c.error, c.lengthKnown, c.endedShort}), c.expected)
            << c.network << c.error << c.lengthKnown << c.endedShort;
    }
}

TEST(ReconnectPolicy, AShortEndCountsOnlyWhenNoResumeFollowsIt) {
    const char kShort[] = "http: Stream ends prematurely at 12247, should be 24494";
    const char kResume[] =
        "http: Will reconnect at 12247 in 1 second(s), error=Input/output error.";
    ShortEndWatch watch;
    watch.Read("ffmpeg", kShort);
    watch.Read("ffmpeg", kResume);
    EXPECT_FALSE(watch.EndedShort()) << "the resume may still bring the rest";
    watch.Read("ffmpeg", "tcp: Connection to tcp://127.0.0.1:1 failed: Connection refused");
    watch.Read("ffmpeg", kShort);
    EXPECT_TRUE(watch.EndedShort());
    EXPECT_EQ(watch.What(), kShort);
    // A server that answers the resume with the whole file from its start.
    watch.Read("ffmpeg", kResume);
    watch.Read("ffmpeg", "http: Failed to reconnect at 12247.");
    EXPECT_TRUE(watch.EndedShort());
    watch.Reset();
    // Only the network layer's word counts, not a stream's text that happens to match.
    watch.Read("cplayer", kShort);
    EXPECT_FALSE(watch.EndedShort());
}

TEST(ReconnectPolicy, ThreeTriesWaitingTwiceAsLongEachAndAFreshCountOnlyAfterSteadyPlay) {
    ReconnectPolicy policy(1000);
    EXPECT_EQ(policy.NextTry(), 1000);
    // Opened again and dropped at once, as often as it likes: the count goes on.
    policy.Played(0.2);
    EXPECT_EQ(policy.NextTry(), 2000);
    policy.Played(ReconnectPolicy::kSteadySeconds - 0.1);
    EXPECT_EQ(policy.NextTry(), 4000);
    EXPECT_EQ(policy.Tries(), 3);
    EXPECT_EQ(policy.NextTry(), std::nullopt);
    EXPECT_EQ(policy.NextTry(), std::nullopt);
    policy.Played(ReconnectPolicy::kSteadySeconds);
    EXPECT_EQ(policy.NextTry(), 1000);
    policy.Forget();
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
    // At the limits, half a second apart after a second played, and a little past them.
    ReconnectPolicy edge;
    EXPECT_FALSE(edge.EndsWhereItEndedBefore(1.5));
    EXPECT_TRUE(edge.EndsWhereItEndedBefore(1.0));
    EXPECT_FALSE(edge.EndsWhereItEndedBefore(1.5625));
    EXPECT_FALSE(edge.EndsWhereItEndedBefore(0.9375));
    EXPECT_FALSE(edge.EndsWhereItEndedBefore(0.9375));
}

}  // namespace
}  // namespace quorvel
