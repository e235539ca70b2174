// The recent-file list without the registry or the menu: adding an entry,
// the menu texts and the command ids.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace lumaset {

inline constexpr int kMaxRecentFiles = 5;
inline constexpr std::size_t kMaxRecentPathChars = 259;
inline constexpr int kRecentSeparatorId = 1000;
inline constexpr int kFirstRecentFileId = 1001;  // the oldest entry
inline constexpr wchar_t kRecentFilesKey[] = L"Software\\Pemberlyx\\Tarvelon95\\Lumaset";

struct RecentMenuItem {
    int commandId;
    std::wstring text;
};

// "FileHist00" .. "FileHist04".
std::wstring recentValueName(int entry);

// Equal ignoring the case of ASCII letters only, as file names compare for
// the user (other letters are left alone).
bool sameRecentPath(const std::wstring& a, const std::wstring& b);

// entries holds the oldest first. The path becomes the newest entry; an
// equal entry is moved rather than repeated, and the oldest drops out past
// five.
void addRecentEntry(std::vector<std::wstring>& entries, const std::wstring& path);

// Drops the first entry equal to the path (ASCII case ignored); false when
// there was none.
bool removeRecentEntry(std::vector<std::wstring>& entries, const std::wstring& path);

// Newest first, "&1 path", with the current directory and its backslash
// left out of paths inside it.
std::vector<RecentMenuItem> recentMenuItems(const std::vector<std::wstring>& entries,
                                            const std::wstring& currentDirectory);

// The path behind a recent-file command, when the id is one and its entry
// is not empty.
std::optional<std::wstring> recentEntryForCommand(const std::vector<std::wstring>& entries,
                                                  int commandId);

}  // namespace lumaset
