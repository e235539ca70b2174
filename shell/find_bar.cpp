#include "shell/find_bar.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "pattern/pattern_code.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "ui/captions.h"
#include "ui/cp932_input.h"
#include "ui/dpi.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"
#include "views/logic/syntax_search.h"
#include "views/tree_mirror.h"

namespace lumaset {

namespace {

constexpr int kFindLabelId = 105;
// Room for the longest text a field can show (a rendered title).
constexpr std::size_t kFindTextLimit = kRenderAreaSize - 1;

// Pixels at 96 DPI; scaled to the window's DPI.
struct Spacing {
    int margin = 4;
    int gap = 6;
    int rowGap = 3;
    int checkBoxExtra = 22;  // the box and the space beside it
    int buttonPadding = 18;
    int minimumButtonWidth = 64;
    int minimumTextWidth = 80;
    int fieldExtra = 8;  // an edit's or a button's height over its text
};

Spacing spacingFor(int dpi) {
    Spacing s;
    for (int* size : {&s.margin, &s.gap, &s.rowGap, &s.checkBoxExtra, &s.buttonPadding, &s.minimumButtonWidth,
                      &s.minimumTextWidth, &s.fieldExtra})
        *size = scaled(*size, dpi);
    return s;
}

enum class Kind { Label, Text, CheckBox, Button };

struct BarControl {
    int id;
    Kind kind;
    const wchar_t* text;
    bool startsRow;
};

const BarControl kControls[] = {
    {kFindLabelId, Kind::Label, L"検索:", true},
    {kFindTextId, Kind::Text, L"", false},
    {kFindNameId, Kind::CheckBox, L"名前", true},
    {kFindPatternId, Kind::CheckBox, L"構文", false},
    {kFindExitPatternId, Kind::CheckBox, L"出口の構文", false},
    {kFindTitleId, Kind::CheckBox, L"タイトル", false},
    {kFindNextId, Kind::Button, L"次を検索", true},
    {kFindPreviousId, Kind::Button, L"前を検索", false},
    {kFindCloseId, Kind::Button, L"閉じる", false},
};

HFONT barFont(const App& app) {
    HWND source = app.windows.propertyPane ? app.windows.propertyPane : app.windows.tree;
    HFONT font = source ? reinterpret_cast<HFONT>(SendMessageW(source, WM_GETFONT, 0, 0)) : nullptr;
    return font ? font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
}

struct Metrics {
    int lineHeight = 0;
    std::vector<int> textWidths;  // per control, of its label
};

Metrics measure(const App& app) {
    Metrics metrics;
    HDC dc = GetDC(app.windows.main);
    HGDIOBJ previous = SelectObject(dc, barFont(app));
    TEXTMETRICW tm{};
    GetTextMetricsW(dc, &tm);
    metrics.lineHeight = tm.tmHeight;
    for (const BarControl& control : kControls) {
        SIZE size{};
        GetTextExtentPoint32W(dc, control.text, int(wcslen(control.text)), &size);
        metrics.textWidths.push_back(size.cx);
    }
    SelectObject(dc, previous);
    ReleaseDC(app.windows.main, dc);
    return metrics;
}

// Lays the controls out left to right, a new row for each group and
// wherever the width runs out, so a narrow tree column still shows them
// all. Returns the height used; moves the controls when asked.
int arrange(const App& app, int width, bool move) {
    const Metrics metrics = measure(app);
    const int line = metrics.lineHeight;
    const Spacing sp = spacingFor(dpiOf(app.windows.main));
    const int margin = sp.margin;
    int x = margin, y = margin, rowHeight = 0;
    const int right = std::max(width - margin, margin + sp.minimumTextWidth);
    for (std::size_t i = 0; i < std::size(kControls); ++i) {
        const BarControl& control = kControls[i];
        int w = 0, h = 0;
        switch (control.kind) {
        case Kind::Label: w = metrics.textWidths[i]; h = line + sp.fieldExtra; break;
        case Kind::Text: w = std::max(right - x, sp.minimumTextWidth); h = line + sp.fieldExtra; break;
        case Kind::CheckBox: w = metrics.textWidths[i] + sp.checkBoxExtra; h = line + sp.fieldExtra * 3 / 4; break;
        case Kind::Button:
            w = std::max(metrics.textWidths[i] + sp.buttonPadding, sp.minimumButtonWidth);
            h = line + sp.fieldExtra * 5 / 4;
            break;
        }
        const bool overflows = x > margin && x + w > right;
        if ((control.startsRow && i > 0) || overflows) {
            x = margin;
            y += rowHeight + sp.rowGap;
            rowHeight = 0;
            if (control.kind == Kind::Text) w = right - x;
        }
        if (move) {
            HWND child = GetDlgItem(app.windows.findBar, control.id);
            // A label sits on the text line of the field beside it.
            const int top = control.kind == Kind::Label ? y + sp.fieldExtra / 2 : y;
            SetWindowPos(child, nullptr, x, top, w, control.kind == Kind::Label ? line : h,
                         SWP_NOZORDER | SWP_NOACTIVATE);
        }
        x += w + sp.gap;
        rowHeight = std::max(rowHeight, h);
    }
    return y + rowHeight + margin;
}

bool isChecked(HWND bar, int id) { return SendDlgItemMessageW(bar, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

void check(HWND bar, int id, bool on) { SendDlgItemMessageW(bar, id, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); }

// The bar's text and boxes become what F3 searches for.
void takeBarState(App& app) {
    HWND bar = app.windows.findBar;
    if (!bar || !IsWindowVisible(bar)) return;
    HWND edit = GetDlgItem(bar, kFindTextId);
    FindState& find = app.find;
    find.text = windowText(edit);
    find.name = isChecked(bar, kFindNameId);
    find.pattern = isChecked(bar, kFindPatternId);
    find.exitPattern = isChecked(bar, kFindExitPatternId);
    find.title = isChecked(bar, kFindTitleId);
}

bool isBarButton(HWND bar, HWND window) {
    if (!window || GetParent(window) != bar) return false;
    const int id = GetDlgCtrlID(window);
    return id == kFindNextId || id == kFindPreviousId || id == kFindCloseId;
}

LRESULT CALLBACK findBarProc(HWND bar, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COMMAND:
        if (HIWORD(wParam) != BN_CLICKED) break;
        switch (LOWORD(wParam)) {
        case kFindNextId: findAgain(app(), false); return 0;
        case kFindPreviousId: findAgain(app(), true); return 0;
        case kFindCloseId: closeFindBar(app()); return 0;
        }
        break;
    case DM_GETDEFID: {
        // Enter presses the focused button, else 次を検索.
        HWND focus = GetFocus();
        const int id = isBarButton(bar, focus) ? GetDlgCtrlID(focus) : kFindNextId;
        return MAKELRESULT(id, DC_HASDEFID);
    }
    }
    return DefWindowProcW(bar, message, wParam, lParam);
}

bool registerFindBarClass(HINSTANCE instance) {
    WNDCLASSEXW barClass{};
    barClass.cbSize = sizeof barClass;
    barClass.lpfnWndProc = findBarProc;
    barClass.hInstance = instance;
    barClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    barClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    barClass.lpszClassName = kFindBarClass;
    return RegisterClassExW(&barClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

HWND createFindBar(App& app) {
    MainWindows& w = app.windows;
    if (!registerFindBarClass(w.instance)) return nullptr;
    HWND bar = CreateWindowExW(WS_EX_CONTROLPARENT, kFindBarClass, L"", WS_CHILD | WS_CLIPCHILDREN, 0, 0, 0, 0,
                               w.main, nullptr, w.instance, nullptr);
    if (!bar) return nullptr;
    const HFONT font = barFont(app);
    for (const BarControl& control : kControls) {
        const wchar_t* cls = L"BUTTON";
        DWORD style = WS_CHILD | WS_VISIBLE | WS_TABSTOP, exStyle = 0;
        switch (control.kind) {
        case Kind::Label: cls = L"STATIC"; style = WS_CHILD | WS_VISIBLE | SS_LEFT; break;
        case Kind::Text: cls = L"EDIT"; style |= ES_AUTOHSCROLL; exStyle = WS_EX_CLIENTEDGE; break;
        case Kind::CheckBox: style |= BS_AUTOCHECKBOX; break;
        case Kind::Button: style |= control.id == kFindNextId ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON; break;
        }
        HWND child = CreateWindowExW(exStyle, cls, control.text, style, 0, 0, 0, 0, bar,
                                     reinterpret_cast<HMENU>(INT_PTR(control.id)), w.instance, nullptr);
        if (!child) {
            DestroyWindow(bar);
            return nullptr;
        }
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    installCp932Input(GetDlgItem(bar, kFindTextId), {kFindTextLimit, false});
    return bar;
}

// The tree gives up the bar's height while it is shown.
void relayout(App& app) {
    layoutPanes(app);
    InvalidateRect(app.windows.tree, nullptr, TRUE);
}

}  // namespace

void showFindBar(App& app) {
    MainWindows& w = app.windows;
    if (!w.findBar) {
        w.findBar = createFindBar(app);
        if (!w.findBar) return;
    }
    HWND bar = w.findBar;
    if (!IsWindowVisible(bar)) {
        const FindState& find = app.find;
        SetDlgItemTextW(bar, kFindTextId, find.text.c_str());
        check(bar, kFindNameId, find.name);
        check(bar, kFindPatternId, find.pattern);
        check(bar, kFindExitPatternId, find.exitPattern);
        check(bar, kFindTitleId, find.title);
        ShowWindow(bar, SW_SHOWNA);
        relayout(app);
    }
    HWND edit = GetDlgItem(bar, kFindTextId);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
}

void closeFindBar(App& app) {
    HWND bar = app.windows.findBar;
    if (!bar || !IsWindowVisible(bar)) return;
    takeBarState(app);
    ShowWindow(bar, SW_HIDE);
    relayout(app);
    SetFocus(app.windows.tree);
}

int findAgain(App& app, bool backward) {
    takeBarState(app);
    const FindState& find = app.find;
    if (find.text.empty()) {
        // Nothing to look for yet: ask for it.
        showFindBar(app);
        return 0;
    }
    const SearchFields fields{find.name, find.pattern, find.exitPattern, find.title};
    const SearchHit hit =
        findSyntax(app.document, cp932FromWide(find.text), fields, app.selection.selectionIndex, backward);
    if (hit.position < 0) {
        showMessageBox(app.windows.main, L"「" + find.text + L"」は見つかりません。", kEditorCaption,
                       MB_OK | MB_ICONINFORMATION);
        return 0;
    }
    if (hit.wrapped) beep();
    HTREEITEM item = itemForRecord(app, hit.position);
    if (!item) return 0;
    // The normal selection: pending pane edits get their question, and a
    // cancel there ends the search with the edited syntax still selected.
    SendMessageW(app.windows.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    if (app.selection.selectionIndex != hit.position) return 0;
    SendMessageW(app.windows.tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    return 1;
}

int runFindCommand(App& app, int commandId) {
    switch (commandId) {
    case IDM_EDIT_FIND: showFindBar(app); return 1;
    case IDM_EDIT_FIND_NEXT: return findAgain(app, false);
    case IDM_EDIT_FIND_PREVIOUS: return findAgain(app, true);
    }
    return 1;
}

bool routeFindBarMessage(App& app, MSG& msg) {
    HWND bar = app.windows.findBar;
    if (!bar || !msg.hwnd || !IsChild(bar, msg.hwnd) || !IsWindowVisible(bar)) return false;
    if (msg.message == WM_KEYDOWN) {
        const bool control = GetKeyState(VK_CONTROL) & 0x8000;
        // F3, Shift+F3 and Ctrl+F are the main window's, wherever the focus is.
        if (msg.wParam == VK_F3 || (msg.wParam == 'F' && control)) return false;
        // Shift+Enter in the text searches backward; the dialog keys only
        // know one default button.
        if (msg.wParam == VK_RETURN && msg.hwnd == GetDlgItem(bar, kFindTextId)) {
            findAgain(app, (GetKeyState(VK_SHIFT) & 0x8000) != 0);
            return true;
        }
    }
    return IsDialogMessageW(bar, &msg) != FALSE;
}

int findBarHeight(const App& app, int width) {
    HWND bar = app.windows.findBar;
    if (!bar || !IsWindowVisible(bar)) return 0;
    return arrange(app, width, false);
}

void placeFindBar(App& app, int x, int y, int width, int height) {
    HWND bar = app.windows.findBar;
    if (!bar) return;
    SetWindowPos(bar, nullptr, x, y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);
    arrange(app, width, true);
}

}  // namespace lumaset
