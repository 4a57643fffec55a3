#include <gtest/gtest.h>

#include "logos/LogoPolicy.h"

namespace quorvel {
namespace {

constexpr std::int64_t kNow = 2'000'000'000;
constexpr std::int64_t kWeek = kLogoRecheckSeconds;
constexpr std::int64_t kDay = kLogoRetrySeconds;

LogoRecord Fetched(std::int64_t at, std::int64_t failed = 0) {
    return {"http://logo.example/a.png", at, "\"v1\"", failed};
}

TEST(LogoPolicyTest, WeekForACopyDayForAFailureEachAtItsLimitAndOnePast) {
    struct Row {
        const char* what;
        std::optional<LogoRecord> record;
        bool haveCopy;
        LogoStep step;
    };
    const Row rows[] = {
        {"never asked", std::nullopt, false, LogoStep::Fetch},
        {"a copy without a record", std::nullopt, true, LogoStep::Fetch},
        {"a record whose copy went", Fetched(kNow - 10), false, LogoStep::Fetch},
        {"fetched just now", Fetched(kNow), true, LogoStep::UseCopy},
        {"a week less a second", Fetched(kNow - kWeek + 1), true, LogoStep::UseCopy},
        {"a week", Fetched(kNow - kWeek), true, LogoStep::Revalidate},
        {"never fetched, a copy", Fetched(0), true, LogoStep::Revalidate},
        {"fetched in the future", Fetched(kNow + 60), true, LogoStep::Revalidate},
        {"failed a day less a second ago", Fetched(0, kNow - kDay + 1), false, LogoStep::Wait},
        {"failed a day ago", Fetched(0, kNow - kDay), false, LogoStep::Fetch},
        {"failed in the future", Fetched(0, kNow + 60), false, LogoStep::Fetch},
        {"stale copy, failed lately", Fetched(kNow - 2 * kWeek, kNow - 10), true,
         LogoStep::UseCopy},
        {"stale copy, failed a day ago", Fetched(kNow - 2 * kWeek, kNow - kDay), true,
         LogoStep::Revalidate},
    };
    for (const Row& row : rows)
        EXPECT_EQ(NextLogoStep(row.record, row.haveCopy, kNow), row.step) << row.what;
}

TEST(LogoPolicyTest, OnlyRasterImageTypesAndWebAddressesCount) {
    const std::pair<const char*, bool> types[] = {
        {"image/png", true},
        {"IMAGE/JPEG; charset=binary", true},
        {" image/webp ", true},
        {"image/svg+xml", false},
        {"text/html", false},
        {"application/octet-stream", false},
        {"", false},
        {"image/", false},
        {"text/plain; image/png", false},
    };
    for (const auto& [type, ok] : types)
        EXPECT_EQ(IsLogoContentType(type), ok) << type;
    const std::pair<const char*, bool> addresses[] = {
        {"http://logo.example/a.png", true},  {"HTTPS://logo.example/a.png", true},
        {"file:///etc/passwd", false},        {"data:image/png;base64,AAAA", false},
        {"ftp://logo.example/a.png", false},  {"/home/user/a.png", false},
        {"http://a.example/\r\nX: y", false}, {"", false},
    };
    for (const auto& [address, ok] : addresses)
        EXPECT_EQ(IsLogoAddress(address), ok) << address;
}

}  // namespace
}  // namespace quorvel
