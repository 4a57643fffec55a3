#include "playlists/PlaylistBrowsing.h"

#include <algorithm>
#include <unordered_set>

#include "files/TextCase.h"
#include "playback/AddressPolicy.h"

namespace quorvel {
namespace {

template <typename Fn>
void ForEachLanguage(std::string_view languages, Fn&& fn) {
    while (!languages.empty()) {
        const std::size_t stop = languages.find_first_of(";,");
        const std::string_view language = TrimSpacesAndTabs(languages.substr(0, stop));
        languages =
            stop == std::string_view::npos ? std::string_view{} : languages.substr(stop + 1);
        if (!language.empty())
            fn(language);
    }
}

// Distinct texts, letter case ignored, in sorted order.
class Distinct {
public:
    void Add(std::string_view text) {
        if (!text.empty() && m_seen.insert(ToLowerAscii(text)).second)
            m_texts.emplace_back(text);
    }
    std::vector<std::string> Sorted() {
        std::sort(m_texts.begin(), m_texts.end(), [](const std::string& a, const std::string& b) {
            return ToLowerAscii(a) < ToLowerAscii(b);
        });
        return std::move(m_texts);
    }

private:
    std::unordered_set<std::string> m_seen;
    std::vector<std::string> m_texts;
};

bool EndsWithIgnoringCase(std::string_view text, std::string_view end) {
    return text.size() >= end.size() &&
           EqualsIgnoringCase(text.substr(text.size() - end.size()), end);
}

}  // namespace

std::vector<std::string> PlaylistTypeChoices(const std::vector<const Playlist*>& playlists) {
    Distinct groups;
    Distinct languages;
    for (const Playlist* playlist : playlists) {
        for (const PlaylistChannel& channel : playlist->channels) {
            groups.Add(channel.group);
            ForEachLanguage(channel.tvgLanguage, [&](std::string_view l) { languages.Add(l); });
        }
    }
    std::vector<std::string> choices{"All"};
    for (auto* list : {&groups, &languages}) {
        for (std::string& text : list->Sorted())
            choices.push_back(std::move(text));
    }
    return choices;
}

bool ChannelHasType(const PlaylistChannel& channel, std::string_view type) {
    if (type == "All" || EqualsIgnoringCase(channel.group, type))
        return true;
    bool found = false;
    ForEachLanguage(channel.tvgLanguage, [&](std::string_view language) {
        found = found || EqualsIgnoringCase(language, type);
    });
    return found;
}

ListRow PlaylistChannelRow(const PlaylistChannel& channel, const std::string& playlistName) {
    ListRow row;
    row.text = channel.name;
    row.tag = channel.address;
    row.subItems = {playlistName, channel.group};
    row.logo = channel.tvgLogo;
    return row;
}

bool NamesPlaylist(std::string_view addressOrPath) {
    const bool network =
        !SchemeOf(addressOrPath).empty() && !EqualsIgnoringCase(SchemeOf(addressOrPath), "file");
    const std::string_view path =
        network ? addressOrPath.substr(0, addressOrPath.find_first_of("?#")) : addressOrPath;
    return EndsWithIgnoringCase(path, ".m3u") || EndsWithIgnoringCase(path, ".pls") ||
           (!network && EndsWithIgnoringCase(path, ".m3u8"));
}

}  // namespace quorvel
