#include "properties/tool_windows.h"

#include <commctrl.h>

#include "resources/resource_ids.h"
#include "views/tree_mirror.h"

namespace lumaset {

namespace {

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
// it, else at the work area's right edge over the main window; the second
// window goes under the first.
void placeBesideMainWindow(App& app, HWND window, int slot) {
    RECT main{}, own{};
    if (!app.windows.main || !GetWindowRect(app.windows.main, &main) || !GetWindowRect(window, &own)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(app.windows.main, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = own.right - own.left, height = own.bottom - own.top;
    int x = main.right;
    if (x + width > work.right) x = main.left - width >= work.left ? main.left - width : work.right - width;
    int y = main.top;
    if (slot == 1) {
        HWND other = app.tools.syntaxTest;
        RECT r{};
        if (other && other != window && IsWindowVisible(other) && GetWindowRect(other, &r)) y = r.bottom;
    }
    if (y + height > work.bottom) y = work.bottom - height;
    if (y < work.top) y = work.top;
    if (x < work.left) x = work.left;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace lumaset
