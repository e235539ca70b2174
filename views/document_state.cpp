#include "views/document_state.h"

#include "views/app.h"
#include "views/logic/window_title.h"
#include "views/recovery.h"

namespace lumaset {

void markModified() {
    App& state = app();
    scheduleRecoveryCopy(state);
    if (state.file.modified) return;
    state.file.modified = true;
    updateTitle();
}

void updateTitle() {
    const App& state = app();
    if (!state.windows.main) return;
    SetWindowTextW(state.windows.main, windowTitle(state.file.path, state.file.modified).c_str());
}

}  // namespace lumaset
