#include "shell/window_placement.h"

#include "shell/logic/window_placement.h"
#include "ui/dpi.h"

namespace lumaset {

namespace {

// The monitor's own DPI under per-monitor awareness; shcore is not on every
// system, so it is looked up at run time.
int dpiOfMonitor(HMONITOR monitor) {
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

}  // namespace

RECT defaultWindowPlacementNear(POINT point) {
    HMONITOR monitor = MonitorFromPoint(point, MONITOR_DEFAULTTOPRIMARY);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    RECT work{};
    if (monitor && GetMonitorInfoW(monitor, &info))
        work = info.rcWork;
    else
        SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const ScreenRect r = defaultWindowRect({work.left, work.top, work.right, work.bottom}, dpiOfMonitor(monitor));
    return {r.left, r.top, r.right, r.bottom};
}

RECT defaultWindowPlacement() { return defaultWindowPlacementNear({0, 0}); }

}  // namespace lumaset
