#include "properties/pattern_help.h"

#include "properties/screen_capture.h"
#include "resources/resource_ids.h"

namespace lumaset {

namespace {

struct MenuItem {
    UINT id;             // 0: a separator
    const wchar_t* text; // token, TAB, explanation
};

constexpr wchar_t kCaptureItemText[] = L"\tTarvelonの画面から取り込む...";

constexpr MenuItem kPatternHelpItems[] = {
    {IDM_PATTERN_CAPTURE, kCaptureItemText},
    {0, nullptr},
    {IDM_PATTERN_LINE_START, L"^\t行頭"},
    {IDM_PATTERN_LINE_END, L"$\t行末"},
    {IDM_PATTERN_ANY, L".\t改行を除く任意の文字"},
    {IDM_PATTERN_ZERO_OR_MORE, L"*\t直前のパターンの０回以上の繰り返し"},
    {IDM_PATTERN_ONE_OR_MORE, L"+\t直前のパターンの１回以上の繰り返し"},
    {IDM_PATTERN_ZERO_OR_ONE, L"?\t直前のパターンが０回または１回現れる"},
    {IDM_PATTERN_IN_SET, L"[xxx]\t範囲内の文字"},
    {IDM_PATTERN_NOT_IN_SET, L"[^xxx]\t範囲外の文字"},
    {IDM_PATTERN_LINE_BREAK, L"\\n\t改行"},
    {0, nullptr},
    {IDM_PATTERN_TYPED_START, L"\\v\t入力した文字の開始位置"},
    {IDM_PATTERN_TITLE_SEPARATOR, L"\\f\tタイトル取得用の区切り"},
};

constexpr MenuItem kTitleHelpItems[] = {
    {IDM_TITLE_CAPTURE, kCaptureItemText},
    {0, nullptr},
    {IDM_TITLE_TRANSPARENT, L"\t透明にする"},
    {0, nullptr},
    {IDM_TITLE_PART_0, L"\\0\t最初の区切りの前部分"},
    {IDM_TITLE_PART_1, L"\\1\t最初の区切りと次の区切りの間"},
    {IDM_TITLE_PART_2, L"\\2\t２番めの区切りから３番目の区切りの間"},
    {IDM_TITLE_PART_3, L"\\3\t３番めの区切りから４番目の区切りの間"},
    {IDM_TITLE_PART_4, L"\\4\t４番めの区切りから５番目の区切りの間"},
    {IDM_TITLE_PART_5, L"\\5\t５番めの区切りから６番目の区切りの間"},
};

// What an item does to its field: keys before the token, the token typed,
// keys after it.
struct TokenAction {
    UINT id;
    UINT keyBefore;  // 0: none
    const wchar_t* token;
    UINT keyAfter;   // 0: none
};

constexpr TokenAction kTokenActions[] = {
    {IDM_PATTERN_LINE_START, VK_HOME, L"^", 0},
    {IDM_PATTERN_LINE_END, VK_END, L"$", 0},
    {IDM_PATTERN_ANY, 0, L".", 0},
    {IDM_PATTERN_ZERO_OR_MORE, 0, L"*", 0},
    {IDM_PATTERN_ONE_OR_MORE, 0, L"+", 0},
    {IDM_PATTERN_ZERO_OR_ONE, 0, L"?", 0},
    {IDM_PATTERN_IN_SET, 0, L"[]", VK_LEFT},
    {IDM_PATTERN_NOT_IN_SET, 0, L"[^]", VK_LEFT},
    {IDM_PATTERN_LINE_BREAK, 0, L"\\n", 0},
    {IDM_PATTERN_TYPED_START, 0, L"\\v", 0},
    {IDM_PATTERN_TITLE_SEPARATOR, 0, L"\\f", 0},
    {IDM_TITLE_PART_0, 0, L"\\0", 0},
    {IDM_TITLE_PART_1, 0, L"\\1", 0},
    {IDM_TITLE_PART_2, 0, L"\\2", 0},
    {IDM_TITLE_PART_3, 0, L"\\3", 0},
    {IDM_TITLE_PART_4, 0, L"\\4", 0},
    {IDM_TITLE_PART_5, 0, L"\\5", 0},
};

template <std::size_t N>
HMENU buildMenu(const MenuItem (&items)[N]) {
    HMENU menu = CreatePopupMenu();
    if (!menu) return nullptr;
    for (const MenuItem& item : items) {
        if (item.id == 0)
            AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        else
            AppendMenuW(menu, MF_STRING, item.id, item.text);
    }
    return menu;
}

void pressKey(HWND field, UINT key) {
    SendMessageW(field, WM_KEYDOWN, key, 1);
}

// Typed one character at a time, so the field's own rules (limit,
// selection, the pattern field's line breaks) apply as to the keyboard.
void typeToken(HWND field, const wchar_t* token) {
    for (const wchar_t* p = token; *p; ++p) SendMessageW(field, WM_CHAR, *p, 1);
}

void carryOut(App& app, UINT id, HWND field) {
    switch (id) {
    case IDM_PATTERN_CAPTURE: captureScreenText(app, field); return;
    case IDM_TITLE_CAPTURE: captureScreenPosition(app, field); return;
    case IDM_TITLE_TRANSPARENT: SetWindowTextW(field, L"\\-"); return;
    }
    for (const TokenAction& action : kTokenActions) {
        if (action.id != id) continue;
        if (action.keyBefore) pressKey(field, action.keyBefore);
        typeToken(field, action.token);
        if (action.keyAfter) pressKey(field, action.keyAfter);
        return;
    }
}

struct MenuTarget {
    HMENU menu;
    HWND field;
};

MenuTarget menuFor(App& app, HWND button) {
    const HWND pane = GetParent(button);
    switch (GetDlgCtrlID(button)) {
    case IDC_PATTERN_HELP: return {app.patternHelp.patternHelpMenu, GetDlgItem(pane, IDC_PATTERN)};
    case IDC_EXIT_PATTERN_HELP: return {app.patternHelp.patternHelpMenu, GetDlgItem(pane, IDC_EXIT_PATTERN)};
    default: return {app.patternHelp.titleHelpMenu, GetDlgItem(pane, IDC_TITLE)};
    }
}

// The button acts on a press, not on a click: the menu opens at once and
// the press never reaches the push button itself.
LRESULT openHelpMenu(App& app, HWND button, UINT message) {
    SendMessageW(button, BM_SETSTATE, TRUE, 0);
    RECT rect{};
    GetWindowRect(button, &rect);
    if (!app.windows.newShell) {
        // Otherwise the menu takes the left button as held down.
        BYTE keys[256];
        if (GetKeyboardState(keys)) {
            keys[VK_LBUTTON] &= ~0x80;
            SetKeyboardState(keys);
        }
    }
    if (message == WMU_OPEN_HELP_MENU) app.windows.popupFirstItem = true;

    const MenuTarget target = menuFor(app, button);
    const bool exitPattern = GetDlgCtrlID(button) == IDC_EXIT_PATTERN_HELP;
    if (HMENU menu = app.patternHelp.patternHelpMenu) {
        const UINT state = MF_BYCOMMAND | (exitPattern ? MF_GRAYED : MF_ENABLED);
        EnableMenuItem(menu, IDM_PATTERN_LINE_BREAK, state);
        EnableMenuItem(menu, IDM_PATTERN_TITLE_SEPARATOR, state);
    }
    UINT chosen = 0;
    if (target.menu)
        chosen = UINT(TrackPopupMenu(target.menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_LEFTBUTTON,
                                     rect.right, rect.top, 0, app.windows.main, nullptr));
    // A menu that never opened must not pass the flag on to the next one.
    app.windows.popupFirstItem = false;

    SendMessageW(button, BM_SETSTATE, FALSE, 0);
    // The click that closed the menu over this button must not open it again.
    MSG pending;
    PeekMessageW(&pending, button, WM_LBUTTONDOWN, WM_LBUTTONDOWN, PM_REMOVE);
    PeekMessageW(&pending, button, WM_LBUTTONDBLCLK, WM_LBUTTONDBLCLK, PM_REMOVE);
    if (target.field) {
        SetFocus(target.field);
        if (chosen) carryOut(app, chosen, target.field);
    }
    return 0;
}

LRESULT passOn(App& app, HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    if (!app.patternHelp.standardButtonProc) return DefWindowProcW(button, message, wParam, lParam);
    return CallWindowProcW(app.patternHelp.standardButtonProc, button, message, wParam, lParam);
}

// The button does not keep the focus after a click. The click that closed
// the menu over the button has already put the focus into the field: it
// stays there, since the child pane by itself would hand it to its first
// control.
LRESULT onLeftButtonUp(App& app, HWND button, WPARAM wParam, LPARAM lParam) {
    passOn(app, button, WM_LBUTTONUP, wParam, lParam);
    const HWND pane = GetParent(button);
    const HWND focus = GetFocus();
    if (!focus || focus == button || !IsChild(pane, focus)) SetFocus(pane);
    return 0;
}

}  // namespace

LRESULT CALLBACK helpButtonProc(HWND button, UINT message, WPARAM wParam, LPARAM lParam) {
    App& a = app();
    switch (message) {
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WMU_OPEN_HELP_MENU:
        return openHelpMenu(a, button, message);
    case WM_LBUTTONUP:
        return onLeftButtonUp(a, button, wParam, lParam);
    }
    return passOn(a, button, message, wParam, lParam);
}

void createPatternHelpMenus(App& app, HWND pane) {
    destroyPatternHelpMenus(app);  // a pane made again replaces the old menus
    PatternHelpState& state = app.patternHelp;
    state.patternHelpMenu = buildMenu(kPatternHelpItems);
    state.titleHelpMenu = buildMenu(kTitleHelpItems);
    for (int id : {IDC_PATTERN_HELP, IDC_EXIT_PATTERN_HELP, IDC_TITLE_HELP}) {
        HWND button = GetDlgItem(pane, id);
        if (!button) continue;
        const auto previous = reinterpret_cast<WNDPROC>(
            SetWindowLongPtrW(button, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&helpButtonProc)));
        if (id == IDC_PATTERN_HELP || !state.standardButtonProc) state.standardButtonProc = previous;
    }
}

void destroyPatternHelpMenus(App& app) {
    PatternHelpState& state = app.patternHelp;
    if (state.patternHelpMenu) DestroyMenu(state.patternHelpMenu);
    if (state.titleHelpMenu) DestroyMenu(state.titleHelpMenu);
    state.patternHelpMenu = nullptr;
    state.titleHelpMenu = nullptr;
}

}  // namespace lumaset
