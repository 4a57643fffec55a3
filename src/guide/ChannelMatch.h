#pragma once

#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "guide/GuideTime.h"

namespace quorvel::guide {

// What a channel of a playlist or of the catalogue offers for finding its guide channel.
struct ChannelKeys {
    std::string key;      // the channel's own identity, as a mapping by hand names it
    std::string tvgId;    // empty for catalogue channels
    std::string tvgName;  // empty when the playlist gives none
    std::string name;
};

struct GuideChannelNames {
    std::string id;
    std::vector<std::string> displayNames;
};

enum class MatchedBy { Hand, Id, TvgName, Name };

struct ChannelMatch {
    std::string guideChannel;
    MatchedBy by = MatchedBy::Id;
};

// A name as matching compares it: case, accents, spaces and underscores ignored, and a
// trailing quality tag ("HD", "FHD", "4K") dropped.
std::string MatchFold(std::string_view name);

// Finds each channel's guide channel, in this order: a choice made by hand (channel key to
// guide channel id); the tvg-id equal to a guide channel's id; the tvg-name, then the name,
// equal to one of a guide channel's display names after MatchFold. Where two guide channels
// share a folded name, the first declared wins.
class ChannelMatcher {
public:
    ChannelMatcher(const std::vector<GuideChannelNames>& guideChannels,
                   std::map<std::string, std::string> byHand = {});

    std::optional<ChannelMatch> Match(const ChannelKeys& channel) const;

private:
    std::unordered_map<std::string, std::size_t> m_ids;
    std::unordered_map<std::string, std::size_t> m_names;
    std::vector<std::string> m_channelIds;
    std::map<std::string, std::string> m_byHand;
};

// A channel's time shift in seconds: tvg-shift in hours (may be fractional, "+1.5", "-2",
// "0,5") plus the global offset in hours. A tvg-shift that is no number counts as none; a
// shift is held within a day either way.
GuideTime TimeShift(std::string_view tvgShift, double globalHours = 0);

}  // namespace quorvel::guide
