#include "playlists/PlaylistReader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <unordered_map>

#include "files/TextCase.h"
#include "files/TextLines.h"
#include "m3u/M3uParser.h"
#include "playback/WindowsPlaylist.h"
#include "playlists/ChannelHeaders.h"

namespace quorvel {
namespace {

// `text` cut to at most `limit` bytes without splitting a UTF-8 sequence.
std::string_view CutAtCharacter(std::string_view text, std::size_t limit) {
    if (text.size() <= limit)
        return text;
    std::size_t end = limit;
    while (end > 0 && (static_cast<unsigned char>(text[end]) & 0xC0) == 0x80)
        --end;
    return text.substr(0, end);
}

// An address line with a control character is binary data, not an address.
bool HasControlCharacter(std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return true;
    }
    return false;
}

using Field = std::string PlaylistChannel::*;

struct Attribute {
    std::string_view name;
    Field field;
};

// #EXTINF attributes and where they go; the first of each name counts.
constexpr std::array<Attribute, 13> kAttributes = {{
    {"tvg-id", &PlaylistChannel::tvgId},
    {"tvg-name", &PlaylistChannel::tvgName},
    {"tvg-logo", &PlaylistChannel::tvgLogo},
    {"tvg-language", &PlaylistChannel::tvgLanguage},
    {"tvg-country", &PlaylistChannel::tvgCountry},
    {"tvg-shift", &PlaylistChannel::tvgShift},
    {"group-title", &PlaylistChannel::group},
    {"catchup", &PlaylistChannel::catchup},
    {"catchup-source", &PlaylistChannel::catchupSource},
    {"catchup-days", &PlaylistChannel::catchupDays},
    {"timeshift", &PlaylistChannel::timeshift},
    {"user-agent", &PlaylistChannel::userAgent},
    {"http-referrer", &PlaylistChannel::referrer},
}};

// Sets a header value when it is safe to send, counting the refusal otherwise.
void SetHeader(std::string& field, std::string_view value, Playlist& playlist) {
    if (IsSafeHeaderValue(value)) {
        field.assign(value);
    } else {
        field.clear();
        ++playlist.refusedHeaders;
    }
}

void FinishName(PlaylistChannel& channel) {
    if (channel.name.empty())
        channel.name = channel.tvgName.empty() ? channel.address : channel.tvgName;
    if (channel.name.size() > kMaxChannelNameBytes)
        channel.name.resize(CutAtCharacter(channel.name, kMaxChannelNameBytes).size());
}

void AddGuideAddresses(std::string_view list, std::vector<std::string>& guides) {
    while (!list.empty()) {
        const std::size_t comma = list.find(',');
        std::string_view address = TrimBlanks(list.substr(0, comma));
        list = comma == std::string_view::npos ? std::string_view{} : list.substr(comma + 1);
        while (!address.empty() && address.back() == '\t')
            address.remove_suffix(1);
        // A header names a handful; a list of thousands is someone's mistake.
        if (address.empty() || guides.size() >= 64)
            continue;
        bool known = false;
        for (const auto& guide : guides)
            known = known || guide == address;
        if (!known)
            guides.emplace_back(address);
    }
}

PlaylistChannel ChannelOf(M3uEntry&& entry, Playlist& playlist) {
    PlaylistChannel channel;
    std::string_view tvgRec;
    std::string_view attributeAgent;
    bool agentSeen = false;
    ForEachM3uAttribute(entry.attributes, [&](std::string_view name, std::string_view value) {
        if (EqualsIgnoringCase(name, "tvg-rec")) {
            if (tvgRec.empty())
                tvgRec = value;
            return false;
        }
        for (const Attribute& known : kAttributes) {
            if (!EqualsIgnoringCase(name, known.name))
                continue;
            std::string& field = channel.*known.field;
            if (known.field == &PlaylistChannel::userAgent) {
                if (!agentSeen)
                    attributeAgent = value;
                agentSeen = true;
            } else if (field.empty()) {
                field.assign(value);
            }
            break;
        }
        return false;
    });
    if (channel.group.empty())
        channel.group = std::move(entry.group);
    if (channel.catchupDays.empty())
        channel.catchupDays = channel.timeshift.empty() ? std::string(tvgRec) : channel.timeshift;

    // Later ways of giving a header win over earlier ones, in the order a playlist writes
    // them: the #EXTINF attribute, then #EXTVLCOPT lines, then the address's suffix.
    std::optional<std::string_view> agent;
    std::optional<std::string_view> referrer;
    if (agentSeen)
        agent = attributeAgent;
    if (!channel.referrer.empty())
        referrer = channel.referrer;
    std::string_view options = entry.options;
    while (!options.empty()) {
        const std::size_t end = options.find('\n');
        const std::string_view option = options.substr(0, end);
        options = end == std::string_view::npos ? std::string_view{} : options.substr(end + 1);
        if (const auto value = OptionValue(option, "http-user-agent"))
            agent = value;
        else if (const auto referrerValue = OptionValue(option, "http-referrer"))
            referrer = referrerValue;
        else if (const auto refererValue = OptionValue(option, "http-referer"))
            referrer = refererValue;
    }
    const AddressSuffix suffix = SplitAddressSuffix(entry.url);
    if (suffix.userAgent)
        agent = *suffix.userAgent;
    if (suffix.referrer)
        referrer = *suffix.referrer;
    std::string agentValue(agent.value_or(""));
    std::string referrerValue(referrer.value_or(""));
    SetHeader(channel.userAgent, agentValue, playlist);
    SetHeader(channel.referrer, referrerValue, playlist);

    channel.address.assign(suffix.address);
    channel.name = std::move(entry.title);
    FinishName(channel);
    return channel;
}

// How many address lines (not blank, not "#") the text holds, at most the cap: the channels
// are reserved once, since a vector growing by doubling holds its old and new storage at
// once, which for a big list was a third more than the list itself.
std::size_t CountAddressLines(std::string_view bytes) {
    std::size_t count = 0;
    std::size_t start = 0;
    while (start < bytes.size() && count < kMaxPlaylistChannels) {
        const void* found = std::memchr(bytes.data() + start, '\n', bytes.size() - start);
        const std::size_t end =
            found ? static_cast<std::size_t>(static_cast<const char*>(found) - bytes.data())
                  : bytes.size();
        std::size_t i = start;
        while (i < end && (bytes[i] == ' ' || bytes[i] == '\t' || bytes[i] == '\r'))
            ++i;
        if (i < end && bytes[i] != '#')
            ++count;
        start = end + 1;
    }
    return count;
}

void ReadM3uChannels(std::string_view bytes, Playlist& playlist) {
    playlist.channels.reserve(CountAddressLines(bytes));
    M3uPlaylist read;
    ReadM3u(bytes, read, [&](M3uEntry&& entry) {
        PlaylistChannel channel = ChannelOf(std::move(entry), playlist);
        if (channel.address.empty() || HasControlCharacter(channel.address))
            ++playlist.entriesWithoutAddress;
        else
            playlist.channels.push_back(std::move(channel));
    });
    playlist.entriesWithoutAddress += read.entriesWithoutAddress;
    playlist.tooManyEntries = read.tooManyEntries;
    playlist.title = read.title.substr(0, CutAtCharacter(read.title, kMaxChannelNameBytes).size());
    ForEachM3uAttribute(read.headerAttributes, [&](std::string_view name, std::string_view value) {
        if (EqualsIgnoringCase(name, "url-tvg") || EqualsIgnoringCase(name, "x-tvg-url"))
            AddGuideAddresses(value, playlist.guideAddresses);
        return false;
    });
}

// "FileN=" and "TitleN=" lines; a channel per N, in the order of N.
void ReadPlsChannels(std::string_view bytes, Playlist& playlist) {
    constexpr std::array<std::string_view, 2> kKeys = {"File", "Title"};
    std::unordered_map<std::uint32_t, std::size_t> byNumber;
    std::vector<std::uint32_t> numbers;
    ForEachNumberedLine(bytes, kKeys,
                        [&](std::size_t key, std::uint32_t number, std::string_view value) {
                            auto found = byNumber.find(number);
                            if (found == byNumber.end()) {
                                if (numbers.size() == kMaxPlaylistChannels) {
                                    playlist.tooManyEntries = true;
                                    return;
                                }
                                found = byNumber.emplace(number, numbers.size()).first;
                                numbers.push_back(number);
                                playlist.channels.emplace_back();
                            }
                            PlaylistChannel& channel = playlist.channels[found->second];
                            std::string& field = key == 0 ? channel.address : channel.name;
                            if (field.empty())
                                field.assign(value);
                        });
    std::vector<std::size_t> order(numbers.size());
    for (std::size_t i = 0; i < order.size(); ++i)
        order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return numbers[a] < numbers[b]; });
    std::vector<PlaylistChannel> channels;
    channels.reserve(order.size());
    for (const std::size_t i : order) {
        PlaylistChannel& channel = playlist.channels[i];
        const AddressSuffix suffix = SplitAddressSuffix(channel.address);
        if (suffix.userAgent)
            SetHeader(channel.userAgent, *suffix.userAgent, playlist);
        if (suffix.referrer)
            SetHeader(channel.referrer, *suffix.referrer, playlist);
        channel.address = std::string(suffix.address);
        if (channel.address.empty() || HasControlCharacter(channel.address)) {
            ++playlist.entriesWithoutAddress;
            continue;
        }
        FinishName(channel);
        channels.push_back(std::move(channel));
    }
    playlist.channels = std::move(channels);
}

PlaylistKind KindOf(std::string_view bytes, std::string_view name) {
    // A web page (a portal's login, a server's error) under a playlist's name.
    if (SkipByteOrderMarkAndSpace(bytes).substr(0, 1) == "<")
        return PlaylistKind::NotAPlaylist;
    switch (DetectAnyPlaylistFormat(bytes, name)) {
        case PlaylistFormat::M3u:
            return PlaylistKind::M3u;
        case PlaylistFormat::Pls:
            return PlaylistKind::Pls;
        case PlaylistFormat::NotAPlaylist:
            break;
        default:
            return PlaylistKind::NotAPlaylist;
    }
    const std::string_view path = name.substr(0, name.find_first_of("?#"));
    if (path.size() >= 5 && EqualsIgnoringCase(path.substr(path.size() - 5), ".m3u8") &&
        bytes.substr(0, 4096).find('\0') == std::string_view::npos)
        return PlaylistKind::M3u;
    return PlaylistKind::NotAPlaylist;
}

}  // namespace

Playlist ReadPlaylist(std::string_view bytes, std::string_view name) {
    Playlist playlist;
    playlist.kind = KindOf(bytes, name);
    if (playlist.kind == PlaylistKind::M3u)
        ReadM3uChannels(bytes, playlist);
    else if (playlist.kind == PlaylistKind::Pls)
        ReadPlsChannels(bytes, playlist);
    return playlist;
}

void ResolveChannelAddresses(Playlist& playlist, std::string_view playlistAddress) {
    for (PlaylistChannel& channel : playlist.channels)
        channel.address = ResolvePlaylistEntry(playlistAddress, channel.address);
}

}  // namespace quorvel
