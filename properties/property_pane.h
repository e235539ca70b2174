// The property pane (dialog 104): a modeless dialog over the right-hand part
// of the main window, showing the selected syntax.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <string>
#include <vector>

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

// What the pane holds for the selected record now, unapplied edits
// included: the fields as Apply would store them, cp932.
struct PaneDraft {
    int position = -1;
    std::string name;
    std::string pattern;
    std::string exitPattern;
    std::vector<std::uint8_t> titleCode;  // kTitleCodeSize bytes
    bool titleReadable = true;            // false: the typed title does not compile
};
// False when the pane shows no record.
bool readPaneDraft(const App& app, PaneDraft& draft);
// Puts the focus into a pane control (its name field when that is greyed),
// bringing the main window forward.
void focusPaneField(App& app, int controlId);

}  // namespace lumaset
