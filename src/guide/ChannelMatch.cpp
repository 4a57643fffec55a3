#include "guide/ChannelMatch.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "search/SearchFold.h"

namespace quorvel::guide {
namespace {

bool IsSeparator(char c) {
    return c == ' ' || c == '_' || c == '-' || c == '.';
}

}  // namespace

std::string MatchFold(std::string_view name) {
    std::string folded = SearchFold(name);
    // The quality tag only as a word of its own: "BBC One HD", "BBC_One_FHD".
    while (!folded.empty() && IsSeparator(folded.back()))
        folded.pop_back();
    for (const std::string_view tag : {"fhd", "hd", "4k"}) {
        if (folded.size() > tag.size() && folded.ends_with(tag) &&
            IsSeparator(folded[folded.size() - tag.size() - 1])) {
            folded.resize(folded.size() - tag.size());
            break;
        }
    }
    std::erase_if(folded, [](char c) { return c == ' ' || c == '_'; });
    return folded;
}

ChannelMatcher::ChannelMatcher(const std::vector<GuideChannelNames>& guideChannels,
                               std::map<std::string, std::string> byHand)
    : m_byHand(std::move(byHand)) {
    for (const auto& channel : guideChannels) {
        const std::size_t index = m_channelIds.size();
        m_channelIds.push_back(channel.id);
        m_ids.emplace(channel.id, index);
        for (const auto& name : channel.displayNames) {
            if (std::string folded = MatchFold(name); !folded.empty())
                m_names.emplace(std::move(folded), index);
        }
    }
}

std::optional<ChannelMatch> ChannelMatcher::Match(const ChannelKeys& channel) const {
    if (const auto hand = m_byHand.find(channel.key); hand != m_byHand.end())
        return ChannelMatch{hand->second, MatchedBy::Hand};
    if (!channel.tvgId.empty()) {
        if (const auto id = m_ids.find(channel.tvgId); id != m_ids.end())
            return ChannelMatch{m_channelIds[id->second], MatchedBy::Id};
    }
    for (const auto& [text, by] : {std::pair{&channel.tvgName, MatchedBy::TvgName},
                                   std::pair{&channel.name, MatchedBy::Name}}) {
        const std::string folded = MatchFold(*text);
        if (folded.empty())
            continue;
        if (const auto found = m_names.find(folded); found != m_names.end())
            return ChannelMatch{m_channelIds[found->second], by};
    }
    return std::nullopt;
}

GuideTime TimeShift(std::string_view tvgShift, double globalHours) {
    double hours = 0;
    std::string text(tvgShift);
    std::replace(text.begin(), text.end(), ',', '.');
    if (!text.empty()) {
        char* end = nullptr;
        const double value = std::strtod(text.c_str(), &end);
        if (end && *end == '\0' && std::isfinite(value))
            hours = value;
    }
    if (std::isfinite(globalHours))
        hours += globalHours;
    hours = std::clamp(hours, -24.0, 24.0);
    return static_cast<GuideTime>(std::llround(hours * 3600));
}

}  // namespace quorvel::guide
