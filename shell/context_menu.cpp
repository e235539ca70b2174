#include "shell/context_menu.h"

#include <commctrl.h>
#include <windowsx.h>

#include <iterator>

#include "commands/document_commands.h"
#include "resources/resource_ids.h"
#include "ui/window_subclass.h"

namespace lumaset {

namespace {

constexpr int kSeparator = 0;

constexpr int kContextMenuItems[] = {
    IDM_EDIT_UNDO,        IDM_EDIT_REDO,       kSeparator,    IDM_EDIT_CUT,        IDM_EDIT_COPY_TREE,
    IDM_EDIT_COPY_ONE,    IDM_EDIT_PASTE,      IDM_EDIT_PASTE_CHILD, IDM_EDIT_DELETE, kSeparator,
    IDM_EDIT_NEW_SYNTAX,  IDM_EDIT_NEW_CHILD,  kSeparator,    IDM_ORDER_UP,        IDM_ORDER_DOWN,
    kSeparator,           IDM_TOOLS_TEST_SYNTAX,
};

// Delete and move down both have D on the menu bar, in different popups;
// here they share one, so move down takes a key of its own.
constexpr wchar_t kContextMoveDownText[] = L"下げる(&W)\tCtrl+D";

HTREEITEM selectedItem(HWND tree) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

void showAt(POINT screen) {
    App& a = app();
    HMENU popup = buildContextMenu(a.windows.mainMenu);
    if (!popup) return;
    const int chosen = int(TrackPopupMenu(popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_LEFTALIGN | TPM_TOPALIGN,
                                          screen.x, screen.y, 0, a.windows.main, nullptr));
    DestroyMenu(popup);
    if (chosen) runCommand(chosen);
}

// From the keyboard: under the selected item's label.
void showForSelection(HWND tree) {
    HTREEITEM item = selectedItem(tree);
    if (!item) return;
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    RECT rect{};
    *reinterpret_cast<HTREEITEM*>(&rect) = item;
    POINT at{0, 0};
    if (SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&rect))) at = {rect.left, rect.bottom};
    ClientToScreen(tree, &at);
    showAt(at);
}

bool shiftHeld() { return (GetKeyState(VK_SHIFT) & 0x8000) != 0; }

LRESULT treeContextMenuProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam, SubclassLayer& layer) {
    switch (message) {
    case WM_CONTEXTMENU:
        if (lParam == -1)
            showForSelection(tree);
        else
            showTreeContextMenuAt(tree, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        return 0;
    // The keys are taken here rather than left to the default handling,
    // which differs between systems; the key-up is dropped so no second
    // menu follows.
    case WM_SYSKEYDOWN:
        if (wParam == VK_F10 && shiftHeld()) {
            showForSelection(tree);
            return 0;
        }
        break;
    case WM_SYSKEYUP:
        if (wParam == VK_F10 && shiftHeld()) return 0;
        break;
    case WM_KEYDOWN:
        if (wParam == VK_APPS) {
            showForSelection(tree);
            return 0;
        }
        break;
    case WM_KEYUP:
        if (wParam == VK_APPS) return 0;
        break;
    }
    return layer.next(tree, message, wParam, lParam);
}

}  // namespace

HMENU buildContextMenu(HMENU mainMenu) {
    HMENU popup = CreatePopupMenu();
    if (!popup) return nullptr;
    bool separatorDue = false;
    for (int id : kContextMenuItems) {
        if (id == kSeparator) {
            separatorDue = GetMenuItemCount(popup) > 0;
            continue;
        }
        // Whatever the menu bar shows for the command, enabled or greyed.
        const UINT state = GetMenuState(mainMenu, UINT(id), MF_BYCOMMAND);
        if (state == UINT(-1)) continue;
        wchar_t text[128] = {};
        GetMenuStringW(mainMenu, UINT(id), text, int(std::size(text)), MF_BYCOMMAND);
        if (id == IDM_ORDER_DOWN) lstrcpynW(text, kContextMoveDownText, int(std::size(text)));
        if (separatorDue) AppendMenuW(popup, MF_SEPARATOR, 0, nullptr);
        separatorDue = false;
        AppendMenuW(popup, MF_STRING | (state & (MF_GRAYED | MF_DISABLED)), UINT_PTR(id), text);
    }
    return popup;
}

// From the mouse: the item under it is selected first, through the normal
// selection, so a cancelled apply question leaves things as they were.
void showTreeContextMenuAt(HWND tree, POINT screen) {
    TVHITTESTINFO hit{};
    hit.pt = screen;
    ScreenToClient(tree, &hit.pt);
    HTREEITEM item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (!item || !(hit.flags & TVHT_ONITEM)) return;
    if (selectedItem(tree) != item) {
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        if (selectedItem(tree) != item) return;
    }
    showAt(screen);
}

void installTreeContextMenu(HWND tree) { installSubclass<treeContextMenuProc>(tree, nullptr); }

}  // namespace lumaset
