// Where the main window opens, and where it reopens: the frame, maximised state and split the
// user left, kept as one registry string and brought back only onto a
// monitor that is still there, scaled to its DPI.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace lumaset {

// Screen pixels; right and bottom are exclusive.
struct PixelRect {
    int left = 0, top = 0, right = 0, bottom = 0;
    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool operator==(const PixelRect&) const = default;
};

struct SavedWindow {
    PixelRect frame;        // the restored (not maximised) frame, screen pixels
    bool maximized = false;
    int split = 0;          // splitter position, client pixels
    int dpi = 96;           // the DPI the figures above were taken at
    bool operator==(const SavedWindow&) const = default;
};

struct MonitorArea {
    PixelRect work;  // work area, screen pixels
    int dpi = 96;
};

// Frames smaller than this at 96 DPI were not left by a user; such a value
// is treated as damaged.
inline constexpr int kMinimumSavedWidth = 200;
inline constexpr int kMinimumSavedHeight = 150;

// "left,top,width,height,maximized,split,dpi", decimal.
std::wstring formatSavedWindow(const SavedWindow& saved);
// Nullopt for anything but seven well-formed numbers in their ranges.
std::optional<SavedWindow> parseSavedWindow(std::wstring_view text);

// The saved window placed onto the monitor holding most of it, its sizes
// scaled from the saved DPI to that monitor's and the frame kept inside the
// work area. Nullopt when no monitor holds any of it: the default placement.
std::optional<SavedWindow> restoredWindow(const SavedWindow& saved, const std::vector<MonitorArea>& monitors);

// The first main window of a new user.
using ScreenRect = PixelRect;

// The window's size at 96 DPI: room for the tree and the whole property pane.
inline constexpr int kDefaultWindowWidth = 768;
inline constexpr int kDefaultWindowHeight = 576;

// The default size scaled to the monitor's DPI, no larger than its work
// area, centred in it.
ScreenRect defaultWindowRect(const ScreenRect& workArea, int dpi);

}  // namespace lumaset
