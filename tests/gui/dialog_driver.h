// Runs the program's own modal dialogs for real inside a test: each dialog,
// once shown, is handed to the next script in the queue, which works its
// controls as a user would and usually ends it. A dialog that its script
// leaves open is cancelled, so that a test never hangs.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <string>
#include <vector>

namespace lumaset::testing {

using DialogScript = std::function<void(HWND dialog)>;

class DialogDriver {
public:
    // Replaces the scripted modal-dialog hook of the GUI fixture.
    DialogDriver();
    ~DialogDriver();
    DialogDriver(const DialogDriver&) = delete;
    DialogDriver& operator=(const DialogDriver&) = delete;

    void then(DialogScript script) { scripts_.push_back(std::move(script)); }
    // The resource ids of the dialogs run so far, in order.
    const std::vector<int>& dialogsRun() const { return dialogsRun_; }
    // How many dialogs their scripts left open (and were cancelled).
    int leftOpen() const { return leftOpen_; }

private:
    friend INT_PTR CALLBACK drivenDialogProc(HWND, UINT, WPARAM, LPARAM);
    struct Frame {
        HWND dialog = nullptr;
        DLGPROC proc = nullptr;
        DialogScript script;
    };
    std::deque<DialogScript> scripts_;
    std::vector<Frame> frames_;
    std::vector<int> dialogsRun_;
    int leftOpen_ = 0;
};

// Clicks a button as the mouse would (check boxes toggle and notify).
void click(HWND dialog, int id);
// Sends the command of a push button to its dialog.
void press(HWND dialog, int id);
// Types the text into a control one WM_CHAR at a time.
void typeText(HWND control, const std::wstring& text);
// Handles what is queued for the dialog's thread, as its modal loop would.
void pumpDialog(HWND dialog);
bool isEnabled(HWND dialog, int id);
bool isChecked(HWND dialog, int id);

}  // namespace lumaset::testing
