#include "ui/dpi.h"

#include <commctrl.h>

#include <algorithm>

namespace lumaset {

int dpiOf(HWND window) {
    // Looked up at run time: older systems have no per-window DPI.
    using GetDpiForWindowFn = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow = reinterpret_cast<GetDpiForWindowFn>(
        reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
    if (getDpiForWindow && window) {
        if (const UINT dpi = getDpiForWindow(window)) return int(dpi);
    }
    HDC screen = GetDC(nullptr);
    const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : kBaseDpi;
    if (screen) ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : kBaseDpi;
}

int dpiOfMonitor(HMONITOR monitor) {
    // shcore is not on every system, so it is looked up at run time.
    using GetDpiForMonitorFn = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor = [] {
        HMODULE shcore = LoadLibraryW(L"shcore.dll");
        return shcore ? reinterpret_cast<GetDpiForMonitorFn>(
                            reinterpret_cast<void*>(GetProcAddress(shcore, "GetDpiForMonitor")))
                      : nullptr;
    }();
    UINT x = 0, y = 0;
    if (getDpiForMonitor && monitor && getDpiForMonitor(monitor, 0 /* effective */, &x, &y) == S_OK && y)
        return int(y);
    return dpiOf(nullptr);
}

void addListColumn(HWND list, int index, const wchar_t* title, int width96, int dpi) {
    LVCOLUMNW column{};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = const_cast<wchar_t*>(title);
    column.cx = scaled(width96, dpi);
    column.iSubItem = index;
    SendMessageW(list, LVM_INSERTCOLUMNW, WPARAM(index), reinterpret_cast<LPARAM>(&column));
}

void rescaleListColumns(HWND list, int fromDpi, int toDpi) {
    if (!list || fromDpi <= 0 || toDpi <= 0 || fromDpi == toDpi) return;
    HWND header = reinterpret_cast<HWND>(SendMessageW(list, LVM_GETHEADER, 0, 0));
    const int count = header ? int(SendMessageW(header, HDM_GETITEMCOUNT, 0, 0)) : 0;
    for (int i = 0; i < count; ++i) {
        const int width = int(SendMessageW(list, LVM_GETCOLUMNWIDTH, WPARAM(i), 0));
        SendMessageW(list, LVM_SETCOLUMNWIDTH, WPARAM(i), MulDiv(width, toDpi, fromDpi));
    }
}

void scaleTreeView(HWND tree, int dpi) {
    constexpr int kIndent = 19, kRowHeight = 18;  // at 96 DPI
    if (!tree) return;
    SendMessageW(tree, TVM_SETINDENT, WPARAM(scaled(kIndent, dpi)), 0);
    // Never lower than the font asks for.
    SendMessageW(tree, TVM_SETITEMHEIGHT, WPARAM(-1), 0);
    const int fontRows = int(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0));
    SendMessageW(tree, TVM_SETITEMHEIGHT, WPARAM(std::max(fontRows, scaled(kRowHeight, dpi))), 0);
}

int nearestDrawingPercent(int dpi) {
    const int percent = MulDiv(dpi, 100, kBaseDpi);
    if (percent >= 175) return 200;
    if (percent >= 125) return 150;
    return 100;
}

}  // namespace lumaset
