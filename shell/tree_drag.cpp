#include "shell/tree_drag.h"

#include <iterator>

#include "commands/logic/tree_positions.h"
#include "commands/structure_edits.h"
#include "views/command_states.h"
#include "views/document_history.h"
#include "views/tree_mirror.h"

namespace lumaset {

namespace {

// The image is drawn over the main window, so coordinates count from its
// window rectangle rather than its client area.
POINT mainWindowPoint(const App& app, POINT mainPoint) {
    RECT frame{};
    GetWindowRect(app.windows.main, &frame);
    ClientToScreen(app.windows.main, &mainPoint);
    return {mainPoint.x - frame.left, mainPoint.y - frame.top};
}

// The item under the point, or null outside the tree's items.
HTREEITEM itemAt(const App& app, POINT mainPoint) {
    HWND tree = app.windows.tree;
    POINT p = mainPoint;
    MapWindowPoints(app.windows.main, tree, &p, 1);
    RECT client{};
    GetClientRect(tree, &client);
    if (!PtInRect(&client, p)) return nullptr;
    TVHITTESTINFO hit{};
    hit.pt = p;
    auto item = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    // Anywhere on the row, not just on the label.
    constexpr UINT kOnRow = TVHT_ONITEM | TVHT_ONITEMINDENT | TVHT_ONITEMBUTTON | TVHT_ONITEMRIGHT;
    return item && (hit.flags & kOnRow) ? item : nullptr;
}

void showDropTarget(App& app, HTREEITEM item) {
    TreeDragState& drag = app.treeDrag;
    if (item == drag.hover) return;
    // The image is hidden while the tree repaints under it.
    ImageList_DragShowNolock(FALSE);
    SendMessageW(app.windows.tree, TVM_SELECTITEM, TVGN_DROPHILITE, reinterpret_cast<LPARAM>(item));
    UpdateWindow(app.windows.tree);
    ImageList_DragShowNolock(TRUE);
    drag.hover = item;
}

// Near the tree's top or bottom edge the tree scrolls, so that a target out
// of view can be reached.
void scrollNearEdge(App& app, POINT mainPoint) {
    HWND tree = app.windows.tree;
    POINT p = mainPoint;
    MapWindowPoints(app.windows.main, tree, &p, 1);
    RECT client{};
    GetClientRect(tree, &client);
    const int band = int(SendMessageW(tree, TVM_GETITEMHEIGHT, 0, 0)) / 2;
    if (p.x < client.left || p.x >= client.right) return;
    WPARAM direction;
    if (p.y < client.top + band) direction = SB_LINEUP;
    else if (p.y >= client.bottom - band) direction = SB_LINEDOWN;
    else return;
    ImageList_DragShowNolock(FALSE);
    SendMessageW(tree, WM_VSCROLL, direction, 0);
    UpdateWindow(tree);
    ImageList_DragShowNolock(TRUE);
}

// The item's label as the tree draws it, for a tree that makes no drag
// image of its own (one without an image list may not).
HIMAGELIST labelImage(HWND tree, HTREEITEM item, const RECT& label) {
    const int width = label.right - label.left, height = label.bottom - label.top;
    if (width <= 0 || height <= 0) return nullptr;
    wchar_t text[260] = {};
    TVITEMW info{};
    info.mask = TVIF_TEXT;
    info.hItem = item;
    info.pszText = text;
    info.cchTextMax = int(std::size(text));
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&info));

    HDC screen = GetDC(tree);
    HDC dc = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, width, height);
    HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
    HGDIOBJ oldFont = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(tree, WM_GETFONT, 0, 0)));
    RECT box{0, 0, width, height};
    FillRect(dc, &box, GetSysColorBrush(COLOR_HIGHLIGHT));
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    DrawTextW(dc, text, -1, &box, DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX);
    SelectObject(dc, oldFont);
    SelectObject(dc, oldBitmap);
    DeleteDC(dc);
    ReleaseDC(tree, screen);

    HIMAGELIST image = ImageList_Create(width, height, ILC_COLOR32, 1, 0);
    if (image && ImageList_Add(image, bitmap, nullptr) < 0) {
        ImageList_Destroy(image);
        image = nullptr;
    }
    DeleteObject(bitmap);
    return image;
}

bool dropAllowed(const App& app, HTREEITEM item, bool shift) {
    if (!item) return false;
    const DropOutcome outcome =
        planDrop(app.document, app.treeDrag.dragged, recordForItem(app, item), shift).outcome;
    return outcome == DropOutcome::Move || outcome == DropOutcome::Unchanged;
}

// Image, highlight and capture go; the state is cleared first, so that the
// capture change this causes is not taken for a cancel.
void endDrag(App& app) {
    TreeDragState& drag = app.treeDrag;
    drag.active = false;
    ImageList_DragLeave(app.windows.main);
    ImageList_EndDrag();
    if (drag.image) ImageList_Destroy(drag.image);
    drag.image = nullptr;
    SendMessageW(app.windows.tree, TVM_SELECTITEM, TVGN_DROPHILITE, 0);
    drag.hover = nullptr;
    if (GetCapture() == app.windows.main) ReleaseCapture();
    SetCursor(LoadCursorW(nullptr, IDC_ARROW));
}

}  // namespace

bool beginTreeDrag(App& app, HTREEITEM item, POINT treePoint) {
    TreeDragState& drag = app.treeDrag;
    if (drag.active) return false;
    const int record = recordForItem(app, item);
    if (record < kFirstUserRecord || record >= app.document.syntaxCount()) return false;

    HWND tree = app.windows.tree;
    RECT itemRect{};
    *reinterpret_cast<HTREEITEM*>(&itemRect) = item;
    SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&itemRect));
    drag.image = reinterpret_cast<HIMAGELIST>(SendMessageW(tree, TVM_CREATEDRAGIMAGE, 0, reinterpret_cast<LPARAM>(item)));
    if (!drag.image) drag.image = labelImage(tree, item, itemRect);
    const int hotX = treePoint.x > itemRect.left ? treePoint.x - itemRect.left : 0;
    const int hotY = treePoint.y > itemRect.top ? treePoint.y - itemRect.top : 0;
    if (drag.image) ImageList_BeginDrag(drag.image, 0, hotX, hotY);

    drag.active = true;
    drag.dragged = record;
    drag.hover = nullptr;
    POINT mainPoint = treePoint;
    MapWindowPoints(tree, app.windows.main, &mainPoint, 1);
    const POINT at = mainWindowPoint(app, mainPoint);
    ImageList_DragEnter(app.windows.main, at.x, at.y);
    SetCapture(app.windows.main);
    // Escape reaches the focused window; the tree passes it on.
    SetFocus(tree);
    return true;
}

void moveTreeDrag(App& app, POINT mainPoint, bool shift) {
    if (!app.treeDrag.active) return;
    scrollNearEdge(app, mainPoint);
    const POINT at = mainWindowPoint(app, mainPoint);
    ImageList_DragMove(at.x, at.y);
    HTREEITEM item = itemAt(app, mainPoint);
    showDropTarget(app, item);
    SetCursor(LoadCursorW(nullptr, dropAllowed(app, item, shift) ? IDC_ARROW : IDC_NO));
}

int dropTreeDrag(App& app, POINT mainPoint, bool shift) {
    if (!app.treeDrag.active) return 0;
    HTREEITEM item = itemAt(app, mainPoint);
    const int dragged = app.treeDrag.dragged;
    endDrag(app);
    if (!item) return 0;  // outside the tree's items: nothing happens
    // One undo step, with the pane's edits it may apply on the way.
    beginStep(app);
    const int result = dropSyntax(app, dragged, recordForItem(app, item), shift);
    endStep(app);
    refreshCommandStates(app);
    return result;
}

bool cancelTreeDrag(App& app) {
    if (!app.treeDrag.active) return false;
    endDrag(app);
    return true;
}

}  // namespace lumaset
