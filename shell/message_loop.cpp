#include "properties/pane_scroll.h"
#include "resources/resource_ids.h"
#include "shell/find_bar.h"
#include "shell/main_window.h"
#include "properties/tool_windows.h"
#include "ui/ui_calls.h"
#include "views/status_line.h"

#include <iterator>

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

// The pane's last focused control, for putting the focus back into it; in
// view, when the pane is scrolled.
void notePaneFocus(App& app) {
    HWND focus = GetFocus();
    if (!focus || !app.windows.propertyPane || !IsChild(app.windows.propertyPane, focus)) return;
    app.windows.paneLastFocus = focus;
    scrollPaneToShow(app.windows.propertyPane, focus);
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
// menu bar, as it would from the tree; so do F10 and Alt alone. From the
// find bar and the memo too: an edit's own default would track the menu
// from the edit, past the main window.
void sendMenuKeysToMainWindow(const App& app, MSG& msg) {
    const MainWindows& w = app.windows;
    if (!w.main || !msg.hwnd) return;
    const bool inPane = w.propertyPane && IsChild(w.propertyPane, msg.hwnd);
    const bool elsewhere = msg.hwnd == w.memo || (w.findBar && IsChild(w.findBar, msg.hwnd));
    if (!inPane && !elsewhere) return;
    switch (msg.message) {
    case WM_SYSCHAR:
        if (!inPane || !isPaneAccessKey(w.propertyPane, wchar_t(msg.wParam))) msg.hwnd = w.main;
        break;
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
        if (msg.wParam == VK_F10 || msg.wParam == VK_MENU) msg.hwnd = w.main;
        break;
    }
}

// Keys an edit uses on its own text: they stay with the focused control in
// the pane, the find bar and the memo. Delete and Ctrl+C there never touch
// the selected syntax, whatever kind of control has the focus.
bool isEditingKey(const MSG& msg) {
    switch (msg.wParam) {
    case VK_DELETE: case VK_BACK: case VK_INSERT:
    case VK_LEFT: case VK_RIGHT: case VK_UP: case VK_DOWN:
    case VK_HOME: case VK_END: case VK_PRIOR: case VK_NEXT:
        return true;
    case 'C': case 'X': case 'V': case 'Z': case 'Y': case 'A':
        return controlHeld();
    }
    return false;
}

// The pane, the find bar and the memo: places whose keys went to their own
// controls first, so the main window's accelerators must be tried here.
bool isTextPlace(const App& app, HWND target) {
    const MainWindows& w = app.windows;
    if (!target) return false;
    if (target == w.memo) return true;
    if (w.propertyPane && IsChild(w.propertyPane, target)) return true;
    return w.findBar && IsChild(w.findBar, target) && IsWindowVisible(w.findBar);
}

// The command of the accelerator the key stands for, 0 for none.
int acceleratorCommand(HACCEL table, const MSG& msg) {
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return 0;
    ACCEL keys[64];
    const int count = CopyAcceleratorTableW(table, keys, int(std::size(keys)));
    const auto held = [](int key) { return (GetKeyState(key) & 0x8000) != 0; };
    const BYTE modifiers = BYTE((held(VK_CONTROL) ? FCONTROL : 0) | (held(VK_SHIFT) ? FSHIFT : 0) |
                                (held(VK_MENU) ? FALT : 0));
    for (int i = 0; i < count; ++i) {
        const ACCEL& k = keys[i];
        if ((k.fVirt & FVIRTKEY) && k.key == msg.wParam && (k.fVirt & (FCONTROL | FSHIFT | FALT)) == modifiers)
            return k.cmd;
    }
    return 0;
}

// A key whose command is greyed does nothing in the accelerator: the bar
// says why, with the beep of a move that cannot be made.
bool refuseGreyedCommand(App& app, const MSG& msg) {
    const MainWindows& w = app.windows;
    const int command = acceleratorCommand(w.accelerators, msg);
    if (!command || !w.mainMenu) return false;
    const UINT state = GetMenuState(w.mainMenu, UINT(command), MF_BYCOMMAND);
    if (state == UINT(-1) || !(state & (MF_GRAYED | MF_DISABLED))) return false;
    noteRefusedCommand(app, command);
    beep();
    return true;
}

bool translateMainAccelerator(App& app, MSG& msg) {
    const MainWindows& w = app.windows;
    if (msg.message != WM_KEYDOWN && msg.message != WM_SYSKEYDOWN) return false;
    if (!w.main || !w.accelerators || !isTextPlace(app, msg.hwnd) || isEditingKey(msg)) return false;
    if (refuseGreyedCommand(app, msg)) return true;
    return TranslateAcceleratorW(w.main, w.accelerators, &msg) != 0;
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
    if (routeToolWindowMessage(a, msg)) return;
    if (isFocusCycleKey(a, msg)) {
        cycleFocus(a);
        notePaneFocus(a);
        return;
    }
    if (translateMainAccelerator(a, msg)) {
        notePaneFocus(a);
        return;
    }
    sendMenuKeysToMainWindow(a, msg);
    if (routeFindBarMessage(a, msg)) return;
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
    if (w.main && w.accelerators && (refuseGreyedCommand(a, msg) || TranslateAcceleratorW(w.main, w.accelerators, &msg)))
        return;
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
