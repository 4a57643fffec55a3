#include "guide/GuideTime.h"

#include <cstdio>

namespace quorvel::guide {
namespace {

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const auto yoe = static_cast<unsigned>(y - era * 400);
    const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + static_cast<std::int64_t>(doe) - 719468;
}

void CivilFromDays(std::int64_t z, std::int64_t& y, unsigned& m, unsigned& d) {
    z += 719468;
    const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const auto doe = static_cast<unsigned>(z - era * 146097);
    const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const unsigned mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp < 10 ? mp + 3 : mp - 9;
    y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2);
}

bool IsLeap(std::int64_t y) {
    return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
}

unsigned DaysInMonth(std::int64_t y, unsigned m) {
    static constexpr unsigned kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    return m == 2 && IsLeap(y) ? 29 : kDays[m - 1];
}

bool Digits(std::string_view text, std::size_t at, std::size_t count, unsigned& value) {
    value = 0;
    for (std::size_t i = at; i < at + count; ++i) {
        const char c = text[i];
        if (c < '0' || c > '9')
            return false;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    return true;
}

}  // namespace

std::optional<GuideTime> ParseGuideTime(std::string_view text) {
    std::size_t digits = 0;
    while (digits < text.size() && digits < 14 && text[digits] >= '0' && text[digits] <= '9')
        ++digits;
    // Date, then hours, minutes and seconds, each whole or not at all.
    if (digits < 8 || digits % 2 != 0)
        return std::nullopt;
    unsigned year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    Digits(text, 0, 4, year);
    Digits(text, 4, 2, month);
    Digits(text, 6, 2, day);
    if (digits >= 10)
        Digits(text, 8, 2, hour);
    if (digits >= 12)
        Digits(text, 10, 2, minute);
    if (digits >= 14)
        Digits(text, 12, 2, second);
    if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59)
        return std::nullopt;

    std::string_view rest = text.substr(digits);
    std::int64_t offset = 0;
    if (!rest.empty()) {
        if (rest.front() == ' ')
            rest.remove_prefix(1);
        unsigned zoneHours = 0, zoneMinutes = 0;
        if (rest.size() != 5 || (rest[0] != '+' && rest[0] != '-') ||
            !Digits(rest, 1, 2, zoneHours) || !Digits(rest, 3, 2, zoneMinutes) || zoneMinutes > 59)
            return std::nullopt;
        offset = static_cast<std::int64_t>(zoneHours) * 3600 + zoneMinutes * 60;
        if (rest[0] == '-')
            offset = -offset;
    }
    const std::int64_t days = DaysFromCivil(year, month, day);
    return days * 86400 + hour * 3600 + minute * 60 + second - offset;
}

std::string FormatGuideTime(GuideTime time) {
    std::int64_t days = time / 86400;
    std::int64_t seconds = time % 86400;
    if (seconds < 0) {
        seconds += 86400;
        --days;
    }
    std::int64_t year = 0;
    unsigned month = 0, day = 0;
    CivilFromDays(days, year, month, day);
    char out[40];
    std::snprintf(out, sizeof out, "%04lld%02u%02u%02lld%02lld%02lld +0000",
                  static_cast<long long>(year), month, day, static_cast<long long>(seconds / 3600),
                  static_cast<long long>(seconds / 60 % 60), static_cast<long long>(seconds % 60));
    return out;
}

}  // namespace quorvel::guide
