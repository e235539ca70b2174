// The recovery copy's two ends in the shell: writing it when the timer
// fires, and offering the copies of editors that ended without saving when
// this one starts.
#pragma once

#include <filesystem>
#include <string>

#include "views/app.h"
#include "views/logic/recovery_info.h"

namespace lumaset {

// WM_TIMER kRecoveryTimerId: writes the copy, or removes it when nothing
// is left unsaved.
void onRecoveryTimer(App& app);
// Writes this editor's copy and side file now; false when it could not.
bool writeRecoveryCopy(App& app);

struct RecoveredDocument {
    bool taken = false;
    RecoveryInfo info;
};
// Before the command-line file loads: asks about each copy whose editor no
// longer runs, the copy of commandLinePath (a full path) first. The first
// copy the user takes is loaded into app.document with its path; each one
// declined is kept aside. Copies not asked about after a taken one go to a
// new instance of the editor, which asks about them in its turn, and so does
// a command-line file other than the one recovered.
RecoveredDocument offerRecoveryCopies(App& app, const std::wstring& commandLinePath);
// Once the window shows the recovered document: it is marked changed until
// saved, and the pane's pending edit is shown and applied.
void finishRecovery(App& app, const RecoveredDocument& recovered);

}  // namespace lumaset
