// The find bar: a strip under the tree with the text to find, the fields to
// search and the buttons, and the find commands (Ctrl+F, F3, Shift+F3).
#pragma once

#include <windows.h>

#include "views/app.h"

namespace lumaset {

inline constexpr wchar_t kFindBarClass[] = L"TarvelonLumasetFind";

// Control ids inside the bar.
inline constexpr int kFindTextId = 100;
inline constexpr int kFindNameId = 101;
inline constexpr int kFindPatternId = 102;
inline constexpr int kFindExitPatternId = 103;
inline constexpr int kFindTitleId = 104;
inline constexpr int kFindNextId = 110;
inline constexpr int kFindPreviousId = 111;
inline constexpr int kFindCloseId = IDCANCEL;  // Escape presses it

// Runs IDM_EDIT_FIND, IDM_EDIT_FIND_NEXT or IDM_EDIT_FIND_PREVIOUS.
int runFindCommand(App& app, int commandId);
// Shows the bar (made on first use) and puts the focus into its text.
void showFindBar(App& app);
// Hides the bar and gives the focus back to the tree.
void closeFindBar(App& app);
// Searches for the last text from the selected syntax on; 1 on a hit that
// got selected, 0 when nothing was found or the user kept the selection.
int findAgain(App& app, bool backward);

// The message loop's share: the bar's Enter, Escape and Tab. True when the
// message was handled.
bool routeFindBarMessage(App& app, MSG& msg);

// Layout: the bar's height for a width (0 while it is hidden), and placing
// it with its controls.
int findBarHeight(const App& app, int width);
void placeFindBar(App& app, int x, int y, int width, int height);

}  // namespace lumaset
