#include "views/document_history.h"

#include "views/command_states.h"
#include "views/document_state.h"
#include "views/pane_steps.h"
#include "views/recovery.h"
#include "views/tree_mirror.h"

namespace lumaset {

namespace {

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

void showState(App& app, const TableState& state) {
    HWND tree = app.windows.tree;
    // Nothing pending may be written into the restored records while the
    // old items go.
    app.selection.selectionIndex = -1;
    ++app.history.openSteps;
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    if (restoreTables(app.document, state)) {
        buildTree(app);
        // The rebuild expands everything; close what was closed.
        for (int position = kRootRecord; position < app.document.syntaxCount(); ++position) {
            const std::size_t p = std::size_t(position);
            if (p < state.expanded.size() && !state.expanded[p] && app.document.hasChildren(position))
                setRecordExpanded(app, position, false);
        }
    } else {
        buildTree(app);
    }
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
    if (HTREEITEM item = itemForRecord(app, state.selection)) {
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
        SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(item));
    }
    --app.history.openSteps;
    updateModifiedMark(app);
    refreshCommandStates(app);
}

using Move = const TableState* (HistoryLog::*)();

int moveInHistory(App& app, Move move) {
    if (app.history.openSteps > 0) return 0;
    if (!applyPaneEdits(app, true)) return 0;
    HistoryLog& log = app.history.log;
    // Where the user is now is what redo or undo brings back to. Bytes the
    // apply step kept quietly since are not kept: they come back when the
    // pane applies again, and the states stay exactly what the steps made.
    log.updateView(captureView(app));
    if (const TableState* target = (log.*move)()) showState(app, *target);
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

int undoStep(App& app) { return moveInHistory(app, &HistoryLog::undo); }

int redoStep(App& app) { return moveInHistory(app, &HistoryLog::redo); }

void markSavedState(App& app) {
    // The file holds the tables as they are now, quiet bookkeeping and all.
    app.history.log.replaceCurrent(captureView(app));
    app.history.log.markSaved();
    app.history.memoEdited = false;
}

void noteMemoEdited(App& app) { app.history.memoEdited = true; }

void markNeverSaved(App& app) {
    app.history.log.forgetSaved();
    app.file.modified = true;
    updateTitle();
    scheduleRecoveryCopy(app);
}

}  // namespace lumaset
