#include "settings/WindowPlacement.h"

#include <algorithm>
#include <charconv>

namespace quorvel {
namespace {

// The band along the window's top taken for its title bar, and how much of it must show.
constexpr int kTitleBand = 32;
constexpr int kGripWidth = 100;
constexpr int kGripHeight = 16;

bool ReadNumber(std::string_view& text, int& value, bool last) {
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (error != std::errc() || stop == text.data())
        return false;
    text.remove_prefix(static_cast<std::size_t>(stop - text.data()));
    if (last)
        return text.empty();
    if (text.empty() || text.front() != ',')
        return false;
    text.remove_prefix(1);
    return true;
}

}  // namespace

std::string FormatWindowPlacement(const WindowPlacement& placement) {
    const PixelRect& r = placement.normal;
    return std::to_string(r.left) + ',' + std::to_string(r.top) + ',' + std::to_string(r.width) +
           ',' + std::to_string(r.height) + ',' + (placement.maximized ? '1' : '0');
}

std::optional<WindowPlacement> ParseWindowPlacement(std::string_view text) {
    WindowPlacement placement;
    PixelRect& r = placement.normal;
    int maximized = 0;
    if (!ReadNumber(text, r.left, false) || !ReadNumber(text, r.top, false) ||
        !ReadNumber(text, r.width, false) || !ReadNumber(text, r.height, false) ||
        !ReadNumber(text, maximized, true)) {
        return std::nullopt;
    }
    const auto sideFits = [](int side) { return side >= kMinWindowSide && side <= kMaxWindowSide; };
    // Far beyond any desktop: arithmetic on it must not overflow.
    const auto placeFits = [](int at) { return at >= -kMaxWindowSide && at <= kMaxWindowSide; };
    if (!sideFits(r.width) || !sideFits(r.height) || !placeFits(r.left) || !placeFits(r.top) ||
        (maximized != 0 && maximized != 1)) {
        return std::nullopt;
    }
    placement.maximized = maximized == 1;
    return placement;
}

bool TitleBarReachable(const PixelRect& window, const std::vector<PixelRect>& screens) {
    const int grip = std::min(kGripWidth, window.width);
    for (const PixelRect& screen : screens) {
        const long left = std::max<long>(window.left, screen.left);
        const long right =
            std::min<long>(long{window.left} + window.width, long{screen.left} + screen.width);
        const long top = std::max<long>(window.top, screen.top);
        const long bottom =
            std::min<long>(long{window.top} + kTitleBand, long{screen.top} + screen.height);
        if (right - left >= grip && bottom - top >= kGripHeight)
            return true;
    }
    return false;
}

}  // namespace quorvel
