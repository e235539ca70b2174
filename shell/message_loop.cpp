#include "resources/resource_ids.h"
#include "shell/find_bar.h"
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

wchar_t upperCase(wchar_t ch) {
    wchar_t text[2] = {ch, L'\0'};
    CharUpperW(text);
    return text[0];
}

// A pane label or button has this access key (the "&x" in its text) and the
// dialog navigation would act on it: visible and enabled, as it checks.
bool isPaneAccessKey(HWND pane, wchar_t key) {
    const wchar_t wanted = upperCase(key);
    for (HWND child = GetWindow(pane, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if ((GetWindowLongW(child, GWL_STYLE) & (WS_VISIBLE | WS_DISABLED)) != WS_VISIBLE) continue;
        // Labels and buttons only: an edit's "&" is the user's text.
        if (!(SendMessageW(child, WM_GETDLGCODE, 0, 0) & (DLGC_BUTTON | DLGC_STATIC))) continue;
        wchar_t text[64];
        const int length = GetWindowTextW(child, text, 64);
        for (int i = 0; i + 1 < length; ++i) {
            if (text[i] != L'&') continue;
            if (text[i + 1] != L'&' && upperCase(text[i + 1]) == wanted) return true;
            ++i;  // "&&" is a plain ampersand
        }
    }
    return false;
}

// Alt with a key that no pane control claims belongs to the main window's
// menu bar, as it would from the tree.
void sendMenuKeysToMainWindow(const App& app, MSG& msg) {
    const MainWindows& w = app.windows;
    if (msg.message != WM_SYSCHAR || !w.propertyPane || !w.main) return;
    if (!msg.hwnd || !IsChild(w.propertyPane, msg.hwnd)) return;
    if (!isPaneAccessKey(w.propertyPane, wchar_t(msg.wParam))) msg.hwnd = w.main;
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
    if (routeFindBarMessage(a, msg)) return;
    sendMenuKeysToMainWindow(a, msg);
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
