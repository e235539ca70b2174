// The ">>" buttons of the pattern fields: their help menus of pattern
// tokens, and capture from the running terminal.
#pragma once

#include <windows.h>

#include "views/app.h"

namespace lumaset {

// Builds both help menus and makes buttons 1007, 1008 and 1009 menu
// buttons; the pane calls it from WM_INITDIALOG.
void createPatternHelpMenus(App& app, HWND pane);
// Destroys both menus; the pane calls it from WM_DESTROY.
void destroyPatternHelpMenus(App& app);
// The replacement procedure of the three buttons. WMU_OPEN_HELP_MENU (1124)
// posted to a button opens its menu as from the keyboard.
LRESULT CALLBACK helpButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace lumaset
