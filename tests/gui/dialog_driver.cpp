#include "gui/dialog_driver.h"

#include "ui/ui_calls.h"

namespace lumaset::testing {

namespace {

// The script runs on a timer tick that finds the dialog shown: the modal
// loop shows it only once its queue is empty, and a tick can come first.
constexpr UINT_PTR kRunScriptTimer = 0x3A;

DialogDriver* activeDriver = nullptr;

}  // namespace

INT_PTR CALLBACK drivenDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    DialogDriver& driver = *activeDriver;
    // The innermost dialog not yet bound is this one (WM_SETFONT comes
    // before WM_INITDIALOG).
    DialogDriver::Frame* frame = nullptr;
    for (auto& f : driver.frames_)
        if (f.dialog == dialog) frame = &f;
    if (!frame) {
        frame = &driver.frames_.back();
        frame->dialog = dialog;
    }
    if (message == WM_TIMER && wParam == kRunScriptTimer) {
        if (!IsWindowVisible(dialog)) return TRUE;
        KillTimer(dialog, kRunScriptTimer);
        DialogScript script = std::move(frame->script);
        if (script) script(dialog);
        if (IsWindow(dialog) && IsWindowVisible(dialog)) {
            ++driver.leftOpen_;
            SendMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
        }
        return TRUE;
    }
    const INT_PTR result = frame->proc(dialog, message, wParam, lParam);
    if (message == WM_INITDIALOG) SetTimer(dialog, kRunScriptTimer, 1, nullptr);
    return result;
}

DialogDriver::DialogDriver() {
    activeDriver = this;
    uiHooks().modalDialog = [](HINSTANCE instance, int dialogId, HWND owner, DLGPROC proc, LPARAM param) {
        DialogDriver& driver = *activeDriver;
        driver.dialogsRun_.push_back(dialogId);
        Frame frame;
        frame.proc = proc;
        if (!driver.scripts_.empty()) {
            frame.script = std::move(driver.scripts_.front());
            driver.scripts_.pop_front();
        }
        driver.frames_.push_back(std::move(frame));
        const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(dialogId), owner, drivenDialogProc, param);
        driver.frames_.pop_back();
        return result;
    };
}

DialogDriver::~DialogDriver() {
    uiHooks().modalDialog = nullptr;
    activeDriver = nullptr;
}

void click(HWND dialog, int id) {
    SendMessageW(GetDlgItem(dialog, id), BM_CLICK, 0, 0);
}

void press(HWND dialog, int id) {
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(dialog, id)));
}

void typeText(HWND control, const std::wstring& text) {
    for (wchar_t ch : text) SendMessageW(control, WM_CHAR, ch, 1);
}

void pumpDialog(HWND dialog) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        if (!IsDialogMessageW(dialog, &msg)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
    }
}

bool isEnabled(HWND dialog, int id) { return IsWindowEnabled(GetDlgItem(dialog, id)) != FALSE; }

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

}  // namespace lumaset::testing
