#include "views/tree_mirror.h"

#include <algorithm>
#include <array>

#include "ui/text_convert.h"
#include "views/document_state.h"

namespace lumaset {

namespace {

std::wstring labelOf(const SyntaxRecord& record) {
    return wideFromCp932(fieldText(record.name, kNameSize));
}

HTREEITEM insertItem(HWND tree, HTREEITEM parent, HTREEITEM insertAfter, const std::wstring& text,
                     bool expanded = false) {
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = insertAfter;
    insert.item.mask = TVIF_TEXT | TVIF_STATE;
    insert.item.state = expanded ? TVIS_EXPANDED : 0;
    insert.item.stateMask = TVIS_EXPANDED;
    insert.item.pszText = const_cast<wchar_t*>(text.c_str());
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

HTREEITEM handleInSlot(const App& app, std::uint32_t slot) {
    if (slot == 0 || slot > app.tree.handles.size()) return nullptr;
    return app.tree.handles[slot - 1];
}

void setSlotExpanded(App& app, std::uint32_t slot, bool expanded) {
    if (slot == 0 || slot > app.tree.handles.size()) return;
    app.tree.expanded.resize(app.tree.handles.size());
    app.tree.expanded[slot - 1] = expanded ? 1 : 0;
}

}  // namespace

void buildTree(App& app) {
    // Another document, or the tables restored: whatever the tool windows show is old.
    refreshToolWindowsSoon(app);
    HWND tree = app.windows.tree;
    Document& doc = app.document;
    // Nothing may map to the old items while they go.
    app.tree.handles.clear();
    app.tree.expanded.clear();
    app.tree.rootItem = nullptr;
    // One repaint at the end: item by item it costs seconds under Wine.
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    // Record 1 has no item either, but keeps its stored bytes as loaded.
    if (doc.syntaxCount() > 0) setTreeItemSlot(*doc.syntaxAt(0), 0);

    app.tree.rootItem = insertItem(tree, TVI_ROOT, TVI_LAST, kRootItemLabel);

    // parents[d] is the item that a record shown at depth d hangs under.
    // A record never goes deeper than one below the record before it, and
    // user syntaxes stay between 1 and 7, so a file with broken depths
    // still shows every record in table order under the nearest parent.
    const int count = doc.syntaxCount();
    std::vector<int> shownDepth(std::size_t(std::max(count, 0)), 0);
    for (int position = kRootRecord + 1, previous = 0; position < count; ++position) {
        const int depth = std::min(std::clamp(int(doc.syntaxAt(position)->depth), 1, kMaxDepth), previous + 1);
        shownDepth[std::size_t(position)] = previous = depth;
    }
    // Every item with children goes in open: the tree is shown fully
    // expanded, and opening items one by one afterwards is slow under Wine.
    std::array<HTREEITEM, kMaxDepth + 2> parents{};
    parents[0] = TVI_ROOT;
    for (int position = kRootRecord; position < count; ++position) {
        SyntaxRecord& record = *doc.syntaxAt(position);
        const int depth = shownDepth[std::size_t(position)];
        const bool open = position + 1 < count && shownDepth[std::size_t(position) + 1] > depth;
        HTREEITEM item = insertItem(tree, parents[depth], TVI_LAST, labelOf(record), open);
        app.tree.handles.push_back(item);
        app.tree.expanded.push_back(open ? 1 : 0);
        setTreeItemSlot(record, std::uint32_t(app.tree.handles.size()));
        parents[depth + 1] = item;
    }
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(app.tree.rootItem));
}

// The table gives the subtree, so the tree is not asked item by item.
void expandSubtree(App& app, HTREEITEM item) {
    const int top = recordForItem(app, item);
    if (top < kRootRecord) {
        expandSubtree(app.windows.tree, item);
        return;
    }
    const Document& doc = app.document;
    int end = top + 1;
    while (end < doc.syntaxCount() && doc.syntaxAt(end)->depth > doc.syntaxAt(top)->depth) ++end;
    for (int position = end - 1; position >= top; --position)
        if (position == top || doc.hasChildren(position)) setRecordExpanded(app, position, true);
}

void setRecordExpanded(App& app, int position, bool expanded) {
    HTREEITEM item = itemForRecord(app, position);
    if (!item) return;
    SendMessageW(app.windows.tree, TVM_EXPAND, expanded ? TVE_EXPAND : TVE_COLLAPSE, reinterpret_cast<LPARAM>(item));
    setSlotExpanded(app, treeItemSlot(*app.document.syntaxAt(position)), expanded);
}

bool recordExpanded(const App& app, int position) {
    if (position < kRootRecord || position >= app.document.syntaxCount()) return false;
    const std::uint32_t slot = treeItemSlot(*app.document.syntaxAt(position));
    return slot != 0 && slot <= app.tree.expanded.size() && app.tree.expanded[slot - 1] != 0;
}

void noteItemExpanded(App& app, HTREEITEM item, bool expanded) {
    if (!item) return;
    const auto found = std::find(app.tree.handles.begin(), app.tree.handles.end(), item);
    if (found != app.tree.handles.end())
        setSlotExpanded(app, std::uint32_t(found - app.tree.handles.begin()) + 1, expanded);
}

void expandSubtree(HWND tree, HTREEITEM item) {
    auto child = reinterpret_cast<HTREEITEM>(
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CHILD, reinterpret_cast<LPARAM>(item)));
    if (!child) return;
    for (; child; child = reinterpret_cast<HTREEITEM>(
                      SendMessageW(tree, TVM_GETNEXTITEM, TVGN_NEXT, reinterpret_cast<LPARAM>(child))))
        expandSubtree(tree, child);
    SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(item));
}

int recordForItem(const App& app, HTREEITEM item) {
    if (!item) return -1;
    if (item == app.tree.rootItem) return 0;
    const Document& doc = app.document;
    for (int position = kRootRecord; position < doc.syntaxCount(); ++position)
        if (handleInSlot(app, treeItemSlot(*doc.syntaxAt(position))) == item) return position;
    return -1;
}

HTREEITEM itemForRecord(const App& app, int position) {
    if (position < kRootRecord || position >= app.document.syntaxCount()) return nullptr;
    return handleInSlot(app, treeItemSlot(*app.document.syntaxAt(position)));
}

void setRecordItem(App& app, int position, HTREEITEM item) {
    if (position < 0 || position >= app.document.syntaxCount()) return;
    SyntaxRecord& record = *app.document.syntaxAt(position);
    if (!item) {
        setTreeItemSlot(record, 0);
        return;
    }
    // Reuse the slot that already holds this handle, else a freed one, else
    // take a new one.
    auto found = std::find(app.tree.handles.begin(), app.tree.handles.end(), item);
    if (found == app.tree.handles.end()) found = std::find(app.tree.handles.begin(), app.tree.handles.end(), nullptr);
    if (found == app.tree.handles.end()) {
        app.tree.handles.push_back(item);
        found = app.tree.handles.end() - 1;
    }
    *found = item;
    const auto slot = std::uint32_t(found - app.tree.handles.begin()) + 1;
    setTreeItemSlot(record, slot);
    setSlotExpanded(app, slot, false);  // a new item starts closed
}

HTREEITEM insertRecordItem(App& app, int position, HTREEITEM parent, HTREEITEM insertAfter, bool open) {
    if (position < 0 || position >= app.document.syntaxCount()) return nullptr;
    HTREEITEM item =
        insertItem(app.windows.tree, parent, insertAfter, labelOf(*app.document.syntaxAt(position)), open);
    setRecordItem(app, position, item);
    if (open) setSlotExpanded(app, treeItemSlot(*app.document.syntaxAt(position)), true);
    return item;
}

void forgetRecordItems(App& app, int first, int count) {
    for (int position = first; position < first + count && position < app.document.syntaxCount(); ++position) {
        SyntaxRecord& record = *app.document.syntaxAt(position);
        const std::uint32_t slot = treeItemSlot(record);
        if (slot != 0 && slot <= app.tree.handles.size()) app.tree.handles[slot - 1] = nullptr;
        setTreeItemSlot(record, 0);
    }
}

void updateTreeLabel(App& app, int position) {
    HTREEITEM item = itemForRecord(app, position);
    if (!item) return;
    std::wstring text = labelOf(*app.document.syntaxAt(position));
    TVITEMW change{};
    change.mask = TVIF_HANDLE | TVIF_TEXT;
    change.hItem = item;
    change.pszText = text.data();
    SendMessageW(app.windows.tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

void clearTreeSelection(App& app) {
    SendMessageW(app.windows.tree, TVM_SELECTITEM, TVGN_CARET, 0);
}

}  // namespace lumaset
