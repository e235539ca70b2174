#include "shell/window_memory.h"

#include <string>
#include <vector>

#include "ui/dpi.h"
#include "views/logic/recent_file_list.h"

namespace lumaset {

namespace {

constexpr DWORD kMaxValueChars = 128;

PixelRect pixelRect(const RECT& r) { return {int(r.left), int(r.top), int(r.right), int(r.bottom)}; }

BOOL CALLBACK collectMonitor(HMONITOR monitor, HDC, LPRECT, LPARAM param) {
    MONITORINFO info{};
    info.cbSize = sizeof(info);
    if (GetMonitorInfoW(monitor, &info))
        reinterpret_cast<std::vector<MonitorArea>*>(param)->push_back({pixelRect(info.rcWork), dpiOfMonitor(monitor)});
    return TRUE;
}

std::optional<std::wstring> readPlacementText() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS)
        return std::nullopt;
    wchar_t text[kMaxValueChars + 1] = {};
    DWORD type = 0, bytes = kMaxValueChars * sizeof(wchar_t);
    const LONG result = RegQueryValueExW(key, kWindowPlacementValue, nullptr, &type, reinterpret_cast<BYTE*>(text), &bytes);
    RegCloseKey(key);
    if (result != ERROR_SUCCESS || type != REG_SZ) return std::nullopt;
    // No NUL is promised; the buffer holds one past what was read.
    std::size_t length = 0;
    while (length < bytes / sizeof(wchar_t) && text[length]) ++length;
    return std::wstring(text, length);
}

}  // namespace

std::optional<SavedWindow> rememberedWindow() {
    const auto text = readPlacementText();
    if (!text) return std::nullopt;
    const auto saved = parseSavedWindow(*text);
    if (!saved) return std::nullopt;
    std::vector<MonitorArea> monitors;
    EnumDisplayMonitors(nullptr, nullptr, collectMonitor, reinterpret_cast<LPARAM>(&monitors));
    return restoredWindow(*saved, monitors);
}

void noteNormalFrame(App& app) {
    HWND main = app.windows.main;
    if (!main || IsIconic(main) || IsZoomed(main)) return;
    RECT frame;
    if (GetWindowRect(main, &frame)) app.layout.normalFrame = frame;
}

void saveWindowPlacement(const App& app) {
    HWND main = app.windows.main;
    const RECT& frame = app.layout.normalFrame;
    if (!main || frame.right <= frame.left || frame.bottom <= frame.top) return;
    SavedWindow saved;
    saved.frame = pixelRect(frame);
    saved.maximized = IsZoomed(main) != FALSE;
    saved.split = app.layout.splitPosition;
    saved.dpi = dpiOf(main);
    // A value that would not read back is not worth writing.
    const std::wstring text = formatSavedWindow(saved);
    if (!parseSavedWindow(text)) return;
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_SET_VALUE,
                        nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, kWindowPlacementValue, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

}  // namespace lumaset
