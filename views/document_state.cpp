#include "views/document_state.h"

#include "views/app.h"
#include "views/logic/window_title.h"
#include "views/recovery.h"
#include "views/status_line.h"

namespace lumaset {

void refreshToolWindowsSoon(App& app) {
    for (HWND window : {app.tools.syntaxTest, app.tools.problems})
        if (window) SetTimer(window, kToolRefreshTimerId, kToolRefreshDelayMs, nullptr);
}

void markModified() {
    App& state = app();
    scheduleRecoveryCopy(state);
    refreshToolWindowsSoon(state);
    if (state.file.modified) return;
    state.file.modified = true;
    updateTitle();
}

bool documentHasChanges(const App& app) { return app.file.modified || app.selection.draftEdited; }

void markDraftEdited(App& app, std::uint8_t fields) {
    scheduleRecoveryCopy(app);
    refreshToolWindowsSoon(app);
    SelectionState& selection = app.selection;
    selection.draftFields |= fields;
    if (selection.draftEdited) return;
    selection.draftEdited = true;
    if (!app.file.modified) updateTitle();
}

void clearDraft(App& app) {
    SelectionState& selection = app.selection;
    selection.draftFields = 0;
    if (!selection.draftEdited) return;
    selection.draftEdited = false;
    if (!app.file.modified) updateTitle();
}

void updateTitle() {
    App& state = app();
    refreshStatusBar(state);
    if (!state.windows.main) return;
    SetWindowTextW(state.windows.main, windowTitle(state.file.path, documentHasChanges(state)).c_str());
}

}  // namespace lumaset
