// The test window (構文のテスト) and the problems list (問題の一覧): modeless
// windows beside the main window that read the document, the pane's draft
// and the selection, and change nothing themselves.
#pragma once

#include <windows.h>

#include "views/app.h"

namespace lumaset {

// IDM_TOOLS_*: opens (or brings forward) a window, or goes to the next
// problem. 1 when it ran.
int runToolCommand(App& app, int commandId);
// The windows' keys: dialog navigation, Escape, and the main window's
// accelerators that make sense there. True when the message was handled.
bool routeToolWindowMessage(App& app, MSG& msg);
// The main window goes: both windows close (the sample is kept).
void closeToolWindows(App& app);

// Selects a record through the tree, so the selection step (with its apply
// question) runs as for a click. True when it is selected afterwards.
bool selectRecordThroughTree(App& app, int position);
// Where a tool window goes: beside the main window, on the side with room.
void placeBesideMainWindow(App& app, HWND window, int slot);

INT_PTR CALLBACK syntaxTestProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
INT_PTR CALLBACK problemsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam);
// The next finding after the selected record (wrapping), selected with the
// focus in its field; a beep when there is none.
int goToNextProblem(App& app);
// The sample box's text as the test reads it (for tests).
void setSyntaxTestSample(App& app, const std::wstring& text);

// Registry value beside the recent-file list that keeps the sample.
inline constexpr wchar_t kSampleValueName[] = L"SyntaxTestSample";

}  // namespace lumaset
