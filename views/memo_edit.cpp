#include "views/memo_edit.h"

#include <commctrl.h>

#include "ui/captions.h"
#include "ui/cp932_input.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"

namespace lumaset {

namespace {

constexpr wchar_t kUnshowableMemoQuestion[] =
    L"メモには表示できないバイトが含まれていて、「・」と表示されています。"
    L"編集すると、そのバイトは「・」に置き換えて保存されます。編集を続けますか？";

// The edit wants CR LF; a memo written elsewhere may hold bare LFs.
std::wstring withCrLf(const std::wstring& text) {
    std::wstring out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\n' && (i == 0 || text[i - 1] != L'\r')) out += L'\r';
        out += text[i];
    }
    return out;
}

}  // namespace

HWND createMemoEdit(HWND parent, HINSTANCE instance) {
    HWND edit = CreateWindowExW(WS_EX_CLIENTEDGE, L"EDIT", L"",
                                WS_CHILD | WS_BORDER | WS_VSCROLL | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN,
                                0, 0, 0, 0, parent, nullptr, instance, nullptr);
    if (!edit) return nullptr;
    installCp932Input(edit, {std::size_t(kMaxMemoBytes)});
    return edit;
}

void showMemoText(App& app) {
    HWND edit = app.windows.memo;
    if (!edit) return;
    const std::string_view stored = app.document.memoText();
    const std::wstring shown = wideFromCp932(stored);
    app.windows.memoUnshowable = cp932FromWide(shown) != stored;
    app.windows.memoEditAccepted = false;
    app.windows.fillingMemo = true;
    SetWindowTextW(edit, withCrLf(shown).c_str());
    SendMessageW(edit, EM_SETMODIFY, FALSE, 0);
    SendMessageW(edit, EM_EMPTYUNDOBUFFER, 0, 0);
    app.windows.fillingMemo = false;
}

std::optional<std::string> memoTextFromEdit(App& app) {
    HWND edit = app.windows.memo;
    // Untouched: the file's own bytes, even those no conversion keeps.
    if (!edit || !SendMessageW(edit, EM_GETMODIFY, 0, 0)) {
        if (!app.document.hasMemo()) return std::nullopt;
        return std::string(app.document.memoText());
    }
    const std::wstring text = windowText(edit);
    if (text.empty()) return std::nullopt;
    // Whole, even past the limit (a memo written elsewhere with bare line
    // feeds grows when shown): the writer then refuses it instead of the
    // end being cut off unseen.
    return cp932FromWide(text);
}

bool acceptMemoEdit(App& app) {
    MainWindows& w = app.windows;
    if (!w.memoUnshowable || w.memoEditAccepted) return true;
    if (showMessageBox(w.main, kUnshowableMemoQuestion, kEditorCaption, MB_YESNOCANCEL | MB_ICONQUESTION) == IDYES) {
        w.memoEditAccepted = true;
        return true;
    }
    // The stored bytes stay, and the edit shows them again.
    showMemoText(app);
    return false;
}

}  // namespace lumaset
