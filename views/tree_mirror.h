// The tree view as a mirror of the syntax table. Every mapping between
// records and tree items goes through here: a record's treeItem holds a
// 1-based slot into app.tree.handles, because an HTREEITEM is 8 bytes.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "views/app.h"

namespace lumaset {

inline constexpr wchar_t kRootItemLabel[] = L"Copyright";

// Discards every item and rebuilds the tree from the syntax table, expands
// it and selects the "Copyright" item.
void buildTree(App& app);
// Expands the item and every descendant that has children, deepest first.
void expandSubtree(App& app, HTREEITEM item);
// Opens or closes a record's item.
void setRecordExpanded(App& app, int position, bool expanded);
// Whether the record's item is open, as the tree last told or was told.
bool recordExpanded(const App& app, int position);
// The tree reports that the user opened or closed an item.
void noteItemExpanded(App& app, HTREEITEM item, bool expanded);
// The same in any tree view (the index editor has one of its own).
void expandSubtree(HWND tree, HTREEITEM item);
// -1 nothing (null or unknown item), 0 the "Copyright" item, >= 2 a record.
int recordForItem(const App& app, HTREEITEM item);
// The record's item, or null when it has none.
HTREEITEM itemForRecord(const App& app, int position);
// Stores the item of a record (for edits that insert items themselves).
void setRecordItem(App& app, int position, HTREEITEM item);
// Inserts an item labelled with the record's name under parent after
// insertAfter (TVI_FIRST/TVI_LAST or an item) and stores it in the record;
// open, it goes in expanded for the children inserted under it next.
HTREEITEM insertRecordItem(App& app, int position, HTREEITEM parent, HTREEITEM insertAfter, bool open = false);
// Frees the item slots of `count` records from `first` on, before their
// items are deleted; the slots are reused by later items.
void forgetRecordItems(App& app, int first, int count);
// The record's item takes the record's current name.
void updateTreeLabel(App& app, int position);
// Selects no item (before the document under the items goes away).
void clearTreeSelection(App& app);

}  // namespace lumaset
