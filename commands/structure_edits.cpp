#include "commands/structure_edits.h"

#include <cstring>
#include <vector>

#include "commands/logic/tree_positions.h"
#include "document/error_message.h"
#include "resources/resource_ids.h"
#include "ui/ui_calls.h"
#include "views/document_state.h"
#include "views/pane_steps.h"
#include "views/status_line.h"
#include "views/tree_mirror.h"

namespace lumaset {

namespace {

SyntaxRecord newRecord(int depth) {
    SyntaxRecord record;
    std::memset(&record, 0, sizeof record);
    std::memcpy(record.name, kNewSyntaxName, sizeof kNewSyntaxName);
    record.depth = std::uint8_t(depth);
    record.reservedA = kReservedAValue;
    return record;
}

void selectItem(App& app, HTREEITEM item) {
    SendMessageW(app.windows.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

void deleteItem(App& app, HTREEITEM item) {
    if (item) SendMessageW(app.windows.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
}

// The new record's name is what the user types next.
void focusPaneName(App& app) {
    HWND pane = app.windows.propertyPane;
    if (!pane) return;
    HWND name = GetDlgItem(pane, IDC_NAME);
    SetFocus(name && IsWindowEnabled(name) ? name : pane);
    // Typing replaces "(新規)", as a tab into the field would have it.
    if (name) SendMessageW(name, EM_SETSEL, 0, -1);
}

bool takesNoChildren(const SyntaxRecord& record, const char** why) {
    if (record.interrupting) *why = kInterruptingParentText;
    else if (record.exitPattern[0] != '\0') *why = kExitPatternParentText;
    else if (record.depth >= kMaxDepth) *why = kDepthLimitText;
    else return false;
    return true;
}

// The item of a record, or the tree's root for a top-level block.
HTREEITEM parentItemFor(const App& app, int depth, int parentPosition) {
    return depth == 0 ? TVI_ROOT : itemForRecord(app, parentPosition);
}

// A syntax with its subtree while it moves: the records, and which of them
// each index holds, so that they stay members at the new place.
struct MovedBlock {
    std::vector<SyntaxRecord> records;
    std::vector<std::vector<int>> members;
};

// Takes `count` records from `position` out of the table after their items
// have gone.
MovedBlock takeBlock(App& app, int position, int count) {
    Document& doc = app.document;
    MovedBlock block;
    block.records.resize(std::size_t(count));
    std::memcpy(block.records.data(), doc.syntaxAt(position), std::size_t(count) * kSyntaxRecordSize);
    block.members = doc.blockMembers(position, count);
    for (int k = 0; k < count; ++k) doc.removeSyntax(position);
    return block;
}

// Puts a taken block back at `position` and gives it fresh items: the top
// under `parent` after `after`, each other record at the end of the item of
// the block record one level above it. Returns the top record's item.
HTREEITEM putBlock(App& app, const MovedBlock& moved, int position, HTREEITEM parent, HTREEITEM after) {
    Document& doc = app.document;
    const std::vector<SyntaxRecord>& block = moved.records;
    std::vector<int> depths;
    depths.reserve(block.size());
    for (std::size_t k = 0; k < block.size(); ++k) {
        doc.insertSyntax(position + int(k), block[k]);
        depths.push_back(block[k].depth);
    }
    doc.addBlockMembers(position, moved.members);
    const std::vector<int> parents = blockParents(depths);
    std::vector<HTREEITEM> items(block.size());
    // A moved subtree shows fully open: its items go in open, not opened
    // one by one after.
    for (std::size_t k = 0; k < block.size(); ++k) {
        const int at = position + int(k);
        const bool open = doc.hasChildren(at);
        items[k] = k == 0 ? insertRecordItem(app, at, parent, after, open)
                          : insertRecordItem(app, at, items[std::size_t(parents[k])], TVI_LAST, open);
    }
    return items.front();
}

// The tree repaints once for a whole move, not once per item.
void holdTreePainting(App& app) { SendMessageW(app.windows.tree, WM_SETREDRAW, FALSE, 0); }

// Takes a syntax with its subtree out of the tree and the table; the tree
// stops painting until the move is finished.
MovedBlock liftSubtree(App& app, int top) {
    HTREEITEM item = itemForRecord(app, top);
    holdTreePainting(app);
    clearTreeSelection(app);
    deleteItem(app, item);
    const int count = subtreeLength(app.document, top);
    forgetRecordItems(app, top, count);
    return takeBlock(app, top, count);
}

// Table, items and selection after a move.
int finishMove(App& app, HTREEITEM top) {
    // The items below went in open; the top is marked open even without
    // children, as before.
    const int position = recordForItem(app, top);
    if (!recordExpanded(app, position)) setRecordExpanded(app, position, true);
    selectItem(app, top);
    SendMessageW(app.windows.tree, WM_SETREDRAW, TRUE, 0);
    SendMessageW(app.windows.tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(top));
    InvalidateRect(app.windows.tree, nullptr, TRUE);
    markModified();
    return 1;
}

// A drop that cannot be done, said as the user is told it.
bool dropRefused(DropOutcome outcome) {
    switch (outcome) {
    case DropOutcome::Move: return false;
    case DropOutcome::IntoSubtree: showErrorMessage(kDropIntoSubtreeText); return true;
    case DropOutcome::Interrupting: showErrorMessage(kInterruptingParentText); return true;
    case DropOutcome::ExitPattern: showErrorMessage(kExitPatternParentText); return true;
    case DropOutcome::TooDeep: showErrorMessage(kDepthLimitText); return true;
    case DropOutcome::NoSibling: beep(); return true;
    default: return true;
    }
}

// The command runs after the apply step, which may itself change what the
// check sees (a pending exit pattern refuses a new child): checked on both
// sides of it, and the question comes only for a command that can run.
bool refusedAroundApply(App& app, int commandId) {
    return editRefused(app, commandId) || !applyPaneEdits(app, true) || editRefused(app, commandId);
}

}  // namespace

bool editRefused(App& app, int commandId) {
    const Document& doc = app.document;
    const int selected = app.selection.selectionIndex;
    const bool onRecord = selected >= kRootRecord && selected < doc.syntaxCount();
    switch (commandId) {
    case IDM_EDIT_NEW_SYNTAX:
        if (doc.syntaxCount() >= kNewSyntaxRecordLimit) {
            showErrorMessage(kNewSyntaxLimitText);
            return true;
        }
        return !onRecord || selected == kRootRecord;
    case IDM_EDIT_NEW_CHILD: {
        if (doc.syntaxCount() >= kNewChildRecordLimit) {
            showErrorMessage(kNewChildLimitText);
            return true;
        }
        if (!onRecord) return true;
        const char* refusal = nullptr;
        if (!takesNoChildren(*doc.syntaxAt(selected), &refusal)) return false;
        noteRefusedCommand(app, commandId);
        showErrorMessage(refusal);
        return true;
    }
    case IDM_ORDER_UP:
        if (selected > kFirstUserRecord && selected < doc.syntaxCount() && previousSibling(doc, selected) >= 0)
            return false;
        noteRefusedCommand(app, commandId);
        beep();
        return true;
    case IDM_ORDER_DOWN:
        if (selected < kFirstUserRecord || selected >= doc.syntaxCount()) return true;
        if (nextSibling(doc, selected) >= 0) return false;
        noteRefusedCommand(app, commandId);
        beep();
        return true;
    default: return false;
    }
}

int newSyntax(App& app) {
    Document& doc = app.document;
    if (refusedAroundApply(app, IDM_EDIT_NEW_SYNTAX)) return 0;
    const int selected = app.selection.selectionIndex;

    const int depth = depthAt(doc, selected);
    HTREEITEM parent = itemForRecord(app, parentPosition(doc, selected));
    HTREEITEM after = itemForRecord(app, selected);
    const int position = subtreeEnd(doc, selected);
    if (!doc.insertSyntax(position, newRecord(depth))) return 0;
    HTREEITEM item = insertRecordItem(app, position, parent, after);

    selectItem(app, item);
    markModified();
    if (!app.selection.pasting) focusPaneName(app);
    return 1;
}

int newChildSyntax(App& app) {
    Document& doc = app.document;
    if (refusedAroundApply(app, IDM_EDIT_NEW_CHILD)) return 0;
    const int selected = app.selection.selectionIndex;
    const int position = selected + 1;
    if (!doc.insertSyntax(position, newRecord(depthAt(doc, selected) + 1))) return 0;
    HTREEITEM item = insertRecordItem(app, position, itemForRecord(app, selected), TVI_FIRST);

    selectItem(app, item);
    markModified();
    if (!app.selection.pasting) SetFocus(app.windows.tree);
    return 1;
}

int deleteSyntax(App& app) {
    Document& doc = app.document;
    const int selected = app.selection.selectionIndex;
    if (selected < kFirstUserRecord || selected >= doc.syntaxCount()) return 0;

    HTREEITEM item = itemForRecord(app, selected);
    const int count = subtreeLength(doc, selected);
    forgetRecordItems(app, selected, count);
    for (int k = 0; k < count; ++k) doc.removeSyntax(selected);

    // The tree picks the next selection as the items go; with no record
    // selected that writes the pane into nothing. An edit of a deleted
    // syntax goes with it.
    app.selection.selectionIndex = -1;
    clearDraft(app);
    deleteItem(app, item);
    markModified();
    return 1;
}

int moveSyntaxUp(App& app) {
    Document& doc = app.document;
    if (refusedAroundApply(app, IDM_ORDER_UP)) return 0;
    const int selected = app.selection.selectionIndex;
    const int depth = depthAt(doc, selected);
    const int sibling = previousSibling(doc, selected);
    app.selection.selectionIndex = -1;
    HTREEITEM parent = parentItemFor(app, depth, blockParentBefore(doc, sibling, depth));
    const int predecessor = blockPredecessorBefore(doc, sibling, depth);
    HTREEITEM after = predecessor < 0 ? TVI_FIRST : itemForRecord(app, predecessor);

    const MovedBlock block = liftSubtree(app, selected);
    return finishMove(app, putBlock(app, block, sibling, parent, after));
}

int moveSyntaxDown(App& app) {
    Document& doc = app.document;
    if (refusedAroundApply(app, IDM_ORDER_DOWN)) return 0;
    const int selected = app.selection.selectionIndex;
    const int depth = depthAt(doc, selected);
    app.selection.selectionIndex = -1;
    const MovedBlock block = liftSubtree(app, selected);

    // The next sibling now stands at `selected`; the block follows its subtree.
    HTREEITEM parent = parentItemFor(app, depth, blockParentBefore(doc, selected, depth));
    HTREEITEM after = itemForRecord(app, selected);
    return finishMove(app, putBlock(app, block, subtreeEnd(doc, selected), parent, after));
}

int dropSyntax(App& app, int dragged, int target, bool asSibling) {
    Document& doc = app.document;
    // What would change nothing asks nothing.
    switch (planDrop(doc, dragged, target, asSibling).outcome) {
    case DropOutcome::NotMovable:
    case DropOutcome::OntoItself:
    case DropOutcome::Unchanged: return 0;
    default: break;
    }
    // Refused as the table stands: no question. The target's own pending
    // edits may still decide it, so it is planned again after them.
    if (dropRefused(planDrop(doc, dragged, target, asSibling).outcome)) return 0;
    if (!applyPaneEdits(app, true)) return 0;
    const DropPlan plan = planDrop(doc, dragged, target, asSibling);
    if (dropRefused(plan.outcome)) return 0;

    app.selection.selectionIndex = -1;
    MovedBlock block = liftSubtree(app, dragged);
    const int shift = plan.depth - block.records.front().depth;
    for (SyntaxRecord& record : block.records) record.depth = std::uint8_t(record.depth + shift);

    HTREEITEM parent = plan.parent < 0 ? TVI_ROOT : itemForRecord(app, plan.parent);
    HTREEITEM after = plan.after < 0 ? TVI_LAST : itemForRecord(app, plan.after);
    return finishMove(app, putBlock(app, block, plan.position, parent, after));
}

}  // namespace lumaset
