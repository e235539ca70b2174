#include "shell/main_window.h"

#include <commctrl.h>
#include <shellapi.h>
#include <windowsx.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "commands/document_commands.h"
#include "commands/dropped_files.h"
#include "views/command_states.h"
#include "views/document_history.h"
#include "views/document_state.h"
#include "document/error_message.h"
#include "document/tag_file.h"
#include "properties/property_pane.h"
#include "properties/tool_windows.h"
#include "resources/resource_ids.h"
#include "shell/context_menu.h"
#include "shell/find_bar.h"
#include "shell/logic/command_line.h"
#include "shell/recovery_start.h"
#include "shell/tree_drag.h"
#include "shell/window_placement.h"
#include "shell/window_memory.h"
#include "views/memo_edit.h"
#include "views/recent_files.h"
#include "views/pane_steps.h"
#include "views/recovery.h"
#include "views/status_line.h"
#include "views/tree_mirror.h"
#include "ui/dpi.h"
#include "ui/ui_calls.h"
#include "ui/win_paths.h"
#include "ui/window_subclass.h"

namespace lumaset {

namespace {

constexpr std::size_t kMaxPathLength = 259;
constexpr wchar_t kPatternFontFace[] = L"ＭＳ ゴシック";
constexpr int kStatusPositionWidth = 110;  // status bar parts at 96 DPI
constexpr int kStatusMarkWidth = 60;

bool registerClass(const WNDCLASSEXW& windowClass) {
    return RegisterClassExW(&windowClass) || GetLastError() == ERROR_CLASS_ALREADY_EXISTS;
}

bool registerWindowClasses(HINSTANCE instance) {
    WNDCLASSEXW main{};
    main.cbSize = sizeof main;
    main.lpfnWndProc = mainWindowProc;
    main.hInstance = instance;
    main.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(IDI_LUMASET));
    main.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(IDI_LUMASET), IMAGE_ICON,
                                                 GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), 0));
    main.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    // The children cover the client; should a gap show during a resize, it
    // is the face colour, not a dark band.
    main.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    main.lpszMenuName = MAKEINTRESOURCEW(IDM_MAINMENU);
    main.lpszClassName = kMainWindowClass;

    WNDCLASSEXW splitter{};
    splitter.cbSize = sizeof splitter;
    splitter.lpfnWndProc = splitterWindowProc;
    splitter.hInstance = instance;
    splitter.hCursor = LoadCursorW(nullptr, IDC_SIZEWE);
    splitter.lpszClassName = kSplitterClass;
    return registerClass(main) && registerClass(splitter);
}

// Wine's tree view keeps the system keys to itself, so Alt+F4, F10 and the
// menu's access keys never reached the window from the tree; the default
// handling is what they need on any system.
LRESULT treeSystemKeysProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam, SubclassLayer& layer) {
    switch (message) {
    case WM_SYSKEYDOWN:
    case WM_SYSKEYUP:
    case WM_SYSCHAR:
        return DefWindowProcW(tree, message, wParam, lParam);
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && cancelTreeDrag(app())) return 0;
        [[fallthrough]];
    case WM_LBUTTONDOWN:
    case WM_CHAR: {
        // A click on an ancestor's [-] moves the highlight in Wine's tree
        // without a selection notice: it passes the selection step here.
        const LRESULT result = layer.next(tree, message, wParam, lParam);
        selectionFollowsTree(app());
        return result;
    }
    }
    return layer.next(tree, message, wParam, lParam);
}

// Status bar parts: the path takes what the position and the mark leave.
void setStatusParts(App& app) {
    HWND bar = app.windows.statusBar;
    if (!bar) return;
    RECT client{};
    GetClientRect(app.windows.main, &client);
    const int dpi = dpiOf(app.windows.main);
    const int mark = scaled(kStatusMarkWidth, dpi), position = scaled(kStatusPositionWidth, dpi);
    const int right = client.right - GetSystemMetrics(SM_CXVSCROLL);
    const int edges[] = {std::max(right - mark - position, 0), std::max(right - mark, 0), -1};
    SendMessageW(bar, SB_SETPARTS, 3, reinterpret_cast<LPARAM>(edges));
}

// The bar takes the pane's dialog font: Japanese, and scaled to the DPI.
void createStatusBar(App& app) {
    MainWindows& w = app.windows;
    if (w.statusBar) return;
    w.statusBar = CreateWindowExW(0, STATUSCLASSNAMEW, L"", WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP, 0, 0, 0, 0,
                                  w.main, reinterpret_cast<HMENU>(INT_PTR{IDC_STATUS_BAR}), w.instance, nullptr);
    if (!w.statusBar) return;
    if (w.propertyPane) SendMessageW(w.statusBar, WM_SETFONT, SendMessageW(w.propertyPane, WM_GETFONT, 0, 0), FALSE);
    for (std::wstring& part : app.status.shownParts) part.clear();
    setStatusParts(app);
    refreshStatusBar(app);
}

void showStatusBar(App& app, bool shown) {
    MainWindows& w = app.windows;
    if (shown) {
        createStatusBar(app);
    } else if (w.statusBar) {
        DestroyWindow(w.statusBar);
        w.statusBar = nullptr;
    }
    CheckMenuItem(w.mainMenu, IDM_VIEW_STATUS_BAR, MF_BYCOMMAND | (shown ? MF_CHECKED : MF_UNCHECKED));
    layoutPanes(app);
}

void toggleStatusBar(App& app) {
    const bool shown = app.windows.statusBar == nullptr;
    showStatusBar(app, shown);
    saveStatusBarShown(shown);
}

bool createPanes(App& app) {
    MainWindows& w = app.windows;
    w.tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                             WS_CHILD | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                                 TVS_SHOWSELALWAYS,
                             0, 0, 0, 0, w.main, nullptr, w.instance, nullptr);
    if (w.tree) installSubclass<treeSystemKeysProc>(w.tree, nullptr);
    if (w.tree) installTreeContextMenu(w.tree);
    w.splitter = CreateWindowExW(0, kSplitterClass, L"", WS_CHILD | WS_CLIPSIBLINGS | WS_CLIPCHILDREN, 0, 0, 0, 0,
                                 w.main, nullptr, w.instance, nullptr);
    w.memo = createMemoEdit(w.main, w.instance);
    w.propertyPane = CreateDialogParamW(w.instance, MAKEINTRESOURCEW(IDD_PROPERTIES), w.main, propertyPaneProc, 0);
    return w.tree && w.splitter && w.memo && w.propertyPane;
}

// A fixed-pitch font of the pane's own cell height for the pattern fields
// and the memo, where columns matter.
void applyPatternFont(App& app) {
    MainWindows& w = app.windows;
    HWND name = GetDlgItem(w.propertyPane, IDC_NAME);
    auto paneFont = reinterpret_cast<HFONT>(SendMessageW(name, WM_GETFONT, 0, 0));
    TEXTMETRICW metrics{};
    HDC dc = GetDC(name);
    HGDIOBJ previous = paneFont ? SelectObject(dc, paneFont) : nullptr;
    GetTextMetricsW(dc, &metrics);
    if (previous) SelectObject(dc, previous);
    ReleaseDC(name, dc);
    w.patternFont = CreateFontW(metrics.tmHeight, 0, 0, 0, metrics.tmWeight, 0, 0, 0, metrics.tmCharSet, 0, 0, 0,
                                FIXED_PITCH, kPatternFontFace);
    for (int id : {IDC_NAME, IDC_PATTERN, IDC_EXIT_PATTERN, IDC_TITLE})
        SendMessageW(GetDlgItem(w.propertyPane, id), WM_SETFONT, reinterpret_cast<WPARAM>(w.patternFont), FALSE);
    SendMessageW(w.memo, WM_SETFONT, reinterpret_cast<WPARAM>(w.patternFont), FALSE);
}

// The tree shows the pane's Japanese dialog font, at the window's DPI.
void scaleTree(App& app) {
    MainWindows& w = app.windows;
    if (!w.tree) return;
    if (w.propertyPane) SendMessageW(w.tree, WM_SETFONT, SendMessageW(w.propertyPane, WM_GETFONT, 0, 0), TRUE);
    scaleTreeView(w.tree, dpiOf(w.main));
}

// Loads the file named on the command line, or starts a new document.
bool openStartupDocument(App& app, const std::wstring& commandLinePath) {
    if (commandLinePath.empty()) {
        app.document.newDocument();
        return true;
    }
    const std::wstring path = fullPath(commandLinePath);
    // A path that does not fit the path buffer is not cut into another one.
    if (path.size() > kMaxPathLength) {
        app.document.newDocument();
        showErrorMessage(pathForMessage(path) + "は見つかりません。");
        return false;
    }
    app.file.path = path;
    // Noted before the read: a write in between shows as a change later.
    noteFileOnDisk(app);
    if (!loadTagFile(app.document, path)) return false;
    addRecentFile(path);
    return true;
}

// --- main window messages --------------------------------------------------

void onCreate(App& app, HWND window) {
    app.windows.main = window;
    app.windows.mainMenu = GetMenu(window);
}

void onDestroy(App& app, HWND window) {
    PostQuitMessage(0);
    saveWindowPlacement(app);
    closeToolWindows(app);
    // Closed after the save question: whatever was not saved was let go.
    dropRecoveryCopy(app);
    MainWindows& w = app.windows;
    if (w.inClipboardChain) {
        ChangeClipboardChain(window, w.nextClipboardViewer);
        w.inClipboardChain = false;
        w.nextClipboardViewer = nullptr;
    }
}

void onNcDestroy(App& app) {
    MainWindows& w = app.windows;
    if (w.patternFont) DeleteObject(w.patternFont);
    w.patternFont = nullptr;
}

void onSize(App& app, WPARAM kind) {
    if (kind == SIZE_MINIMIZED) return;
    noteNormalFrame(app);
    if (app.windows.toolbar) SendMessageW(app.windows.toolbar, TB_AUTOSIZE, 0, 0);
    if (app.windows.statusBar) {
        SendMessageW(app.windows.statusBar, WM_SIZE, 0, 0);
        setStatusParts(app);
    }
    layoutPanes(app);
}

// Focus memory: a message box, a dialog or another program takes the
// activation; when it comes back the keys go where the user left them.
void onActivate(App& app, WPARAM wParam) {
    MainWindows& w = app.windows;
    if (LOWORD(wParam) == WA_INACTIVE) {
        HWND focus = GetFocus();
        if (focus && IsChild(w.main, focus)) w.lastFocus = focus;
        return;
    }
    if (HIWORD(wParam)) return;  // minimised: nothing to focus yet
    restoreFocus(app, w.lastFocus);
}

void onClose(HWND window) {
    if (confirmSaveChanges()) DestroyWindow(window);
}

COLORREF mix(COLORREF a, COLORREF b, int percentOfA) {
    const auto channel = [&](int shift) {
        return (((a >> shift) & 0xFF) * percentOfA + ((b >> shift) & 0xFF) * (100 - percentOfA)) / 100;
    };
    return RGB(channel(0), channel(8), channel(16));
}

// With the focus elsewhere (the pane, the find bar, a question) the selected
// item keeps a clear mark: a tint of the highlight colour, where the default
// grey all but vanishes on white.
LRESULT onTreeCustomDraw(const App& app, NMTVCUSTOMDRAW* draw) {
    switch (draw->nmcd.dwDrawStage) {
    case CDDS_PREPAINT:
        return CDRF_NOTIFYITEMDRAW;
    case CDDS_ITEMPREPAINT:
        if ((draw->nmcd.uItemState & CDIS_SELECTED) && GetFocus() != app.windows.tree) {
            draw->clrTextBk = mix(GetSysColor(COLOR_HIGHLIGHT), GetSysColor(COLOR_WINDOW), 35);
            draw->clrText = GetSysColor(COLOR_WINDOWTEXT);
        }
        return CDRF_DODEFAULT;
    }
    return CDRF_DODEFAULT;
}

LRESULT onNotify(App& app, NMHDR* header) {
    switch (header->code) {
    case NM_CUSTOMDRAW:
        if (header->hwndFrom != app.windows.tree) return CDRF_DODEFAULT;
        return onTreeCustomDraw(app, reinterpret_cast<NMTVCUSTOMDRAW*>(header));
    case TTN_SHOW:
        // Above the property pane, which is a popup of its own.
        SetWindowPos(header->hwndFrom, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        return 0;
    case TTN_NEEDTEXTW: {
        auto* info = reinterpret_cast<NMTTDISPINFOW*>(header);
        info->lpszText = const_cast<wchar_t*>(tooltipTextForCommand(int(header->idFrom)));
        info->hinst = nullptr;
        return 0;
    }
    case TVN_BEGINDRAGW:
    case TVN_BEGINDRAGA: {
        if (header->hwndFrom != app.windows.tree) return 0;
        const auto* info = reinterpret_cast<NMTREEVIEWW*>(header);
        beginTreeDrag(app, info->itemNew.hItem, info->ptDrag);
        return 0;
    }
    case NM_RCLICK: {
        if (header->hwndFrom != app.windows.tree) return 0;
        // Handled here: the tree then sends no WM_CONTEXTMENU of its own.
        const DWORD at = GetMessagePos();
        showTreeContextMenuAt(app.windows.tree, {GET_X_LPARAM(at), GET_Y_LPARAM(at)});
        return 1;
    }
    case TVN_ITEMEXPANDEDW:
    case TVN_ITEMEXPANDEDA: {
        if (header->hwndFrom != app.windows.tree) return 0;
        // Both forms keep the item and its state at the same place.
        const TVITEMW& item = reinterpret_cast<NMTREEVIEWW*>(header)->itemNew;
        noteItemExpanded(app, item.hItem, (item.state & TVIS_EXPANDED) != 0);
        return 0;
    }
    case TVN_SELCHANGEDW:
    case TVN_SELCHANGEDA:
        if (header->hwndFrom != app.windows.tree) return 0;
        // Both forms keep the new item's handle at the same place.
        app.status.reason.clear();
        selectSyntax(app, reinterpret_cast<NMTREEVIEWW*>(header)->itemNew.hItem);
        if (!app.selection.pasting) refreshCommandStates(app);
        refreshToolWindowsSoon(app);
        return 0;
    }
    return 0;
}

void onCommand(App& app, WPARAM wParam, LPARAM lParam) {
    const UINT code = HIWORD(wParam);
    if (code == 0 || code == 1) {
        if (LOWORD(wParam) == IDM_VIEW_STATUS_BAR) {
            toggleStatusBar(app);
            return;
        }
        clearRefusal(app);
        runCommand(LOWORD(wParam));
    } else if (code == EN_CHANGE && reinterpret_cast<HWND>(lParam) == app.windows.memo && app.windows.memo &&
               !app.windows.fillingMemo) {
        if (!acceptMemoEdit(app)) return;
        noteMemoEdited(app);
        markModified();
    }
}

void onInitMenuPopup(App& app) {
    if (!app.windows.popupFirstItem) return;
    app.windows.popupFirstItem = false;
    if (!app.windows.newShell) return;
    const BYTE scan = BYTE(MapVirtualKeyW(VK_DOWN, MAPVK_VK_TO_VSC));
    keybd_event(VK_DOWN, scan, 0, 0);
    keybd_event(VK_DOWN, scan, KEYEVENTF_KEYUP, 0);
}

void onDrawClipboard(App& app, WPARAM wParam, LPARAM lParam) {
    checkClipboardFormat(app);
    refreshCommandStates(app);
    if (app.windows.nextClipboardViewer) SendMessageW(app.windows.nextClipboardViewer, WM_DRAWCLIPBOARD, wParam, lParam);
}

void onChangeClipboardChain(App& app, WPARAM wParam, LPARAM lParam) {
    HWND& next = app.windows.nextClipboardViewer;
    if (reinterpret_cast<HWND>(wParam) == next)
        next = reinterpret_cast<HWND>(lParam);
    else if (next)
        SendMessageW(next, WM_CHANGECBCHAIN, wParam, lParam);
}

// Moved to a monitor of another DPI: the system has scaled the pane's
// dialog font; the pattern font, the toolbar pictures and the layout follow,
// in the rectangle the system suggests.
void onDpiChanged(App& app, HWND window, const RECT& suggested) {
    MainWindows& w = app.windows;
    // The pattern font is measured from the name field's font: give it the
    // pane's rescaled dialog font first. The find bar takes that font too.
    const auto dialogFont = WPARAM(SendMessageW(w.propertyPane, WM_GETFONT, 0, 0));
    SendMessageW(GetDlgItem(w.propertyPane, IDC_NAME), WM_SETFONT, dialogFont, FALSE);
    HFONT oldFont = w.patternFont;
    applyPatternFont(app);
    if (oldFont) DeleteObject(oldFont);
    scaleTree(app);
    if (w.findBar)
        for (HWND child = GetWindow(w.findBar, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
            SendMessageW(child, WM_SETFONT, dialogFont, TRUE);
    if (w.toolbar) {
        DestroyWindow(w.toolbar);
        w.toolbar = createToolbar(app);
        if (w.toolbar) ShowWindow(w.toolbar, SW_SHOW);
        // A new toolbar starts all enabled, as at start-up.
        app.selection.pushedCommandFlags = SelectionState{}.pushedCommandFlags;
        refreshCommandStates(app);
    }
    if (w.statusBar) {
        DestroyWindow(w.statusBar);
        w.statusBar = nullptr;
        createStatusBar(app);
    }
    SetWindowPos(window, nullptr, suggested.left, suggested.top, suggested.right - suggested.left,
                 suggested.bottom - suggested.top, SWP_NOZORDER | SWP_NOACTIVATE);
    layoutPanes(app);
    // Whatever the old scale left painted goes.
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void onHelpNotOpened(HWND window, LPARAM lParam) {
    const std::unique_ptr<std::wstring> page(reinterpret_cast<std::wstring*>(lParam));
    if (page) tellHelpNotOpened(window, *page);
}

// Files from Explorer open as Open would; a tree drag in progress owns the
// mouse, and a drop then changes nothing.
void onDropFiles(App& app, HDROP drop) {
    std::vector<std::wstring> paths;
    const UINT count = DragQueryFileW(drop, 0xFFFFFFFF, nullptr, 0);
    for (UINT i = 0; i < count; ++i) {
        const UINT length = DragQueryFileW(drop, i, nullptr, 0);
        std::wstring path(length, L'\0');
        if (length && DragQueryFileW(drop, i, path.data(), length + 1) == length) paths.push_back(std::move(path));
    }
    DragFinish(drop);
    if (app.treeDrag.active) return;
    openDroppedFiles(app, paths);
}

void onRecentFilesChanged(App& app) {
    loadRecentFiles();
    buildRecentFileMenu(app.windows.mainMenu);
}

// Where a new main window goes: a further instance sits one caption lower
// and to the right of the newest one, so it never hides it exactly; back at
// the work area's corner when that would leave the screen.
RECT initialPlacement() {
    const RECT first = defaultWindowPlacement();
    RECT place{first.left, first.top, first.right - first.left, first.bottom - first.top};
    HWND other = FindWindowW(kMainWindowClass, nullptr);
    if (!other || IsIconic(other) || IsZoomed(other)) return place;
    RECT r;
    if (!GetWindowRect(other, &r)) return place;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromRect(&r, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int step = GetSystemMetrics(SM_CYCAPTION) + GetSystemMetrics(SM_CYSIZEFRAME);
    const int width = r.right - r.left, height = r.bottom - r.top;
    int x = r.left + step, y = r.top + step;
    if (x + width > work.right || y + height > work.bottom) {
        x = work.left;
        y = work.top;
    }
    return {x, y, width, height};  // right and bottom hold the size
}

}  // namespace

void restoreFocus(App& app, HWND child) {
    const MainWindows& w = app.windows;
    const bool usable = child && IsWindow(child) && IsChild(w.main, child) && IsWindowVisible(child) &&
                        IsWindowEnabled(child);
    SetFocus(usable ? child : w.tree);
}

HWND paneFocusTarget(const App& app) {
    const MainWindows& w = app.windows;
    HWND last = w.paneLastFocus;
    if (last && IsWindow(last) && IsChild(w.propertyPane, last) && IsWindowEnabled(last)) return last;
    return GetDlgItem(w.propertyPane, IDC_NAME);
}

LRESULT CALLBACK mainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    App& a = app();
    switch (message) {
    case WM_CREATE: onCreate(a, window); return 0;
    case WM_DESTROY: onDestroy(a, window); return 0;
    case WM_NCDESTROY: onNcDestroy(a); break;
    case WM_SIZE: onSize(a, wParam); return 0;
    case WM_MOVE: noteNormalFrame(a); return 0;
    case WM_ACTIVATE: onActivate(a, wParam); return 0;
    case WM_SETFOCUS: restoreFocus(a, a.windows.lastFocus); return 0;
    case WM_CLOSE: onClose(window); return 0;
    case WM_TIMER:
        if (wParam == kRecoveryTimerId) onRecoveryTimer(a);
        return 0;
    case WM_NOTIFY: return onNotify(a, reinterpret_cast<NMHDR*>(lParam));
    case WM_COMMAND: onCommand(a, wParam, lParam); return 0;
    case WM_INITMENUPOPUP: onInitMenuPopup(a); return 0;
    case WM_DRAWCLIPBOARD: onDrawClipboard(a, wParam, lParam); return 0;
    case WM_CHANGECBCHAIN: onChangeClipboardChain(a, wParam, lParam); return 0;
    case WM_MOUSEMOVE: moveTreeDrag(a, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, wParam & MK_SHIFT); return 0;
    case WM_LBUTTONUP: dropTreeDrag(a, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}, wParam & MK_SHIFT); return 0;
    case WM_KEYDOWN:
        if (wParam == VK_ESCAPE && cancelTreeDrag(a)) return 0;
        break;
    case WM_CAPTURECHANGED:
        if (reinterpret_cast<HWND>(lParam) != window) cancelTreeDrag(a);
        return 0;
    case WM_CANCELMODE: cancelTreeDrag(a); break;
    case WMU_ACTIVATE_PANE: SetFocus(paneFocusTarget(a)); return 0;
    case WMU_RECENT_FILES_CHANGED: onRecentFilesChanged(a); return 0;
    case WMU_HELP_NOT_OPENED: onHelpNotOpened(window, lParam); return 0;
    case WM_DROPFILES: onDropFiles(a, reinterpret_cast<HDROP>(wParam)); return 0;
    case WM_DPICHANGED: onDpiChanged(a, window, *reinterpret_cast<const RECT*>(lParam)); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

bool startMainWindow(HINSTANCE instance, const wchar_t* commandLineTail, int showCommand) {
    App& a = app();
    MainWindows& w = a.windows;
    w.instance = instance;
    w.newShell = LOBYTE(LOWORD(GetVersion())) >= 4;
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS | ICC_WIN95_CLASSES};
    InitCommonControlsEx(&controls);
    if (!registerWindowClasses(instance)) return false;

    // A further instance goes beside the first; only the first comes back
    // where the last editor was left.
    const auto remembered = FindWindowW(kMainWindowClass, nullptr) ? std::nullopt : rememberedWindow();
    const RECT place = remembered ? RECT{remembered->frame.left, remembered->frame.top, remembered->frame.width(),
                                         remembered->frame.height()}
                                  : initialPlacement();
    HWND main = CreateWindowExW(0, kMainWindowClass, L"", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, place.left, place.top, place.right,
                                place.bottom, nullptr, nullptr, instance, nullptr);
    if (!main) return false;
    noteNormalFrame(a);
    w.toolbar = createToolbar(a);
    RECT client;
    GetClientRect(main, &client);
    a.layout.splitPosition = remembered ? remembered->split : (client.right - client.left) / 3;
    if (!createPanes(a)) {
        DestroyWindow(main);
        return false;
    }
    applyPatternFont(a);
    scaleTree(a);
    showStatusBar(a, loadStatusBarShown());
    a.paneSteps = {applyProperties, fillProperties, showSelectedRecord, applyPropertiesAsking, selectSyntax};
    a.find.command = runFindCommand;
    a.tools.command = runToolCommand;
    for (HWND child : {w.toolbar, w.tree, w.splitter, w.memo, w.statusBar})
        if (child) ShowWindow(child, SW_SHOW);
    ShowWindow(w.propertyPane, SW_HIDE);

    const std::wstring path = filePathFromCommandLine(commandLineTail ? commandLineTail : L"");
    loadRecentFiles();
    // Unsaved work of an editor that ended comes before any file.
    const RecoveredDocument recovered = offerRecoveryCopies(a, path.empty() ? path : fullPath(path));
    if (!recovered.taken && !openStartupDocument(a, path)) {
        DestroyWindow(main);
        return false;
    }
    buildRecentFileMenu(w.mainMenu);
    buildTree(a);
    showMemoText(a);
    updateTitle();
    startHistory(a);
    // The controls start enabled; this greys what the selection rules out.
    refreshCommandStates(a);
    finishRecovery(a, recovered);

    const bool normalShow = showCommand == SW_SHOWNORMAL || showCommand == SW_SHOWDEFAULT || showCommand == SW_SHOW;
    ShowWindow(main, remembered && remembered->maximized && normalShow ? SW_SHOWMAXIMIZED : showCommand);
    if (remembered) {
        // The split was taken in the window as it was left, maximised or not.
        a.layout.splitPosition = remembered->split;
        layoutPanes(a);
    }
    SetFocus(w.tree);
    UpdateWindow(main);
    repairLoadedDepths(a);

    w.accelerators = LoadAcceleratorsW(instance, MAKEINTRESOURCEW(IDA_ACCELERATORS));
    DragAcceptFiles(main, TRUE);
    w.nextClipboardViewer = SetClipboardViewer(main);
    w.inClipboardChain = true;
    return true;
}

int runLumaset(HINSTANCE instance, const wchar_t* commandLineTail, int showCommand) {
    if (!startMainWindow(instance, commandLineTail, showCommand)) return 0;
    const int code = runMessageLoop();
    // The help viewer can only have been started for a help file beside the
    // program; without one, asking it to quit could start a viewer instead.
    if (helpFileBesideProgram()) WinHelpW(nullptr, kHelpFileName, HELP_QUIT, 0);
    return code;
}

}  // namespace lumaset
