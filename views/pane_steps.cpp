#include "views/pane_steps.h"

#include "views/command_states.h"

namespace lumaset {

bool applyPaneEdits(App& app, bool confirm) {
    return app.paneSteps.apply ? app.paneSteps.apply(app, confirm) : true;
}

bool paneHasDraft(const App& app) { return app.paneSteps.hasDraft ? app.paneSteps.hasDraft(app) : false; }

bool settlePaneDraft(App& app) { return applyPaneEdits(app, true); }

void refillPane(App& app) {
    if (app.paneSteps.fill) app.paneSteps.fill(app);
}

void showSelectedInPane(App& app) {
    if (app.paneSteps.show) app.paneSteps.show(app);
    refreshCommandStates(app);
}

}  // namespace lumaset
