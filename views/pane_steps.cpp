#include "views/pane_steps.h"

#include "views/command_states.h"
#include "views/document_state.h"
#include "views/tree_mirror.h"

namespace lumaset {

bool applyPaneEdits(App& app, bool confirm) {
    return app.paneSteps.apply ? app.paneSteps.apply(app, confirm) : true;
}

bool paneHasDraft(const App& app) { return app.selection.draftEdited; }

bool settlePaneDraft(App& app) { return !paneHasDraft(app) || applyPaneEdits(app, true); }

bool settlePaneDraftAsking(App& app, const wchar_t* questionTail) {
    if (!paneHasDraft(app)) return true;
    return app.paneSteps.applyAsking ? app.paneSteps.applyAsking(app, questionTail) : applyPaneEdits(app, true);
}

bool applyPaneBeforeSave(App& app) { return !paneHasDraft(app) || applyPaneEdits(app, false); }

void dropPaneDraft(App& app) {
    if (!paneHasDraft(app)) return;
    refillPane(app);
    clearDraft(app);
}

void refillPane(App& app) {
    if (app.paneSteps.fill) app.paneSteps.fill(app);
}

void showSelectedInPane(App& app) {
    if (app.paneSteps.show) app.paneSteps.show(app);
    refreshCommandStates(app);
}

namespace {

HTREEITEM highlighted(const App& app) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(app.windows.tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

}  // namespace

bool selectionFollowsTree(App& app) {
    const SelectionState& selection = app.selection;
    if (!app.windows.tree || !app.paneSteps.select) return true;
    // Mid-edit the two part on purpose; the edit brings them together.
    if (selection.reselectGuard || selection.pasting || app.history.openSteps > 0 || app.treeDrag.active) return true;
    const HTREEITEM item = highlighted(app);
    if (recordForItem(app, item) == selection.selectionIndex) return true;
    app.paneSteps.select(app, item);
    refreshCommandStates(app);
    return item == highlighted(app) && recordForItem(app, item) == selection.selectionIndex;
}

}  // namespace lumaset
