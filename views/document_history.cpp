#include "views/document_history.h"

#include "views/command_states.h"
#include "views/document_state.h"
#include "views/logic/kept_records.h"
#include "views/pane_steps.h"
#include "views/recovery.h"
#include "views/tree_mirror.h"
#include "ui/captions.h"
#include "ui/ui_calls.h"

namespace lumaset {

namespace {

constexpr wchar_t kDepthsRepairedText[] =
    L" の構文の階層が壊れていたため、ツリーの表示どおりに修復しました。保存すると修復した内容が書き込まれます。";

// The tables with what the tree shows of them now.
TableState captureView(App& app) {
    TableState state = captureTables(app.document, &app.history.log.current());
    const int count = app.document.syntaxCount();
    state.expanded.assign(std::size_t(count), 0);
    for (int position = kRootRecord; position < count; ++position)
        if (app.document.hasChildren(position)) state.expanded[std::size_t(position)] = recordExpanded(app, position);
    state.selection = app.selection.selectionIndex;
    return state;
}

void updateModifiedMark(App& app) {
    scheduleRecoveryCopy(app);
    const bool modified = !app.history.log.atSavedState() || app.history.memoEdited;
    if (modified == app.file.modified) return;
    app.file.modified = modified;
    updateTitle();
}

// Whether a record's item is open in `state`: the rebuild opens every item
// with children, and the state says which of them the user had closed.
bool openIn(const App& app, const TableState& state, int position) {
    const std::size_t p = std::size_t(position);
    return app.document.hasChildren(position) && (p >= state.expanded.size() || state.expanded[p]);
}

// The tree goes from showing `from` to showing `to` (already in the
// tables): only the items of the records between the kept parts are
// deleted and made again; a rebuild costs several times more under Wine.
// False when the kept parts leave nothing worth keeping.
bool takeOutChangedItems(App& app, const TableState& from, const KeptRecords& kept) {
    Document& doc = app.document;
    const int n = int(from.syntaxes.size());
    if (kept.prefix <= kRootRecord || n != doc.syntaxCount()) return false;
    const int end = n - kept.suffix;
    std::vector<HTREEITEM> tops;
    for (int position = kept.prefix; position < end; ++position)
        if (parentIn(from, position) < kept.prefix) tops.push_back(itemForRecord(app, position));
    forgetRecordItems(app, kept.prefix, end - kept.prefix);
    for (HTREEITEM item : tops)
        if (item) SendMessageW(app.windows.tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(item));
    return true;
}

void putInChangedItems(App& app, const TableState& to, const KeptRecords& kept,
                       const std::vector<std::uint32_t>& slots) {
    Document& doc = app.document;
    const int m = doc.syntaxCount();
    const int end = m - kept.suffix;
    // Kept records keep their items.
    for (int position = kRootRecord; position < kept.prefix; ++position)
        setTreeItemSlot(*doc.syntaxAt(position), slots[std::size_t(position)]);
    for (int k = 0; k < kept.suffix; ++k)
        setTreeItemSlot(*doc.syntaxAt(end + k), slots[slots.size() - std::size_t(kept.suffix) + std::size_t(k)]);
    for (int position = kept.prefix; position < end; ++position) {
        const int sibling = previousSiblingIn(to, position);
        insertRecordItem(app, position, itemForRecord(app, parentIn(to, position)),
                         sibling < 0 ? TVI_FIRST : itemForRecord(app, sibling), openIn(app, to, position));
    }
    for (int position = kRootRecord; position < m; ++position) {
        if (position >= kept.prefix && position < end) continue;
        const bool open = openIn(app, to, position);
        if (doc.hasChildren(position) && recordExpanded(app, position) != open) setRecordExpanded(app, position, open);
    }
}

void rebuildForState(App& app, const TableState& state) {
    buildTree(app);
    // The rebuild expands everything; close what was closed.
    for (int position = kRootRecord; position < app.document.syntaxCount(); ++position)
        if (app.document.hasChildren(position) && !openIn(app, state, position)) setRecordExpanded(app, position, false);
}

void showState(App& app, const TableState& from, const TableState& state) {
    HWND tree = app.windows.tree;
    Document& doc = app.document;
    // Nothing pending may be written into the restored records while the
    // old items go.
    app.selection.selectionIndex = -1;
    ++app.history.openSteps;
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    // The pane follows the final selection only: the items go with no
    // caret, and the last select below always reports a change.
    app.selection.reselectGuard = true;
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
    const KeptRecords kept = keptRecords(from, state);
    std::vector<std::uint32_t> slots;
    for (int position = 0; position < doc.syntaxCount(); ++position)
        slots.push_back(treeItemSlot(*doc.syntaxAt(position)));
    const bool partly = takeOutChangedItems(app, from, kept);
    app.selection.reselectGuard = false;
    if (restoreTables(doc, state) && partly) {
        putInChangedItems(app, state, kept, slots);
    } else {
        rebuildForState(app, state);
    }
    // As after a rebuild: the syntax that was selected, else the memo.
    HTREEITEM item = itemForRecord(app, state.selection);
    if (!item) item = app.tree.rootItem;
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    InvalidateRect(tree, nullptr, TRUE);
    --app.history.openSteps;
    updateModifiedMark(app);
    refreshCommandStates(app);
}

constexpr wchar_t kApplyEndsRedoTail[] =
    L" の内容が書き換えられています。適用すると、やり直せる操作はなくなります。適用しますか？";

using Move = const TableState* (HistoryLog::*)();

int moveInHistory(App& app, Move move) {
    if (app.history.openSteps > 0) return 0;
    // No draft is left by now: this only keeps the apply step's own
    // bookkeeping, as any selection change does.
    if (!applyPaneEdits(app, true)) return 0;
    HistoryLog& log = app.history.log;
    // Where the user is now is what redo or undo brings back to. Bytes the
    // apply step kept quietly since are not kept: they come back when the
    // pane applies again, and the states stay exactly what the steps made.
    log.updateView(captureView(app));
    const TableState from = log.current();
    if (const TableState* target = (log.*move)()) showState(app, from, *target);
    return 1;
}

}  // namespace

void startHistory(App& app) {
    app.history.openSteps = 0;
    app.history.memoEdited = false;
    app.history.log.reset(captureView(app));
    refreshCommandStates(app);
}

void beginStep(App& app) {
    if (app.history.openSteps++ > 0) return;
    app.history.log.replaceCurrent(captureView(app));
}

void endStep(App& app) {
    if (app.history.openSteps <= 0 || --app.history.openSteps > 0) return;
    if (!app.history.log.push(captureView(app))) return;
    updateModifiedMark(app);
    refreshCommandStates(app);
}

namespace {

// With an edit pending in the pane, undo and redo ask as every command does;
// Cancel does nothing, and No drops the edit and goes on. Yes applies it as
// a step of its own and stops there: undoing that step would lose the edit
// just kept (the next undo takes it back), and the redo list it ends is
// named in the question.
int settleBeforeMove(App& app) {
    if (!paneHasDraft(app)) return 1;
    HistoryLog& log = app.history.log;
    const int stepsBefore = log.undoSteps();
    const bool settled = log.canRedo() ? settlePaneDraftAsking(app, kApplyEndsRedoTail) : settlePaneDraft(app);
    if (!settled) return 0;
    return log.undoSteps() == stepsBefore ? 1 : -1;
}

}  // namespace

int undoStep(App& app) {
    if (app.history.openSteps > 0) return 0;
    const int settled = settleBeforeMove(app);
    return settled == 1 ? moveInHistory(app, &HistoryLog::undo) : settled == 0 ? 0 : 1;
}

int redoStep(App& app) {
    if (app.history.openSteps > 0) return 0;
    if (!app.history.log.canRedo()) return 1;  // nothing to redo asks nothing
    const int settled = settleBeforeMove(app);
    return settled == 1 ? moveInHistory(app, &HistoryLog::redo) : settled == 0 ? 0 : 1;
}

void markSavedState(App& app) {
    // The file holds the tables as they are now, quiet bookkeeping and all.
    app.history.log.replaceCurrent(captureView(app));
    app.history.log.markSaved();
    app.history.memoEdited = false;
}

bool repairLoadedDepths(App& app) {
    if (repairSyntaxDepths(app.document) == 0) return false;
    app.history.log.replaceCurrent(captureView(app));
    app.history.log.forgetSaved();
    markModified();
    const std::wstring name = app.file.path.empty() ? std::wstring(L"(新規)") : app.file.path;
    showMessageBox(app.windows.main, name + kDepthsRepairedText, kEditorCaption, MB_ICONINFORMATION | MB_OK);
    return true;
}

void noteMemoEdited(App& app) { app.history.memoEdited = true; }

void markNeverSaved(App& app) {
    app.history.log.forgetSaved();
    app.file.modified = true;
    updateTitle();
    scheduleRecoveryCopy(app);
}

}  // namespace lumaset
