#include "ui/ui_calls.h"

#include <commdlg.h>
#include <shellapi.h>

#include <algorithm>
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

// Message boxes and our dialogs open over the main window, not where the
// system puts them (under Wine: the screen's top-left corner). A thread CBT
// hook sees the box activate before it is drawn and moves it once.
struct CentreRequest {
    HHOOK hook = nullptr;
    HWND owner = nullptr;
};
thread_local CentreRequest* centreRequest = nullptr;

void centreOnOwner(HWND window, HWND owner) {
    RECT box, over;
    if (!GetWindowRect(window, &box) || !GetWindowRect(GetAncestor(owner, GA_ROOT), &over)) return;
    MONITORINFO monitor{};
    monitor.cbSize = sizeof(monitor);
    GetMonitorInfoW(MonitorFromWindow(owner, MONITOR_DEFAULTTONEAREST), &monitor);
    const RECT& work = monitor.rcWork;
    const int width = box.right - box.left, height = box.bottom - box.top;
    int x = over.left + ((over.right - over.left) - width) / 2;
    int y = over.top + ((over.bottom - over.top) - height) / 2;
    // Whole on the owner's monitor, caption first when it cannot all fit.
    x = std::max(LONG(work.left), std::min(LONG(x), work.right - width));
    y = std::max(LONG(work.top), std::min(LONG(y), work.bottom - height));
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

LRESULT CALLBACK centreHook(int code, WPARAM wParam, LPARAM lParam) {
    CentreRequest* request = centreRequest;
    if (!request) return CallNextHookEx(nullptr, code, wParam, lParam);
    HHOOK hook = request->hook;
    if (code == HCBT_ACTIVATE) {
        HWND window = reinterpret_cast<HWND>(wParam);
        if (GetWindow(window, GW_OWNER) == request->owner) {
            centreOnOwner(window, request->owner);
            UnhookWindowsHookEx(hook);
            centreRequest = nullptr;
            return 0;
        }
    }
    return CallNextHookEx(hook, code, wParam, lParam);
}

class CentreOverOwner {
public:
    explicit CentreOverOwner(HWND owner) {
        if (!owner || centreRequest) return;
        request_.owner = GetAncestor(owner, GA_ROOT);  // a box's owner is always a top-level window
        request_.hook = SetWindowsHookExW(WH_CBT, centreHook, nullptr, GetCurrentThreadId());
        if (request_.hook) centreRequest = &request_;
    }
    ~CentreOverOwner() {
        if (centreRequest != &request_) return;
        UnhookWindowsHookEx(request_.hook);
        centreRequest = nullptr;
    }
    CentreOverOwner(const CentreOverOwner&) = delete;
    CentreOverOwner& operator=(const CentreOverOwner&) = delete;

private:
    CentreRequest request_;
};

int realMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    CentreOverOwner centre(owner);
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

constexpr DWORD kBrowserStartWait = 10000;  // ms: a launcher that fails ends well within it

struct BrowserStart {
    HANDLE process = nullptr;
    HWND main = nullptr;
    std::wstring page;
};

// A launcher such as Wine's, with no browser to hand the page to, starts and
// ends with an error; told on the main window's thread.
DWORD WINAPI watchBrowserStart(void* parameter) {
    auto* start = static_cast<BrowserStart*>(parameter);
    DWORD code = 0;
    if (WaitForSingleObject(start->process, kBrowserStartWait) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(start->process, &code) && code != 0) {
        auto* page = new std::wstring(start->page);
        if (!PostMessageW(start->main, WMU_HELP_NOT_OPENED, 0, reinterpret_cast<LPARAM>(page))) delete page;
    }
    CloseHandle(start->process);
    delete start;
    return 0;
}

bool realOpenInBrowser(HWND owner, const std::wstring& page) {
    SHELLEXECUTEINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = SEE_MASK_NOCLOSEPROCESS | SEE_MASK_FLAG_NO_UI;
    info.hwnd = owner;
    info.lpVerb = L"open";
    info.lpFile = page.c_str();
    info.nShow = SW_SHOWNORMAL;
    if (!ShellExecuteExW(&info)) return false;
    if (!info.hProcess) return true;
    auto* start = new BrowserStart{info.hProcess, GetAncestor(owner, GA_ROOTOWNER), page};
    HANDLE thread = CreateThread(nullptr, 0, watchBrowserStart, start, 0, nullptr);
    if (thread) {
        CloseHandle(thread);
    } else {
        CloseHandle(start->process);
        delete start;
    }
    return true;
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
    auto& open = uiHooks().openInBrowser;
    if (!(open ? open(owner, page.wstring()) : realOpenInBrowser(owner, page.wstring())))
        tellHelpNotOpened(owner, page.wstring());
}

INT_PTR realModalDialog(HINSTANCE instance, int dialogId, HWND owner, DLGPROC proc, LPARAM param) {
    CentreOverOwner centre(owner);
    return DialogBoxParamW(instance, MAKEINTRESOURCEW(dialogId), owner, proc, param);
}

// A box or a dialog takes the focus away, and disabling its owner may leave
// it nowhere; afterwards the keys go back to the control that had them
// (the pane, the find bar, the memo or the tree), if it can still take them.
class FocusKeeper {
public:
    FocusKeeper() : focus_(GetFocus()) {}
    ~FocusKeeper() {
        if (!focus_ || !IsWindow(focus_) || !IsWindowVisible(focus_) || !IsWindowEnabled(focus_)) return;
        HWND top = GetAncestor(focus_, GA_ROOT);
        if (top && IsWindowEnabled(top) && GetFocus() != focus_) SetFocus(focus_);
    }
    FocusKeeper(const FocusKeeper&) = delete;
    FocusKeeper& operator=(const FocusKeeper&) = delete;

private:
    HWND focus_;
};

}  // namespace

UiHooks& uiHooks() {
    static UiHooks hooks;
    return hooks;
}

void resetUiHooks() { uiHooks() = UiHooks{}; }

int showMessageBox(HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
    FocusKeeper keeper;
    if (auto& hook = uiHooks().messageBox) return hook(owner, text, caption, type);
    return realMessageBox(owner, text, caption, type);
}

std::optional<std::wstring> showFileDialog(const FileDialogRequest& request) {
    FocusKeeper keeper;
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

void tellHelpNotOpened(HWND owner, const std::wstring& page) {
    const std::filesystem::path path(page);
    const std::wstring text = L"ヘルプをブラウザーで開けませんでした。\n\nヘルプのページはこのフォルダーにあります:\n" +
                              path.parent_path().wstring() + L"\n\nブラウザーで " + path.filename().wstring() +
                              L" を開いてください。";
    showMessageBox(owner, text, L"ヘルプ", MB_OK | MB_ICONINFORMATION);
}

INT_PTR runModalDialog(HINSTANCE instance, int dialogId, HWND owner, DLGPROC proc, LPARAM param) {
    FocusKeeper keeper;
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
