// The calls that block on a person or leave the process: message boxes, file
// dialogs, modal dialogs, starting a process and help. The program uses the
// real calls; a test replaces the hooks to answer them.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

namespace lumaset {

struct FileDialogRequest {
    HWND owner = nullptr;
    bool save = false;
    std::wstring title;
    std::wstring initialPath;  // save as: the current name
};

struct UiHooks {
    // Returns IDYES/IDNO/IDCANCEL/IDOK like MessageBoxW.
    std::function<int(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type)> messageBox;
    // The chosen path, or nullopt when cancelled.
    std::function<std::optional<std::wstring>(const FileDialogRequest&)> fileDialog;
    // Starts a process with the command line; true on success.
    std::function<bool(const std::wstring& exePath, const std::wstring& commandLine)> startProcess;
    // Opens help for a context (0: contents).
    std::function<void(HWND owner, unsigned context)> showHelp;
    // Hands a help page to the browser; false when it did not start.
    std::function<bool(HWND owner, const std::wstring& page)> openInBrowser;
    // Runs a modal dialog of the program's resources; returns its result.
    std::function<INT_PTR(HINSTANCE, int dialogId, HWND owner, DLGPROC, LPARAM)> modalDialog;
    // The default beep of a move that cannot be made; a test counts them.
    std::function<void()> beep;
};

// The hooks in force; each defaults to the real call.
UiHooks& uiHooks();
void resetUiHooks();

int showMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type);
std::optional<std::wstring> showFileDialog(const FileDialogRequest& request);
bool startProcess(const std::wstring& exePath, const std::wstring& commandLine);
void showHelp(HWND owner, unsigned context);
// Posted to the main window when the browser started for help ended in
// failure (lParam: a new std::wstring with the page, for tellHelpNotOpened).
inline constexpr UINT WMU_HELP_NOT_OPENED = WM_APP + 25;
// Says that help did not open and where its pages are.
void tellHelpNotOpened(HWND owner, const std::wstring& page);
INT_PTR runModalDialog(HINSTANCE instance, int dialogId, HWND owner, DLGPROC proc, LPARAM param);
void beep();

}  // namespace lumaset
