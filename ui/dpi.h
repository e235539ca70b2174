// The DPI a window is drawn at, and pixel sizes scaled to it. Sizes in the
// code are given for 96 DPI (100 %).
#pragma once

#include <windows.h>

namespace lumaset {

inline constexpr int kBaseDpi = 96;

// The window's DPI: its monitor's under per-monitor awareness, else the
// system's.
int dpiOf(HWND window);
// A monitor's own DPI, or the system's where the system cannot tell.
int dpiOfMonitor(HMONITOR monitor);
// A 96-DPI pixel size at the DPI, rounded to the nearest pixel.
inline int scaled(int pixels, int dpi) { return MulDiv(pixels, dpi, kBaseDpi); }

// The drawing of a bitmap nearest the DPI: 100, 150 or 200 (percent).
int nearestDrawingPercent(int dpi);
// The resource of that drawing, given the three.
inline int bitmapForDpi(int dpi, int at100, int at150, int at200) {
    const int percent = nearestDrawingPercent(dpi);
    return percent == 200 ? at200 : percent == 150 ? at150 : at100;
}

// A tree view's indent and row height for the DPI: the system keeps its
// 96-DPI sizes, so the expand boxes would touch the text and lose their lines.
void scaleTreeView(HWND tree, int dpi);

// Appends a list-view column whose 96-DPI width is scaled to the DPI.
void addListColumn(HWND list, int index, const wchar_t* title, int width96, int dpi);
// Scales every column of a list view as the window moves from one DPI to
// another: the system scales a dialog's controls, not a list's columns.
void rescaleListColumns(HWND list, int fromDpi, int toDpi);

}  // namespace lumaset
