#include "properties/tool_windows.h"

#include <commctrl.h>

#include <algorithm>

#include "resources/resource_ids.h"
#include "ui/dpi.h"
#include "views/tree_mirror.h"

namespace lumaset {

namespace {

// The main window keeps at least this width (at 96 DPI) when it makes room.
constexpr int kMainWidthBesideTool = 520;

bool controlHeld() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }
bool shiftHeld() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

// The main window's keys that mean the same from here: the two windows,
// the next problem, open and save. Editing keys stay with the sample box.
bool isMainKeyHere(const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    if (msg.wParam == VK_F8) return !controlHeld();
    if (!controlHeld() || shiftHeld()) return false;
    return msg.wParam == 'T' || msg.wParam == 'S' || msg.wParam == 'O';
}

HWND openWindow(App& app, HWND& handle, int dialogId, DLGPROC proc, int slot) {
    if (!handle) {
        // No owner: under Wine's desktop an owned window falls behind its
        // owner as soon as the owner is clicked.
        handle = CreateDialogParamW(app.windows.instance, MAKEINTRESOURCEW(dialogId), nullptr, proc, 0);
        if (!handle) return nullptr;
        placeBesideMainWindow(app, handle, slot);
    }
    if (IsIconic(handle)) ShowWindow(handle, SW_RESTORE);
    ShowWindow(handle, SW_SHOW);
    SetForegroundWindow(handle);
    return handle;
}

}  // namespace

int runToolCommand(App& app, int commandId) {
    switch (commandId) {
    case IDM_TOOLS_TEST_SYNTAX:
        return openWindow(app, app.tools.syntaxTest, IDD_SYNTAX_TEST, syntaxTestProc, 0) ? 1 : 0;
    case IDM_TOOLS_PROBLEMS:
        return openWindow(app, app.tools.problems, IDD_PROBLEMS, problemsProc, 1) ? 1 : 0;
    case IDM_TOOLS_NEXT_PROBLEM:
        return goToNextProblem(app);
    }
    return 1;
}

bool routeToolWindowMessage(App& app, MSG& msg) {
    for (HWND window : {app.tools.syntaxTest, app.tools.problems}) {
        if (!window || !msg.hwnd || (msg.hwnd != window && !IsChild(window, msg.hwnd))) continue;
        if (isMainKeyHere(msg) && app.windows.main && app.windows.accelerators &&
            TranslateAcceleratorW(app.windows.main, app.windows.accelerators, &msg))
            return true;
        return IsDialogMessageW(window, &msg) != FALSE;
    }
    return false;
}

void closeToolWindows(App& app) {
    for (HWND* window : {&app.tools.syntaxTest, &app.tools.problems})
        if (*window) DestroyWindow(*window);  // each clears its handle as it goes
}

bool selectRecordThroughTree(App& app, int position) {
    HTREEITEM item = itemForRecord(app, position);
    if (!item) return false;
    if (app.selection.selectionIndex != position)
        SendMessageW(app.windows.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (app.selection.selectionIndex != position) return false;
    SendMessageW(app.windows.tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    return true;
}

// Right of the main window when the work area has room there, else left of
// it. With room on neither side the main window gives up width for it, so
// the two never overlap (one would hide the other at each click), unless
// the main window is maximised or would become too narrow: then the tool
// window sits at the work area's right edge, and its command brings it
// back to the front. The second window goes under the first.
void placeBesideMainWindow(App& app, HWND window, int slot) {
    RECT main{}, own{};
    HWND mainWindow = app.windows.main;
    if (!mainWindow || !GetWindowRect(mainWindow, &main) || !GetWindowRect(window, &own)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(mainWindow, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = own.right - own.left, height = own.bottom - own.top;
    RECT other{};
    HWND first = app.tools.syntaxTest;
    const bool under = slot == 1 && first && first != window && IsWindowVisible(first) && GetWindowRect(first, &other);
    int x = main.right;
    if (under) {
        x = std::min<int>(other.left, work.right - width);
    } else if (x + width > work.right) {
        const int narrowest = scaled(kMainWidthBesideTool, dpiOf(mainWindow));
        if (main.left - width >= work.left) {
            x = main.left - width;
        } else if (!IsZoomed(mainWindow) && work.right - work.left - width >= narrowest) {
            const int mainWidth = std::min<int>(main.right - main.left, work.right - work.left - width);
            SetWindowPos(mainWindow, nullptr, work.left, main.top, mainWidth, main.bottom - main.top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            x = work.left + mainWidth;
        } else {
            x = work.right - width;
        }
    }
    int y = under ? other.bottom : main.top;
    if (y + height > work.bottom) y = work.bottom - height;
    if (y < work.top) y = work.top;
    if (x < work.left) x = work.left;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace lumaset
