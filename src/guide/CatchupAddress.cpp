#include "guide/CatchupAddress.h"

#include "playback/AddressPolicy.h"

#include <charconv>
#include <ctime>
#include <optional>
#include <vector>

namespace quorvel::guide {
namespace {

enum class Mode { None, Default, Append, Shift, Flussonic, XtreamCodes };

constexpr std::int64_t kSecondsPerDay = 86400;
// A placeholder's name as shown in a message is cut here.
constexpr std::size_t kShownNameBytes = 40;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

std::string Lower(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        if (c >= 'A' && c <= 'Z')
            c = static_cast<char>(c - 'A' + 'a');
    }
    return out;
}

CatchupAddress Problem(std::string text) {
    return {{}, std::move(text)};
}

struct ModeChoice {
    Mode mode = Mode::None;
    std::string unknown;  // the kind named when it is none of ours
};

ModeChoice ModeOf(const CatchupAttributes& channel) {
    const std::string kind = Lower(Trim(channel.catchup));
    if (kind.empty()) {
        // Older playlists: timeshift="N" alone, or a source with no kind.
        if (!Trim(channel.timeshift).empty())
            return {Mode::Shift, {}};
        if (!Trim(channel.catchupSource).empty())
            return {Mode::Default, {}};
        return {Mode::None, {}};
    }
    if (kind == "default")
        return {Mode::Default, {}};
    if (kind == "append")
        return {Mode::Append, {}};
    if (kind == "shift")
        return {Mode::Shift, {}};
    if (kind == "flussonic" || kind == "flussonic-hls" || kind == "flussonic-ts" || kind == "fs")
        return {Mode::Flussonic, {}};
    if (kind == "xc")
        return {Mode::XtreamCodes, {}};
    return {Mode::None, kind};
}

// Whole decimal number, sign allowed; nothing for anything else. Beyond 64 bits: the cap.
std::optional<std::int64_t> ParseWhole(std::string_view text) {
    text = Trim(text);
    if (text.empty())
        return std::nullopt;
    const bool negative = text.front() == '-';
    if (text.front() == '-' || text.front() == '+')
        text.remove_prefix(1);
    if (text.empty())
        return std::nullopt;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
    }
    std::int64_t value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (result.ec == std::errc::result_out_of_range)
        value = INT64_MAX;
    return negative ? -value : value;
}

std::string Pad(std::int64_t value, int width) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < width)
        digits.insert(0, static_cast<std::size_t>(width) - digits.size(), '0');
    return digits;
}

std::optional<std::tm> LocalTime(std::int64_t time) {
    const auto seconds = static_cast<std::time_t>(time);
    std::tm parts{};
    if (::localtime_r(&seconds, &parts) == nullptr)
        return std::nullopt;
    return parts;
}

// One letter of a date: Y m d H M S; nothing for any other letter.
std::optional<std::string> DatePart(char letter, const std::tm& parts) {
    switch (letter) {
        case 'Y':
            return Pad(parts.tm_year + 1900LL, 4);
        case 'm':
            return Pad(parts.tm_mon + 1, 2);
        case 'd':
            return Pad(parts.tm_mday, 2);
        case 'H':
            return Pad(parts.tm_hour, 2);
        case 'M':
            return Pad(parts.tm_min, 2);
        case 'S':
            return Pad(parts.tm_sec, 2);
        default:
            return std::nullopt;
    }
}

std::string FormatDate(std::string_view format, const std::tm& parts) {
    std::string out;
    for (const char c : format) {
        if (auto part = DatePart(c, parts))
            out += *part;
        else
            out.push_back(c);
    }
    return out;
}

// A positive count of seconds for {duration:N} and {offset:N}.
std::optional<std::int64_t> ParseUnit(std::string_view text) {
    const auto unit = ParseWhole(text);
    if (!unit || *unit <= 0 || text.front() == '+' || text.front() == '-')
        return std::nullopt;
    return unit;
}

class Expander {
public:
    explicit Expander(const CatchupTimes& times) : m_times(times) {}

    // The text the placeholder stands for; nothing when it is not known.
    std::optional<std::string> Replace(std::string_view name, std::optional<std::string_view> arg) {
        if (name == "utc" || name == "start")
            return Time(m_times.start, arg);
        if (name == "utcend" || name == "end")
            return Time(m_times.stop, arg);
        if (name == "lutc" || name == "now" || name == "timestamp")
            return Time(m_times.now, arg);
        if (name == "duration")
            return Span(m_times.stop - m_times.start, arg);
        if (name == "offset")
            return Span(m_times.now - m_times.start, arg);
        if (name.size() == 1 && !arg) {
            if (const auto parts = LocalTime(m_times.start))
                return DatePart(name.front(), *parts);
        }
        return std::nullopt;
    }

private:
    static std::optional<std::string> Time(std::int64_t time,
                                           std::optional<std::string_view> format) {
        if (!format)
            return std::to_string(time);
        if (format->empty())
            return std::nullopt;
        const auto parts = LocalTime(time);
        if (!parts)
            return std::nullopt;
        return FormatDate(*format, *parts);
    }

    static std::optional<std::string> Span(std::int64_t seconds,
                                           std::optional<std::string_view> unit) {
        if (!unit)
            return std::to_string(seconds);
        const auto size = ParseUnit(*unit);
        if (!size)
            return std::nullopt;
        return std::to_string(seconds / *size);
    }

    const CatchupTimes& m_times;
};

std::string Shown(std::string_view placeholder) {
    if (placeholder.size() <= kShownNameBytes)
        return std::string(placeholder);
    std::size_t cut = kShownNameBytes;
    while (cut > 0 && (static_cast<unsigned char>(placeholder[cut]) & 0xC0) == 0x80)
        --cut;
    return std::string(placeholder.substr(0, cut)) + "...";
}

struct SplitAddress {
    std::string host;   // "http://example:80"
    std::string path;   // after the host's "/", without the query
    std::string query;  // "?..." or empty
};

std::optional<SplitAddress> Split(std::string_view address) {
    const std::string scheme = SchemeOf(address);
    if (scheme != "http" && scheme != "https")
        return std::nullopt;
    const std::size_t hostStart = scheme.size() + 3;
    const std::size_t slash = address.find('/', hostStart);
    if (slash == std::string_view::npos || slash == hostStart)
        return std::nullopt;
    SplitAddress split;
    split.host = std::string(address.substr(0, slash));
    std::string_view rest = address.substr(slash + 1);
    if (const std::size_t question = rest.find('?'); question != std::string_view::npos) {
        split.query = std::string(rest.substr(question));
        rest = rest.substr(0, question);
    }
    split.path = std::string(rest);
    return split;
}

bool EndsWith(std::string_view text, std::string_view end) {
    return text.size() >= end.size() && text.substr(text.size() - end.size()) == end;
}

// ".../CHANNEL/mpegts", ".../CHANNEL/index.m3u8" or ".../CHANNEL/NAME.m3u8", query kept.
std::optional<std::string> FlussonicTemplate(std::string_view address) {
    const auto split = Split(address);
    if (!split)
        return std::nullopt;
    const std::size_t last = split->path.rfind('/');
    if (last == std::string::npos || last == 0)
        return std::nullopt;
    const std::string channel = split->path.substr(0, last);
    const std::string file = split->path.substr(last + 1);
    const std::string base = split->host + "/" + channel + "/";
    if (file == "mpegts")
        return base + "timeshift_abs-${start}.ts" + split->query;
    if (!EndsWith(file, ".m3u8"))
        return std::nullopt;
    const std::string name = file.substr(0, file.size() - 5);
    if (name == "index")
        return base + "timeshift_rel-{offset:1}.m3u8" + split->query;
    return base + name + "-timeshift_rel-{offset:1}.m3u8" + split->query;
}

// "[live/]USER/PASSWORD/ID[.m3u8|.m3u]" without a query.
std::optional<std::string> XtreamCodesTemplate(std::string_view address) {
    const auto split = Split(address);
    if (!split || !split->query.empty())
        return std::nullopt;
    std::vector<std::string_view> parts;
    std::string_view rest = split->path;
    while (true) {
        const std::size_t slash = rest.find('/');
        parts.push_back(rest.substr(0, slash));
        if (slash == std::string_view::npos)
            break;
        rest.remove_prefix(slash + 1);
    }
    if (parts.size() == 4 && parts.front() == "live")
        parts.erase(parts.begin());
    if (parts.size() != 3)
        return std::nullopt;
    for (const auto part : parts) {
        if (part.empty())
            return std::nullopt;
    }
    std::string_view id = parts[2];
    std::string extension = ".ts";
    if (const std::size_t dot = id.find('.'); dot != std::string_view::npos) {
        extension = std::string(id.substr(dot));
        id = id.substr(0, dot);
        if ((extension != ".m3u8" && extension != ".m3u") || id.empty())
            return std::nullopt;
    }
    return split->host + "/timeshift/" + std::string(parts[0]) + "/" + std::string(parts[1]) +
           "/{duration:60}/{Y}-{m}-{d}:{H}-{M}/" + std::string(id) + extension;
}

std::string DaysText(int days) {
    return days == 1 ? "1 day" : std::to_string(days) + " days";
}

}  // namespace

int CatchupDays(const CatchupAttributes& channel) {
    if (ModeOf(channel).mode == Mode::None)
        return 0;
    // The older attribute counts when catchup-days is not given.
    const std::string_view text =
        Trim(channel.catchupDays).empty() ? channel.timeshift : channel.catchupDays;
    const auto days = ParseWhole(text);
    if (!days)
        return kDefaultCatchupDays;
    if (*days <= 0)
        return 0;
    return *days > kMaxCatchupDays ? kMaxCatchupDays : static_cast<int>(*days);
}

CatchupAddress ExpandCatchupTemplate(std::string_view text, const CatchupTimes& times) {
    if (text.size() > kMaxCatchupTemplateBytes) {
        return Problem("The channel's catch-up address is longer than " +
                       std::to_string(kMaxCatchupTemplateBytes) + " characters.");
    }
    for (const std::int64_t time : {times.start, times.stop, times.now}) {
        if (time < 0 || time > kMaxCatchupTime)
            return Problem("The programme's times lie outside the years 1970 to 9999.");
    }
    Expander expander(times);
    std::string out;
    std::size_t placeholders = 0;
    std::size_t i = 0;
    while (i < text.size()) {
        const bool dollar = text[i] == '$' && i + 1 < text.size() && text[i + 1] == '{';
        if (text[i] != '{' && !dollar) {
            out.push_back(text[i++]);
            continue;
        }
        const std::size_t open = dollar ? i + 1 : i;
        const std::size_t close = text.find('}', open);
        if (close == std::string_view::npos) {
            return Problem("The channel's catch-up address has a \"{\" without its \"}\".");
        }
        if (++placeholders > kMaxCatchupPlaceholders) {
            return Problem("The channel's catch-up address has more than " +
                           std::to_string(kMaxCatchupPlaceholders) + " placeholders.");
        }
        const std::string_view whole = text.substr(i, close + 1 - i);
        const std::string_view inner = text.substr(open + 1, close - open - 1);
        std::string_view name = inner;
        std::optional<std::string_view> arg;
        if (const std::size_t colon = inner.find(':'); colon != std::string_view::npos) {
            name = inner.substr(0, colon);
            arg = inner.substr(colon + 1);
        }
        const auto value = expander.Replace(name, arg);
        if (!value) {
            return Problem("The channel's catch-up address uses the placeholder " + Shown(whole) +
                           ", which is not known.");
        }
        out += *value;
        i = close + 1;
    }
    return {std::move(out), {}};
}

CatchupAddress BuildCatchupAddress(const CatchupAttributes& channel, const CatchupTimes& times) {
    const ModeChoice choice = ModeOf(channel);
    if (!choice.unknown.empty()) {
        return Problem("The channel's catch-up kind \"" + Shown(choice.unknown) +
                       "\" is not known.");
    }
    const int days = CatchupDays(channel);
    if (choice.mode == Mode::None || days == 0)
        return Problem("This channel keeps no archive of past programmes.");
    for (const std::int64_t time : {times.start, times.stop, times.now}) {
        if (time < 0 || time > kMaxCatchupTime)
            return Problem("The programme's times lie outside the years 1970 to 9999.");
    }
    if (times.stop <= times.start)
        return Problem("The programme ends before it starts.");
    if (times.start > times.now)
        return Problem("The programme has not started yet.");
    if (times.now - times.start > days * kSecondsPerDay) {
        return Problem("The programme aired too long ago: the channel keeps " + DaysText(days) +
                       " of programmes.");
    }

    const std::string source(Trim(channel.catchupSource));
    std::string pattern;
    switch (choice.mode) {
        case Mode::Default:
            pattern = source;
            break;
        case Mode::Append:
            if (!source.empty())
                pattern = channel.address + source;
            break;
        case Mode::Shift:
            pattern = channel.address +
                      (channel.address.find('?') == std::string::npos ? "?" : "&") +
                      "utc={utc}&lutc={lutc}";
            break;
        case Mode::Flussonic:
        case Mode::XtreamCodes: {
            // A source given in the playlist wins over the one the convention derives.
            if (!source.empty()) {
                pattern = source;
                break;
            }
            const auto derived = choice.mode == Mode::Flussonic
                                     ? FlussonicTemplate(channel.address)
                                     : XtreamCodesTemplate(channel.address);
            if (!derived) {
                return Problem("The channel's address is not of the form its catch-up kind needs.");
            }
            pattern = *derived;
            break;
        }
        case Mode::None:
            break;
    }
    if (pattern.empty())
        return Problem("The channel's playlist gives no catch-up address.");

    CatchupAddress built = ExpandCatchupTemplate(pattern, times);
    if (!built.Playable())
        return built;
    const AddressCheck check = CheckAddress(built.address);
    if (check.kind == AddressKind::Refused)
        return Problem("The catch-up address cannot be played: " + check.reason);
    if (check.kind != AddressKind::NetworkStream)
        return Problem("The catch-up address names no stream of a server.");
    return {check.address, {}};
}

}  // namespace quorvel::guide
