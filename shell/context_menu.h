// The tree's context menu: the edit commands, enabled and greyed as on the
// menu bar, for the item under the mouse or, from the keyboard (Shift+F10,
// the Apps key), for the selected item.
#pragma once

#include <windows.h>

#include "views/app.h"

namespace lumaset {

// Subclasses the tree view for right-clicks and the context-menu keys.
void installTreeContextMenu(HWND tree);

// The menu for a right-click at a screen point: the item there is selected
// first; nothing happens beside the items. For the tree's NM_RCLICK.
void showTreeContextMenuAt(HWND tree, POINT screen);

// A popup of the edit commands with the menu bar's texts and states; the
// caller destroys it.
HMENU buildContextMenu(HMENU mainMenu);

}  // namespace lumaset
