#include "shell/guide/GuideChoices.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "appearance/ProductInfo.h"
#include "settings/SettingsStore.h"

namespace quorvel {
namespace {

constexpr std::string_view kHandSection = "GuideChannels";
constexpr std::string_view kChoicesSection = "Settings";
constexpr std::string_view kOffsetKey = "GuideOffsetHours";

}  // namespace

std::map<std::string, std::string> HandGuideChannels() {
    std::map<std::string, std::string> chosen;
    for (auto& [key, value] : GetAllSettings(Branding().ProgramName, kHandSection)) {
        if (!key.empty() && !value.empty())
            chosen.emplace(std::move(key), std::move(value));
    }
    return chosen;
}

bool SetHandGuideChannel(const std::string& channelKey, const std::string& guideChannel) {
    if (channelKey.empty())
        return false;
    if (guideChannel.empty())
        return DeleteSetting(Branding().ProgramName, kHandSection, channelKey);
    return SaveSetting(Branding().ProgramName, kHandSection, channelKey, guideChannel);
}

double GuideOffsetHours() {
    const std::string text = GetSetting(Branding().ProgramName, kChoicesSection, kOffsetKey, "0");
    char* end = nullptr;
    const double hours = std::strtod(text.c_str(), &end);
    if (end == text.c_str() || *end != '\0' || !std::isfinite(hours) || std::abs(hours) > 24)
        return 0;
    return hours;
}

bool SetGuideOffsetHours(double hours) {
    if (!std::isfinite(hours) || std::abs(hours) > 24)
        return false;
    char text[32];
    std::snprintf(text, sizeof text, "%g", hours);
    return SaveSetting(Branding().ProgramName, kChoicesSection, kOffsetKey, text);
}

}  // namespace quorvel
