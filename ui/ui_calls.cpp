#include "ui/ui_calls.h"

#include <commdlg.h>
#include <shellapi.h>

#include <filesystem>
#include <vector>

#include "document/error_message.h"
#include "resources/resource_ids.h"
#include "ui/win_paths.h"

namespace lumaset {

namespace {

// Pairs of display text and pattern, each ended by a NUL, the list by two.
constexpr wchar_t kTagFileFilter[] =
    L"カラー構文定義ﾌｧｲﾙ (.tag)\0*.tag\0すべてのﾌｧｲﾙ (*.*)\0*.*\0";
constexpr wchar_t kDefaultExtension[] = L"tag";
// Large enough for any path the dialog can return; the commands refuse the
// ones that do not fit the document path instead of the dialog failing.
constexpr DWORD kFileDialogChars = 32768;

int realMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    return MessageBoxW(owner, text.c_str(), caption.empty() ? nullptr : caption.c_str(), type);
}

std::optional<std::wstring> realFileDialog(const FileDialogRequest& request) {
    std::vector<wchar_t> name(kFileDialogChars, L'\0');
    if (request.initialPath.size() < name.size()) {
        std::copy(request.initialPath.begin(), request.initialPath.end(), name.begin());
    }
    OPENFILENAMEW dialog = {};
    dialog.lStructSize = sizeof(dialog);
    dialog.hwndOwner = request.owner;
    dialog.lpstrFilter = kTagFileFilter;
    dialog.nFilterIndex = 1;
    dialog.lpstrFile = name.data();
    dialog.nMaxFile = static_cast<DWORD>(name.size());
    dialog.lpstrTitle = request.title.empty() ? nullptr : request.title.c_str();
    dialog.lpstrDefExt = kDefaultExtension;
    BOOL chosen;
    if (request.save) {
        dialog.Flags = OFN_EXPLORER | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY | OFN_OVERWRITEPROMPT;
        chosen = GetSaveFileNameW(&dialog);
    } else {
        dialog.Flags = OFN_EXPLORER | OFN_CREATEPROMPT | OFN_PATHMUSTEXIST | OFN_HIDEREADONLY;
        chosen = GetOpenFileNameW(&dialog);
    }
    if (!chosen) return std::nullopt;
    return std::wstring(name.data());
}

bool realStartProcess(const std::wstring& exePath, const std::wstring& commandLine) {
    std::vector<wchar_t> line(commandLine.begin(), commandLine.end());
    line.push_back(L'\0');  // CreateProcessW may write into it
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(exePath.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process)) {
        return false;
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return true;
}

// The help page of ours for a context, beside the program.
std::filesystem::path helpPage(unsigned context) {
    const wchar_t* page = L"index.html";
    if (context == HELP_CONTEXT_MESSAGE_FORMAT) page = L"context-100.html";
    if (context == HELP_CONTEXT_PROPERTIES) page = L"context-101.html";
    return programDirectory() / L"help" / page;
}

void realShowHelp(HWND owner, unsigned context) {
    if (helpFileBesideProgram()) {
        if (context == 0) {
            WinHelpW(owner, kHelpFileName, HELP_CONTENTS, 0);
        } else {
            WinHelpW(owner, kHelpFileName, HELP_CONTEXT, context);
        }
        return;
    }
    // No WinHelp viewer on current systems: our HTML pages in the browser.
    const std::filesystem::path page = helpPage(context);
    std::error_code error;
    if (!std::filesystem::is_regular_file(page, error)) {
        showErrorMessage(pathForMessage(page) + "は見つかりません。");
        return;
    }
    const auto result = reinterpret_cast<INT_PTR>(
        ShellExecuteW(owner, L"open", page.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    if (result <= 32) showErrorMessage(pathForMessage(page) + "を開けませんでした。");
}

INT_PTR realModalDialog(HINSTANCE instance, int dialogId, HWND owner, DLGPROC proc, LPARAM param) {
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(dialogId), owner, proc, param);
}

}  // namespace

UiHooks& uiHooks() {
    static UiHooks hooks;
    return hooks;
}

void resetUiHooks() { uiHooks() = UiHooks{}; }

int showMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    if (auto& hook = uiHooks().messageBox) return hook(owner, text, caption, type);
    return realMessageBox(owner, text, caption, type);
}

std::optional<std::wstring> showFileDialog(const FileDialogRequest& request) {
    if (auto& hook = uiHooks().fileDialog) return hook(request);
    return realFileDialog(request);
}

bool startProcess(const std::wstring& exePath, const std::wstring& commandLine) {
    if (auto& hook = uiHooks().startProcess) return hook(exePath, commandLine);
    return realStartProcess(exePath, commandLine);
}

void showHelp(HWND owner, unsigned context) {
    if (auto& hook = uiHooks().showHelp) {
        hook(owner, context);
        return;
    }
    realShowHelp(owner, context);
}

INT_PTR runModalDialog(HINSTANCE instance, int dialogId, HWND owner, DLGPROC proc, LPARAM param) {
    if (auto& hook = uiHooks().modalDialog) return hook(instance, dialogId, owner, proc, param);
    return realModalDialog(instance, dialogId, owner, proc, param);
}

void beep() {
    if (auto& hook = uiHooks().beep) {
        hook();
        return;
    }
    MessageBeep(0);
}

}  // namespace lumaset
