#pragma once

#include <map>
#include <string>

namespace quorvel {

// The user's own choices about the guide, kept in the user's settings: the guide channel a
// channel was given by hand, and the offset in hours that moves every channel's times.

// Channel key (its address) to guide channel id.
std::map<std::string, std::string> HandGuideChannels();
// An empty id takes the choice back. False when it could not be stored.
bool SetHandGuideChannel(const std::string& channelKey, const std::string& guideChannel);

// Within a day either way; anything unreadable counts as none.
double GuideOffsetHours();
bool SetGuideOffsetHours(double hours);

}  // namespace quorvel
