// The property pane (dialog 104): a modeless dialog over the right-hand part
// of the main window, showing the selected syntax.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "views/app.h"

namespace lumaset {

INT_PTR CALLBACK propertyPaneProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);

// The tree's selection moved to item (null: none). Shows the memo for the
// "Copyright" item and the pane for a record.
void selectSyntax(App& app, HTREEITEM item);
// Writes the pane into the selected record (asking first when confirm is
// set); false when the title was refused or the user cancelled.
bool applyProperties(App& app, bool confirm);
// The same, always asking, with questionTail after the record's name.
bool applyPropertiesAsking(App& app, const wchar_t* questionTail);
// Loads the selected record into the pane's controls.
void fillProperties(App& app);
// Fills the pane and works out the editing commands for the selection, as
// a selection change does (after a paste, which defers both to its end).
void showSelectedRecord(App& app);

}  // namespace lumaset
