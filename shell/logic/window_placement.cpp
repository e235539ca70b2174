#include "shell/logic/window_placement.h"

#include <algorithm>

namespace lumaset {

namespace {

constexpr int kBaseDpi = 96;

int scaledSize(int pixels, int dpi) {
    // Rounded to the nearest pixel, as the window code scales.
    return int((long long)pixels * dpi / kBaseDpi + ((long long)pixels * dpi % kBaseDpi * 2 >= kBaseDpi ? 1 : 0));
}

}  // namespace

ScreenRect defaultWindowRect(const ScreenRect& workArea, int dpi) {
    if (dpi <= 0) dpi = kBaseDpi;
    const int width = std::max(0, std::min(scaledSize(kDefaultWindowWidth, dpi), workArea.width()));
    const int height = std::max(0, std::min(scaledSize(kDefaultWindowHeight, dpi), workArea.height()));
    const int left = workArea.left + std::max(0, (workArea.width() - width) / 2);
    const int top = workArea.top + std::max(0, (workArea.height() - height) / 2);
    return {left, top, left + width, top + height};
}

}  // namespace lumaset
