// Scrolling for the property pane: when the window leaves it less room than
// its controls need, scroll bars bring every field, ">>" and 適用 in reach.
#pragma once

#include <windows.h>

namespace lumaset {

// Sets the scroll bars for the room the controls need; scrolls them back as
// far as the new size allows. The width the controls are laid out for is
// read again after a bar comes or goes, since that re-lays them.
void updatePaneScroll(HWND pane, const int& laidOutWidth, int contentHeight);
// WM_HSCROLL / WM_VSCROLL from the pane's own bars (lParam 0), and the wheel.
void onPaneScroll(HWND pane, int bar, WPARAM wParam);
void onPaneWheel(HWND pane, WPARAM wParam);
// Scrolls so that the child (the one just focused) is in view.
void scrollPaneToShow(HWND pane, HWND child);

}  // namespace lumaset
