// Dragging a syntax in the tree to move it with its subtree. The main
// window holds the mouse from TVN_BEGINDRAG to the button's release; the
// move itself is dropSyntax (commands/structure_edits.h).
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "views/app.h"

namespace lumaset {

// Starts dragging the item's syntax from `treePoint` (tree client
// coordinates). False, and nothing started, for the root and record 2.
bool beginTreeDrag(App& app, HTREEITEM item, POINT treePoint);
// The mouse at `mainPoint` (main window client coordinates): the image and
// the drop highlight follow it. Shift decides the cursor (a sibling drop).
void moveTreeDrag(App& app, POINT mainPoint, bool shift);
// The button released at `mainPoint`: the drag ends and, over an item, the
// syntax moves there (with Shift as its next sibling). 1 when the document
// changed.
int dropTreeDrag(App& app, POINT mainPoint, bool shift);
// Escape, lost capture: the drag ends and nothing changes. False when no
// drag was going on.
bool cancelTreeDrag(App& app);

}  // namespace lumaset
