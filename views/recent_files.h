// The recent-file list: kept in app().recent, stored under the current
// user's registry key, shown at the end of the File menu, and shared with
// every running instance through message 1124.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

namespace lumaset {

// Reads the list from the registry; when the key cannot be opened the list
// keeps what it held.
void loadRecentFiles();
// Writes the list, then sends 1124 to every "TarvelonLumaset" window, this
// one included.
void saveRecentFiles();
// Makes the path the newest entry, then saves.
void addRecentFile(const std::wstring& path);
// Drops the path from the list, then saves (every instance reloads).
void removeRecentFile(const std::wstring& path);
// Replaces the recent-file items (ids 1000..1005) of the menu's first popup.
void buildRecentFileMenu(HMENU mainMenu);
// The path behind menu command 1001..1005, when its entry is not empty.
std::optional<std::wstring> recentFileForCommand(int commandId);

}  // namespace lumaset
