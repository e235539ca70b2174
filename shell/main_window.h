// The process entry, the main window, its message loop and the splitter.
#pragma once

#include <windows.h>

#include "views/app.h"

namespace lumaset {

inline constexpr wchar_t kMainWindowClass[] = L"TarvelonLumaset";
inline constexpr wchar_t kSplitterClass[] = L"TarvelonLumasetSplit";
inline constexpr int kSplitterWidth = 4;  // pixels at 96 DPI, as the sizes below
// The splitter leaves both sides at least this wide, so the tree and the
// pane's fields, ">>" buttons and 適用 stay within reach.
inline constexpr int kMinimumTreeWidth = 100;
inline constexpr int kMinimumPaneWidth = 200;

// The whole program: start-up, message loop, exit code.
int runLumaset(HINSTANCE instance, const wchar_t* commandLineTail, int showCommand);

// Start-up up to joining the clipboard-viewer chain, without the message
// loop. False when start-up ended the program (exit code 0): a window could
// not be made or the file on the command line did not load.
bool startMainWindow(HINSTANCE instance, const wchar_t* commandLineTail, int showCommand);
// Runs the message loop until the quit message; returns its wParam.
int runMessageLoop();
// What the loop does with one message: focus keys, the pane's dialog keys,
// memo keys without accelerators, accelerators, then dispatch.
void routeMessage(MSG& msg);
// Moves the focus between the tree and the right-hand pane.
void cycleFocus(App& app);
// Gives the focus to a child of the main window that can take it, else to
// the tree.
void restoreFocus(App& app, HWND child);
// The property pane's control that had the focus last, or its name field.
HWND paneFocusTarget(const App& app);

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Toolbar tooltips: the text for a command id, "新規作成" for an unknown one.
const wchar_t* tooltipTextForCommand(int commandId);

// Splitter and layout.
LRESULT CALLBACK splitterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
void layoutPanes(App& app);
// The split position kept within the side minimums for the client width; a
// window too narrow for both shares its width between them.
int boundedSplit(int split, int clientWidth, int dpi);
int paneTop(const App& app);
void drawDragBar(App& app, int clientX);

// Creates the toolbar with its 18 buttons (13 images from bitmap 106).
HWND createToolbar(App& app);

}  // namespace lumaset
