#include "shell/window_placement.h"

#include "shell/logic/window_placement.h"
#include "ui/dpi.h"

namespace lumaset {

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
