// The document's modified mark and the window title that shows it; both the
// commands and the property pane change the document through here.
#pragma once

#include <windows.h>

#include <cstdint>

namespace lumaset {

struct App;

// Sets the modified flag; the title follows when the flag was clear.
void markModified();
// The document holds changes: the tables, the memo or the pane's draft.
bool documentHasChanges(const App& app);
// The user changed the pane (`fields`: the kDraft* bits of the text fields
// touched, 0 for a check box, a number or a dialog); the title follows.
void markDraftEdited(App& app, std::uint8_t fields);
// The pane shows the record again, or wrote it: no draft.
void clearDraft(App& app);
// The document, the pane or the selection changed: the test window and the
// problems list look again a moment after the last such change.
void refreshToolWindowsSoon(App& app);
inline constexpr UINT_PTR kToolRefreshTimerId = 7;
// Short enough to feel immediate, long enough that typing is not slowed.
inline constexpr UINT kToolRefreshDelayMs = 150;

// The main window's title from the document path and the modified flag.
void updateTitle();

}  // namespace lumaset
