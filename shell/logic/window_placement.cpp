#include "shell/logic/window_placement.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>

namespace lumaset {

namespace {

constexpr int kFieldCount = 7;
constexpr int kMaxDigits = 6;          // keeps every field far from overflow
constexpr int kMaxCoordinate = 100000;
constexpr int kMinDpi = 48;
constexpr int kMaxDpi = 960;

std::int64_t overlapArea(const PixelRect& a, const PixelRect& b) {
    const int w = std::min(a.right, b.right) - std::max(a.left, b.left);
    const int h = std::min(a.bottom, b.bottom) - std::max(a.top, b.top);
    return w > 0 && h > 0 ? std::int64_t(w) * h : 0;
}

int scaledBy(int value, int to, int from) {
    return int((std::int64_t(value) * to + (value >= 0 ? from / 2 : -from / 2)) / from);
}

}  // namespace

std::wstring formatSavedWindow(const SavedWindow& s) {
    const PixelRect& f = s.frame;
    return std::to_wstring(f.left) + L',' + std::to_wstring(f.top) + L',' + std::to_wstring(f.width()) + L',' +
           std::to_wstring(f.height()) + L',' + (s.maximized ? L'1' : L'0') + L',' + std::to_wstring(s.split) +
           L',' + std::to_wstring(s.dpi);
}

std::optional<SavedWindow> parseSavedWindow(std::wstring_view text) {
    std::array<int, kFieldCount> field{};
    std::size_t at = 0;
    for (int i = 0; i < kFieldCount; ++i) {
        if (i > 0) {
            if (at >= text.size() || text[at] != L',') return std::nullopt;
            ++at;
        }
        const bool negative = at < text.size() && text[at] == L'-';
        if (negative) ++at;
        int digits = 0, value = 0;
        while (at < text.size() && text[at] >= L'0' && text[at] <= L'9') {
            if (++digits > kMaxDigits) return std::nullopt;
            value = value * 10 + (text[at++] - L'0');
        }
        if (digits == 0) return std::nullopt;
        field[i] = negative ? -value : value;
    }
    if (at != text.size()) return std::nullopt;

    const auto [left, top, width, height, maximized, split, dpi] = field;
    if (std::abs(left) > kMaxCoordinate || std::abs(top) > kMaxCoordinate) return std::nullopt;
    if (dpi < kMinDpi || dpi > kMaxDpi) return std::nullopt;
    if (width < scaledBy(kMinimumSavedWidth, dpi, 96) || height < scaledBy(kMinimumSavedHeight, dpi, 96) ||
        width > kMaxCoordinate || height > kMaxCoordinate)
        return std::nullopt;
    if (maximized != 0 && maximized != 1) return std::nullopt;
    if (split < 0 || split > width) return std::nullopt;
    return SavedWindow{{left, top, left + width, top + height}, maximized == 1, split, dpi};
}

std::optional<SavedWindow> restoredWindow(const SavedWindow& saved, const std::vector<MonitorArea>& monitors) {
    const MonitorArea* best = nullptr;
    std::int64_t bestArea = 0;
    for (const MonitorArea& monitor : monitors) {
        const std::int64_t area = overlapArea(saved.frame, monitor.work);
        if (area > bestArea) {
            bestArea = area;
            best = &monitor;
        }
    }
    if (!best || saved.dpi <= 0 || best->dpi <= 0) return std::nullopt;

    const PixelRect& work = best->work;
    const int width = std::min(scaledBy(saved.frame.width(), best->dpi, saved.dpi), work.width());
    const int height = std::min(scaledBy(saved.frame.height(), best->dpi, saved.dpi), work.height());
    // Wholly inside the work area, so the caption can always be grabbed.
    const int left = std::max(work.left, std::min(saved.frame.left, work.right - width));
    const int top = std::max(work.top, std::min(saved.frame.top, work.bottom - height));
    SavedWindow placed = saved;
    placed.frame = {left, top, left + width, top + height};
    placed.split = std::min(scaledBy(saved.split, best->dpi, saved.dpi), width);
    placed.dpi = best->dpi;
    return placed;
}

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
