#include "shell/memo_edit.h"

#include <commctrl.h>

#include "shell/text_convert.h"

namespace lumaset {

namespace {

constexpr UINT_PTR kMemoSubclassId = 1;

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(std::size_t(length) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), length + 1);
    text.resize(std::size_t(got > 0 ? got : 0));
    return text;
}

// cp932 bytes left for new input once the selection is replaced.
std::size_t roomForInput(HWND edit) {
    const std::wstring text = windowText(edit);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    start = std::min<DWORD>(start, DWORD(text.size()));
    end = std::min<DWORD>(std::max(start, end), DWORD(text.size()));
    const std::size_t kept = cp932Length(text) - cp932Length(std::wstring_view(text).substr(start, end - start));
    return kept >= std::size_t(kMaxMemoBytes) ? 0 : std::size_t(kMaxMemoBytes) - kept;
}

std::wstring clipboardText(HWND owner) {
    std::wstring text;
    if (!IsClipboardFormatAvailable(CF_UNICODETEXT) || !OpenClipboard(owner)) return text;
    if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
        if (auto* p = static_cast<const wchar_t*>(GlobalLock(data))) {
            // The block may hold no NUL; stay inside it.
            const std::size_t units = GlobalSize(data) / sizeof(wchar_t);
            std::size_t n = 0;
            while (n < units && p[n]) ++n;
            text.assign(p, n);
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return text;
}

// A typed character goes in only when the memo stays below its limit, as
// an edit on a Japanese system refuses input at its byte limit.
bool refuseCharacter(HWND edit, wchar_t ch) {
    // Enter and Ctrl+Enter (a line feed) both put in CR LF.
    const bool lineBreak = ch == L'\r' || ch == L'\n';
    if (ch < 0x20 && !lineBreak && ch != L'\t') return false;  // editing keys
    const std::size_t width = lineBreak ? 2 : cp932Length(std::wstring_view(&ch, 1));
    return width > roomForInput(edit);
}

LRESULT pasteWithinLimit(HWND edit) {
    const std::wstring text = clipboardText(edit);
    const std::size_t room = roomForInput(edit);
    std::wstring_view fits = cutWideToCp932Bytes(text, room);
    // Never leave half of a line break behind.
    if (fits.size() < text.size() && !fits.empty() && fits.back() == L'\r') fits.remove_suffix(1);
    if (fits.size() < text.size()) MessageBeep(MB_OK);
    if (!fits.empty()) {
        const std::wstring part(fits);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(part.c_str()));
    }
    return 0;
}

LRESULT CALLBACK memoSubclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR, DWORD_PTR) {
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR:
        if (refuseCharacter(edit, wchar_t(wParam))) {
            MessageBeep(MB_OK);
            return 0;
        }
        break;
    case WM_PASTE:
        if (cp932Length(clipboardText(edit)) > roomForInput(edit)) return pasteWithinLimit(edit);
        break;
    case WM_NCDESTROY:
        RemoveWindowSubclass(edit, memoSubclassProc, kMemoSubclassId);
        break;
    }
    return DefSubclassProc(edit, message, wParam, lParam);
}

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
                                WS_CHILD | WS_BORDER | ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN, 0, 0, 0,
                                0, parent, nullptr, instance, nullptr);
    if (!edit) return nullptr;
    // Every character takes at least one byte, so this also lifts the
    // default character limit to what the byte limit allows.
    SendMessageW(edit, EM_SETLIMITTEXT, kMaxMemoBytes, 0);
    SetWindowSubclass(edit, memoSubclassProc, kMemoSubclassId, 0);
    return edit;
}

void showMemoText(App& app) {
    HWND edit = app.windows.memo;
    if (!edit) return;
    app.windows.fillingMemo = true;
    SetWindowTextW(edit, withCrLf(wideFromCp932(app.document.memoText())).c_str());
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

}  // namespace lumaset
