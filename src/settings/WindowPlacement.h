#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorvel {

// A rectangle in logical pixels of the desktop.
struct PixelRect {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    bool operator==(const PixelRect&) const = default;
};

// Where a main window was and how large, kept in the user's settings between runs: its
// normal place and size (the one a maximized window returns to) and whether it was maximized.
struct WindowPlacement {
    PixelRect normal;
    bool maximized = false;
    bool operator==(const WindowPlacement&) const = default;
};

// "left,top,width,height,maximized" ("120,80,1034,675,0").
std::string FormatWindowPlacement(const WindowPlacement& placement);

// Unset for anything but five whole numbers so written, a size below the smallest or above
// the largest window this program makes, or a flag other than 0 and 1: a damaged value
// leaves the window where it starts anyway.
std::optional<WindowPlacement> ParseWindowPlacement(std::string_view text);

inline constexpr int kMinWindowSide = 200;
inline constexpr int kMaxWindowSide = 32767;

// True when the window's title bar would lie on one of the screens (their free areas, without
// panels) far enough to take hold of it: a window on a screen that is no longer attached, or
// pushed past the edge, would open where nobody can reach it.
bool TitleBarReachable(const PixelRect& window, const std::vector<PixelRect>& screens);

}  // namespace quorvel
