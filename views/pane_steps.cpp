#include "views/pane_steps.h"

namespace lumaset {

bool applyPaneEdits(App& app, bool confirm) {
    return app.paneSteps.apply ? app.paneSteps.apply(app, confirm) : true;
}

void refillPane(App& app) {
    if (app.paneSteps.fill) app.paneSteps.fill(app);
}

}  // namespace lumaset
