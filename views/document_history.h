// Undo and redo of the document's tables. Every user action that changes
// them runs between beginStep and endStep; steps nest, and only the
// outermost one counts, so a paste that runs new syntax per record is one
// step.
#pragma once

#include "views/app.h"

namespace lumaset {

// An empty history whose only state is the document as it is now, taken as
// the saved state (after new, open, close and at start-up).
void startHistory(App& app);
void beginStep(App& app);
// Pushes a step when the tables changed since beginStep; the modified mark
// and the undo and redo commands follow.
void endStep(App& app);
// Back to the tables before the last step, or forward to those after the
// next one: runs the pane's apply step first (0 when that is refused), then
// rebuilds the tree with the items expanded as they were and selects the
// syntax that was selected. 1 also when there was nothing to do.
int undoStep(App& app);
int redoStep(App& app);
// The tables as they are now are the saved ones.
void markSavedState(App& app);
// Right after a load and startHistory: a file whose depths break the tree's
// rules has them repaired in the table (the tree already shows them so). The
// user is told once, naming the file, and the document counts as changed, so
// the repair is written only by a save. True when anything was repaired.
bool repairLoadedDepths(App& app);
// The memo changed: the mark stays whatever the tables do, until a save.
void noteMemoEdited(App& app);
// The tables were never saved as they are (a recovered copy): the modified
// mark stays through undo and redo until a save.
void markNeverSaved(App& app);

}  // namespace lumaset
