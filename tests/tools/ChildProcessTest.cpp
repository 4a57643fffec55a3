// The helper the tool tests run their programs with.
#include "ChildProcess.h"

#include <gtest/gtest.h>

namespace quorvel {
namespace {

TEST(RunProcess, WaitsForTheProgramAndStopsOneThatNeverEnds) {
    const test::ProcessResult done =
        test::RunProcess("/bin/sh", {"-c", "cat; echo oops >&2; exit 7"}, "input");
    EXPECT_EQ(done.exitStatus, 7);
    EXPECT_EQ(done.out, "input");
    EXPECT_EQ(done.err, "oops\n");

    // Stopped by its own hand, it never ends: the guard ends it instead of the run hanging.
    const test::ProcessResult stuck =
        test::RunProcess("/bin/sh", {"-c", "kill -STOP $$"}, std::nullopt, 1);
    EXPECT_EQ(stuck.exitStatus, -1);
    EXPECT_EQ(stuck.err, "timed out\n");
}

}  // namespace
}  // namespace quorvel
