// Where the first main window of a new user goes: plain arithmetic over the
// work area, so it is tested without a screen.
#pragma once

namespace lumaset {

// Screen pixels; right and bottom are exclusive.
struct ScreenRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const ScreenRect&) const = default;
};

// The window's size at 96 DPI: room for the tree and the whole property pane.
inline constexpr int kDefaultWindowWidth = 768;
inline constexpr int kDefaultWindowHeight = 576;

// The default size scaled to the monitor's DPI, no larger than its work
// area, centred in it.
ScreenRect defaultWindowRect(const ScreenRect& workArea, int dpi);

}  // namespace lumaset
