// The status bar under the tree and the pane: where the selected syntax sits,
// whether the document changed, and why a command the user reached for did
// nothing.
#pragma once

#include <string>

#include "views/app.h"

namespace lumaset {

inline constexpr wchar_t kStatusBarValue[] = L"StatusBar";  // REG_DWORD under the program's key
inline constexpr wchar_t kStatusModifiedText[] = L"(更新)";

// Why the command cannot run for the selection and the clipboard as they
// are, in a few words; empty when nothing stands in its way.
std::wstring refusalReason(const App& app, int commandId);
// Shows the reason for a refused command until the selection changes or
// another command runs.
void noteRefusedCommand(App& app, int commandId);
void clearRefusal(App& app);
// The selected syntax's path in the tree, its table position and the
// modified mark, or the pending refusal.
std::wstring statusPathText(const App& app);
std::wstring statusPositionText(const App& app);
void refreshStatusBar(App& app);

// Whether the bar is shown, as the user last left it (default: shown).
bool loadStatusBarShown();
void saveStatusBarShown(bool shown);

}  // namespace lumaset
