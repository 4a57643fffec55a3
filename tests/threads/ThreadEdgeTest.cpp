#include <gtest/gtest.h>

#include <new>
#include <optional>
#include <stdexcept>
#include <thread>

#include "threads/ThreadEdge.h"

namespace quorvel {
namespace {

// What a worker thread reports when its work throws `thrown` (nothing when it returned).
template <typename Throw>
std::optional<std::string> ReportedOnThread(Throw thrown) {
    std::optional<std::string> reported;
    std::thread worker([&] {
        RunAtThreadEdge(thrown, [&](std::string reason) { reported = std::move(reason); });
    });
    worker.join();
    return reported;
}

TEST(ThreadEdgeTest, AnyThrowBecomesAReportedReasonInsteadOfEndingTheProgram) {
    EXPECT_EQ(ReportedOnThread([] {}), std::nullopt);
    EXPECT_EQ(ReportedOnThread([] { throw std::bad_alloc(); }), "out of memory");
    EXPECT_EQ(ReportedOnThread([] { throw std::runtime_error("disk gone"); }), "disk gone");
    EXPECT_EQ(ReportedOnThread([] { throw 42; }), "unexpected error");

    // A report that fails itself still leaves the program running.
    bool reached = false;
    std::thread worker([&] {
        RunAtThreadEdge([] { throw std::runtime_error("first"); },
                        [](const std::string&) { throw std::runtime_error("second"); });
        reached = true;
    });
    worker.join();
    EXPECT_TRUE(reached);
}

}  // namespace
}  // namespace quorvel
