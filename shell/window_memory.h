// The main window's frame, maximised state and split, kept per user beside
// the recent-file list and brought back at the next start.
#pragma once

#include <windows.h>

#include <optional>

#include "shell/logic/window_placement.h"
#include "views/app.h"

namespace lumaset {

inline constexpr wchar_t kWindowPlacementValue[] = L"WindowPlacement";

// What the last editor left, fitted to the monitors there are now; nullopt
// (the default placement) when nothing usable is stored.
std::optional<SavedWindow> rememberedWindow();
// Notes the frame while the window is neither minimised nor maximised, so
// that the restored frame is known when it is.
void noteNormalFrame(App& app);
// Stores the main window's placement; failures are silent.
void saveWindowPlacement(const App& app);

}  // namespace lumaset
