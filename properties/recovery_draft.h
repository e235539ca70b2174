// The property pane's unapplied edit as a recovery copy keeps it, and back.
#pragma once

#include "views/app.h"
#include "views/logic/recovery_info.h"

namespace lumaset {

// What the pane's controls hold for the record it shows; nullopt when it
// shows none.
std::optional<RecoveryDraft> capturePaneDraft(const App& app);
// Puts the draft into the pane, which shows draft.selection, as the user's
// own edits: only the fields that differ from the record count as edited,
// so untouched ones keep their stored bytes.
void restorePaneDraft(App& app, const RecoveryDraft& draft);

}  // namespace lumaset
