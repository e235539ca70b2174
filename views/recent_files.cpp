#include "views/recent_files.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "resources/resource_ids.h"
#include "views/app.h"
#include "views/logic/recent_file_list.h"
#include "ui/win_paths.h"

namespace lumaset {

namespace {

constexpr wchar_t kMainWindowClass[] = L"TarvelonLumaset";
constexpr int kClassNameChars = 100;
// A slot of 259 characters and the NUL, as every path the editor keeps.
constexpr DWORD kSlotChars = kMaxRecentPathChars + 1;
// An editor that does not take the news within this long is left out: one
// hung editor must not hang every other one's Open and Save.
constexpr UINT kNotifyTimeoutMs = 1500;

// One value, or nullopt when it is missing, not a string or too long: the
// list ends there. The registry gives no guarantee of a NUL, nor of an even
// byte count, so neither is assumed.
std::optional<std::wstring> readValue(HKEY key, const std::wstring& name) {
    wchar_t slot[kSlotChars + 1] = {};
    DWORD type = 0;
    DWORD bytes = kSlotChars * sizeof(wchar_t);
    if (RegQueryValueExW(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(slot), &bytes) !=
            ERROR_SUCCESS ||
        type != REG_SZ) {
        return std::nullopt;
    }
    const std::size_t chars = bytes / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < chars && slot[length] != L'\0') ++length;
    if (length > kMaxRecentPathChars) return std::nullopt;
    return std::wstring(slot, length);
}

void notifyEveryInstance() {
    for (HWND window = GetTopWindow(nullptr); window; window = GetWindow(window, GW_HWNDNEXT)) {
        wchar_t className[kClassNameChars] = {};
        if (GetClassNameW(window, className, kClassNameChars) == 0) continue;
        if (std::wcscmp(className, kMainWindowClass) == 0) {
            DWORD_PTR ignored = 0;
            SendMessageTimeoutW(window, WMU_RECENT_FILES_CHANGED, 0, 0, SMTO_ABORTIFHUNG | SMTO_NORMAL,
                                kNotifyTimeoutMs, &ignored);
        }
    }
}

}  // namespace

void loadRecentFiles() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) {
        return;
    }
    std::vector<std::wstring> entries;
    for (int entry = 0; entry < kMaxRecentFiles; ++entry) {
        auto path = readValue(key, recentValueName(entry));
        if (!path) break;
        entries.push_back(std::move(*path));
    }
    RegCloseKey(key);
    app().recent.entries = std::move(entries);
}

void saveRecentFiles() {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS) {
        return;
    }
    const auto& entries = app().recent.entries;
    const int count = static_cast<int>(std::min<std::size_t>(entries.size(), kMaxRecentFiles));
    for (int entry = 0; entry < count; ++entry) {
        const std::wstring& path = entries[entry];
        RegSetValueExW(key, recentValueName(entry).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(path.c_str()),
                       static_cast<DWORD>((path.size() + 1) * sizeof(wchar_t)));
    }
    // A list that was once longer must not leave its old last value behind.
    RegDeleteValueW(key, recentValueName(count).c_str());
    RegCloseKey(key);
    notifyEveryInstance();
}

void addRecentFile(const std::wstring& path) {
    addRecentEntry(app().recent.entries, path);
    saveRecentFiles();
}

void removeRecentFile(const std::wstring& path) {
    if (removeRecentEntry(app().recent.entries, path)) saveRecentFiles();
}

void buildRecentFileMenu(HMENU mainMenu) {
    HMENU fileMenu = mainMenu ? GetSubMenu(mainMenu, 0) : nullptr;
    if (!fileMenu) return;
    for (int id = IDM_RECENT_SEPARATOR; id <= IDM_RECENT_LAST; ++id) {
        DeleteMenu(fileMenu, id, MF_BYCOMMAND);
    }
    const auto items = recentMenuItems(app().recent.entries, currentDirectory());
    if (items.empty()) return;
    AppendMenuW(fileMenu, MF_SEPARATOR, IDM_RECENT_SEPARATOR, nullptr);
    for (const auto& item : items) {
        AppendMenuW(fileMenu, MF_STRING, item.commandId, item.text.c_str());
    }
}

std::optional<std::wstring> recentFileForCommand(int commandId) {
    return recentEntryForCommand(app().recent.entries, commandId);
}

}  // namespace lumaset
