// Catch-up templates from a playlist give a whole address the policy takes, or a reason and
// nothing; a stored schedule entry that reads back is written and read again unchanged.
#include "FuzzCheck.h"

#include "guide/CatchupAddress.h"
#include "playback/AddressPolicy.h"
#include "schedule/ScheduleEntry.h"

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

namespace {

constexpr const char* kKinds[] = {"default", "append", "shift", "flussonic", "fs", "xc", ""};

std::int64_t TimeFrom(const std::uint8_t* data) {
    std::uint32_t value = 0;
    std::memcpy(&value, data, sizeof value);
    // Around the 32-bit edge and the years 1970 to 9999, now and then past them.
    return static_cast<std::int64_t>(value) * 61;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 13)
        return 0;
    const std::string text(reinterpret_cast<const char*>(data) + 13, size - 13);

    // The first byte picks the kind; the text is the template, or the channel's address.
    const char* kind = kKinds[data[0] % std::size(kKinds)];
    quorvel::guide::CatchupAttributes channel;
    channel.catchup = kind;
    if (data[0] & 0x80) {
        channel.address = text;
    } else {
        channel.address = "http://tv.example:8080/live/user/pass/42.m3u8";
        channel.catchupSource = text;
    }
    channel.catchupDays = std::to_string(static_cast<int>(data[1]) - 8);
    const quorvel::guide::CatchupTimes times{TimeFrom(data + 1), TimeFrom(data + 5),
                                             TimeFrom(data + 9)};
    const auto built = quorvel::guide::BuildCatchupAddress(channel, times);
    if (built.Playable()) {
        const quorvel::AddressCheck check = quorvel::CheckAddress(built.address);
        FUZZ_CHECK(check.kind == quorvel::AddressKind::NetworkStream);
        FUZZ_CHECK(check.address == built.address);
    } else {
        FUZZ_CHECK(built.address.empty());
        FUZZ_CHECK(!built.problem.empty());
    }
    const auto expanded = quorvel::guide::ExpandCatchupTemplate(text, times);
    FUZZ_CHECK(expanded.Playable() ? expanded.problem.empty() : expanded.address.empty());
    FUZZ_CHECK(expanded.address.size() <= 8 * quorvel::guide::kMaxCatchupTemplateBytes);

    // The same bytes as a stored entry.
    if (const auto entry = quorvel::DecodeEntry(text)) {
        FUZZ_CHECK(quorvel::EntryProblem(*entry).empty());
        const auto again = quorvel::DecodeEntry(quorvel::EncodeEntry(*entry));
        FUZZ_CHECK(again.has_value() && *again == *entry);
    }
    return 0;
}
