#include "playlists/ChannelHeaders.h"

#include "files/TextCase.h"

namespace quorvel {
namespace {

// "%XX" decoded; a "%" not followed by two hex digits stays as written.
std::string PercentDecoded(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '%' && i + 2 < text.size() && HexDigitValue(text[i + 1]) >= 0 &&
            HexDigitValue(text[i + 2]) >= 0) {
            out.push_back(
                static_cast<char>(HexDigitValue(text[i + 1]) * 16 + HexDigitValue(text[i + 2])));
            i += 2;
        } else {
            out.push_back(text[i]);
        }
    }
    return out;
}

}  // namespace

bool IsSafeHeaderValue(std::string_view value) {
    if (value.size() > kMaxHeaderValueBytes)
        return false;
    for (const char c : value) {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            return false;
    }
    return true;
}

AddressSuffix SplitAddressSuffix(std::string_view line) {
    AddressSuffix result;
    const std::size_t bar = line.find('|');
    result.address = TrimSpacesAndTabs(line.substr(0, bar));
    if (bar == std::string_view::npos)
        return result;
    std::string_view rest = line.substr(bar + 1);
    while (!rest.empty()) {
        const std::size_t amp = rest.find('&');
        const std::string_view option = rest.substr(0, amp);
        rest = amp == std::string_view::npos ? std::string_view{} : rest.substr(amp + 1);
        const std::size_t equals = option.find('=');
        if (equals == std::string_view::npos)
            continue;
        const std::string_view key = TrimSpacesAndTabs(option.substr(0, equals));
        const std::string_view value = TrimSpacesAndTabs(option.substr(equals + 1));
        // Only the two headers are decoded, so hundreds of other options cost a scan each.
        if (EqualsIgnoringCase(key, "User-Agent"))
            result.userAgent = PercentDecoded(value);
        else if (EqualsIgnoringCase(key, "Referer") || EqualsIgnoringCase(key, "Referrer"))
            result.referrer = PercentDecoded(value);
    }
    return result;
}

std::optional<std::string_view> OptionValue(std::string_view option, std::string_view name) {
    const std::size_t equals = option.find('=');
    if (equals == std::string_view::npos ||
        !EqualsIgnoringCase(TrimSpacesAndTabs(option.substr(0, equals)), name))
        return std::nullopt;
    std::string_view value = TrimSpacesAndTabs(option.substr(equals + 1));
    if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
        value.back() == value.front()) {
        value = value.substr(1, value.size() - 2);
    }
    return value;
}

std::string EngineFileOptions(std::string_view userAgent, std::string_view referrer) {
    std::string options;
    const auto add = [&](std::string_view name, std::string_view value) {
        if (value.empty() || !IsSafeHeaderValue(value))
            return;
        if (!options.empty())
            options.push_back(',');
        options.append(name).append("=%").append(std::to_string(value.size())).append("%");
        options.append(value);
    };
    add("user-agent", userAgent);
    add("referrer", referrer);
    return options;
}

}  // namespace quorvel
