#include "views/pane_steps.h"

#include "views/command_states.h"
#include "views/document_state.h"

namespace lumaset {

bool applyPaneEdits(App& app, bool confirm) {
    return app.paneSteps.apply ? app.paneSteps.apply(app, confirm) : true;
}

bool paneHasDraft(const App& app) { return app.selection.draftEdited; }

bool settlePaneDraft(App& app) { return !paneHasDraft(app) || applyPaneEdits(app, true); }

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

}  // namespace lumaset
