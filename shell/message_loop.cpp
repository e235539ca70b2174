#include "resources/resource_ids.h"
#include "shell/main_window.h"

namespace lumaset {

namespace {

bool controlHeld() { return (GetKeyState(VK_CONTROL) & 0x8000) != 0; }

// Ctrl+Tab anywhere, Enter on the tree, Escape in the memo.
bool isFocusCycleKey(const App& app, const MSG& msg) {
    if (msg.message != WM_KEYDOWN) return false;
    switch (msg.wParam) {
    case VK_TAB:
        return controlHeld();
    case VK_RETURN:
        return msg.hwnd == app.windows.tree;
    case VK_ESCAPE:
        return msg.hwnd == app.windows.memo;
    }
    return false;
}

void dispatch(MSG& msg) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
}

// The pane's last focused control, for putting the focus back into it.
void notePaneFocus(App& app) {
    HWND focus = GetFocus();
    if (focus && app.windows.propertyPane && IsChild(app.windows.propertyPane, focus))
        app.windows.paneLastFocus = focus;
}

}  // namespace

void cycleFocus(App& app) {
    const MainWindows& w = app.windows;
    if (GetFocus() != w.tree) {
        SetFocus(w.tree);
    } else if (w.propertyPane && IsWindowVisible(w.propertyPane)) {
        SetFocus(GetDlgItem(w.propertyPane, IDC_NAME));
    } else {
        SetFocus(w.memo);
    }
}


void routeMessage(MSG& msg) {
    App& a = app();
    const MainWindows& w = a.windows;
    if (isFocusCycleKey(a, msg)) {
        cycleFocus(a);
        notePaneFocus(a);
        return;
    }
    if (w.propertyPane && IsDialogMessageW(w.propertyPane, &msg)) {
        notePaneFocus(a);
        return;
    }
    // The memo's own editing keys (Ctrl+X and the rest) act on its text,
    // not on the selected syntax.
    if (msg.hwnd && msg.hwnd == w.memo) {
        dispatch(msg);
        return;
    }
    if (w.main && w.accelerators && TranslateAcceleratorW(w.main, w.accelerators, &msg)) return;
    dispatch(msg);
}

int runMessageLoop() {
    MSG msg{};
    BOOL got;
    while ((got = GetMessageW(&msg, nullptr, 0, 0)) != 0) {
        if (got == -1) return 0;
        routeMessage(msg);
    }
    return int(msg.wParam);
}

}  // namespace lumaset
