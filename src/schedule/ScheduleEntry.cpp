#include "schedule/ScheduleEntry.h"

#include "playback/AddressPolicy.h"

#include <array>
#include <charconv>
#include <map>

namespace quorvel {
namespace {

// The last second of the year 9999.
constexpr std::int64_t kMaxTime = 253402300799;
constexpr std::size_t kMaxTextBytes = 8192;

constexpr std::array<std::pair<EntryState, std::string_view>, 5> kStateNames = {{
    {EntryState::Scheduled, "scheduled"},
    {EntryState::Running, "running"},
    {EntryState::Finished, "finished"},
    {EntryState::Failed, "failed"},
    {EntryState::Missed, "missed"},
}};

bool Unreserved(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '-' ||
           c == '.' || c == '_' || c == '~' || c == ':' || c == '/';
}

void AppendEscaped(std::string& out, std::string_view text) {
    constexpr char kHex[] = "0123456789ABCDEF";
    for (const char c : text) {
        if (Unreserved(c)) {
            out.push_back(c);
            continue;
        }
        const auto byte = static_cast<unsigned char>(c);
        out.push_back('%');
        out.push_back(kHex[byte >> 4]);
        out.push_back(kHex[byte & 15]);
    }
}

int HexValue(char c) {
    if (c >= '0' && c <= '9')
        return c - '0';
    if (c >= 'A' && c <= 'F')
        return c - 'A' + 10;
    if (c >= 'a' && c <= 'f')
        return c - 'a' + 10;
    return -1;
}

std::optional<std::string> Unescape(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '%') {
            out.push_back(text[i]);
            continue;
        }
        if (i + 2 >= text.size())
            return std::nullopt;
        const int high = HexValue(text[i + 1]);
        const int low = HexValue(text[i + 2]);
        if (high < 0 || low < 0)
            return std::nullopt;
        out.push_back(static_cast<char>(high * 16 + low));
        i += 2;
    }
    return out;
}

std::optional<std::int64_t> Whole(const std::string& text) {
    std::int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc() || result.ptr != end)
        return std::nullopt;
    return value;
}

}  // namespace

std::string_view StateName(EntryState state) {
    for (const auto& [value, name] : kStateNames) {
        if (value == state)
            return name;
    }
    return "scheduled";
}

std::string EntryProblem(const ScheduleEntry& entry) {
    if (entry.channel.empty())
        return "The entry names no channel.";
    for (const std::string* text : {&entry.channel, &entry.address, &entry.userAgent,
                                    &entry.referrer, &entry.title, &entry.reason, &entry.file}) {
        if (text->size() > kMaxTextBytes)
            return "A text of the entry is too long.";
    }
    if (entry.kind == EntryKind::Recording) {
        const AddressCheck check = CheckAddress(entry.address);
        if (check.kind != AddressKind::NetworkStream)
            return check.reason.empty() ? "Only streams of a server can be recorded."
                                        : check.reason;
    }
    if (entry.start < 0 || entry.stop > kMaxTime || entry.stop <= entry.start)
        return "The programme's times are not valid.";
    if (entry.stop - entry.start > kMaxProgrammeSeconds)
        return "The programme is longer than a week.";
    for (const std::int64_t margin : {entry.marginBefore, entry.marginAfter, entry.lead}) {
        if (margin < 0 || margin > kMaxMargin)
            return "Margins and lead times run from 0 to 24 hours.";
    }
    return {};
}

std::string EncodeEntry(const ScheduleEntry& entry) {
    std::string out;
    const auto field = [&out](std::string_view key, std::string_view value) {
        if (!out.empty())
            out.push_back('&');
        out += key;
        out.push_back('=');
        AppendEscaped(out, value);
    };
    field("kind", entry.kind == EntryKind::Recording ? "recording" : "reminder");
    field("channel", entry.channel);
    field("address", entry.address);
    field("start", std::to_string(entry.start));
    field("stop", std::to_string(entry.stop));
    field("state", StateName(entry.state));
    if (entry.kind == EntryKind::Recording) {
        field("before", std::to_string(entry.marginBefore));
        field("after", std::to_string(entry.marginAfter));
    } else {
        field("lead", std::to_string(entry.lead));
    }
    if (entry.series)
        field("series", "1");
    for (const auto& [key, value] :
         {std::pair<std::string_view, const std::string*>{"title", &entry.title},
          {"agent", &entry.userAgent},
          {"referrer", &entry.referrer},
          {"reason", &entry.reason},
          {"file", &entry.file}}) {
        if (!value->empty())
            field(key, *value);
    }
    return out;
}

std::optional<ScheduleEntry> DecodeEntry(std::string_view text) {
    std::map<std::string, std::string, std::less<>> fields;
    while (!text.empty()) {
        const std::size_t amp = text.find('&');
        const std::string_view pair = text.substr(0, amp);
        const std::size_t equals = pair.find('=');
        if (equals == std::string_view::npos)
            return std::nullopt;
        auto value = Unescape(pair.substr(equals + 1));
        if (!value)
            return std::nullopt;
        // Keys of later versions are passed over; a key given twice is damage.
        if (!fields.emplace(std::string(pair.substr(0, equals)), std::move(*value)).second)
            return std::nullopt;
        if (amp == std::string_view::npos)
            break;
        text.remove_prefix(amp + 1);
    }
    const auto get = [&fields](std::string_view key) -> const std::string* {
        const auto it = fields.find(key);
        return it == fields.end() ? nullptr : &it->second;
    };
    ScheduleEntry entry;
    const std::string* kind = get("kind");
    if (kind == nullptr || (*kind != "recording" && *kind != "reminder"))
        return std::nullopt;
    entry.kind = *kind == "recording" ? EntryKind::Recording : EntryKind::Reminder;
    for (const auto& [key, target] :
         {std::pair<std::string_view, std::int64_t*>{"start", &entry.start},
          {"stop", &entry.stop},
          {"before", &entry.marginBefore},
          {"after", &entry.marginAfter},
          {"lead", &entry.lead}}) {
        const std::string* value = get(key);
        const bool needed = key == "start" || key == "stop";
        if (value == nullptr) {
            if (needed)
                return std::nullopt;
            continue;
        }
        const auto number = Whole(*value);
        if (!number)
            return std::nullopt;
        *target = *number;
    }
    const std::string* state = get("state");
    if (state == nullptr)
        return std::nullopt;
    bool known = false;
    for (const auto& [value, name] : kStateNames) {
        if (*state == name) {
            entry.state = value;
            known = true;
        }
    }
    if (!known)
        return std::nullopt;
    for (const auto& [key, target] :
         {std::pair<std::string_view, std::string*>{"channel", &entry.channel},
          {"address", &entry.address},
          {"title", &entry.title},
          {"agent", &entry.userAgent},
          {"referrer", &entry.referrer},
          {"reason", &entry.reason},
          {"file", &entry.file}}) {
        if (const std::string* value = get(key))
            *target = *value;
    }
    if (const std::string* series = get("series"))
        entry.series = *series == "1";
    if (!EntryProblem(entry).empty())
        return std::nullopt;
    return entry;
}

}  // namespace quorvel
