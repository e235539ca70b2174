// The main window's default place on this machine's screen.
#pragma once

#include <windows.h>

namespace lumaset {

// The default place of a first main window, in screen pixels: the size for
// the primary monitor's DPI, clamped to and centred in its work area. Also
// what a remembered place that no longer fits falls back to.
RECT defaultWindowPlacement();
// The same for the monitor nearest a point.
RECT defaultWindowPlacementNear(POINT point);

}  // namespace lumaset
