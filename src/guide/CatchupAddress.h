#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace quorvel::guide {

// What a playlist says of a channel's archive, every text as the playlist gave it.
struct CatchupAttributes {
    std::string address;        // the channel's live address
    std::string catchup;        // catchup: default, append, shift, flussonic, fs, xc
    std::string catchupSource;  // catchup-source, a template
    std::string catchupDays;    // catchup-days (else timeshift, else tvg-rec)
    std::string timeshift;      // the older timeshift="N": shift mode, N days
};

// Seconds since 1970-01-01 00:00 UTC. 64 bits: a guide may run past 2038.
struct CatchupTimes {
    std::int64_t start = 0;
    std::int64_t stop = 0;
    std::int64_t now = 0;
};

// The address to play a programme from its start, or why it cannot be played. Never a
// half-built address: when `problem` is set, `address` is empty.
struct CatchupAddress {
    std::string address;
    std::string problem;
    bool Playable() const { return problem.empty(); }
};

// A template longer than this, or with more placeholders, is refused: a playlist entry is
// outside input.
inline constexpr std::size_t kMaxCatchupTemplateBytes = 4096;
inline constexpr std::size_t kMaxCatchupPlaceholders = 64;
// Days kept when the playlist names a kind but no number of days (or no number at all).
inline constexpr int kDefaultCatchupDays = 7;
// A larger number of days is taken as this.
inline constexpr int kMaxCatchupDays = 366;
// The last second of the year 9999: later times cannot be written in four-digit years.
inline constexpr std::int64_t kMaxCatchupTime = 253402300799;

// The days of archive the channel keeps; 0 when it keeps none (no catch-up kind, or a
// number of days of 0 or below).
int CatchupDays(const CatchupAttributes& channel);

// The address for a programme that started within the archive's days, or one on air now
// ("play from start"). Built from the channel's kind, then through the address policy.
CatchupAddress BuildCatchupAddress(const CatchupAttributes& channel, const CatchupTimes& times);

// The template with every placeholder replaced: {utc} ${start} {utcend} ${end} {lutc} ${now}
// ${timestamp} {duration} {duration:N} {offset:N} {Y} {m} {d} {H} {M} {S}, and {utc:FORMAT},
// {utcend:FORMAT}, {lutc:FORMAT} (and their ${...} names) where Y m d H M S in FORMAT stand
// for the parts of that time. Dates are in the machine's local time, as the providers' own
// players send them.
CatchupAddress ExpandCatchupTemplate(std::string_view text, const CatchupTimes& times);

}  // namespace quorvel::guide
