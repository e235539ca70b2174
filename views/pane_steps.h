// The property pane's apply and fill steps, for the commands that must run
// them (the structure edits and the paste) without reaching into the pane.
// The main window registers the pane's functions at start-up.
#pragma once

#include "views/app.h"

namespace lumaset {

// Writes pending pane edits into the selected record, asking first when
// confirm is set; false when the user cancelled or the title was refused.
// True when no pane is registered.
bool applyPaneEdits(App& app, bool confirm);
// The pane holds edits the user made through it and has not applied.
bool paneHasDraft(const App& app);
// The apply decision of one user command, made once at its entry point before
// anything changes. Without a draft: true. Yes applies (false when the apply
// is refused); No drops the draft and refills the pane from the record; both
// then let the command go on. Cancel: false, and nothing has changed.
bool settlePaneDraft(App& app);
// The same decision asked with questionTail after the record's name instead
// of the usual question.
bool settlePaneDraftAsking(App& app, const wchar_t* questionTail);
// Save keeps what is shown: the draft is applied without a question; false
// when the pane's contents are refused (the message is shown).
bool applyPaneBeforeSave(App& app);
// The user chose not to keep the draft: the pane shows the record again.
void dropPaneDraft(App& app);
// Reloads the pane from the selected record.
void refillPane(App& app);
// Shows the selected record in the pane as a selection change would: the
// fill and the availability of the editing commands, pushed to the controls.
void showSelectedInPane(App& app);
// The tree's highlight and the selection are one thing. When the tree has
// moved its highlight without telling (Wine's tree does so when an ancestor
// of the selected item is collapsed), the highlight goes through the
// selection step now, as a click's would: one question when the pane holds
// edits, and Cancel puts the highlight back. False when the two differed
// and the step was refused: the command that asked stops there.
bool selectionFollowsTree(App& app);

}  // namespace lumaset
