#include "properties/screen_capture.h"

#include <cstring>
#include <string>

#include "properties/logic/captured_text.h"
#include "resources/resource_ids.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"

namespace lumaset {

namespace {

constexpr wchar_t kTerminalNotFoundText[] = L"Tarvelonが見つかりません。";
constexpr wchar_t kCaptureTextQuestion[] =
    L"Tarvelonの画面から取り込みたい範囲を選択してから「ＯＫ」ボタンを押してください。";
constexpr wchar_t kCaptureTextCaption[] = L"画面から取り込み";
constexpr wchar_t kCapturePositionQuestion[] =
    L"Tarvelonの画面から位置を取り込みたい範囲を選択してから「ＯＫ」ボタンを押してください。";
constexpr wchar_t kCapturePositionCaption[] = L"画面から位置の取り込み";

// A terminal that stopped answering must not freeze the editor with it.
constexpr UINT kTerminalTimeoutMs = 10000;

bool askTerminal(HWND terminal, UINT message, DWORD_PTR* result) {
    return SendMessageTimeoutW(terminal, message, 0, 0, SMTO_ABORTIFHUNG, kTerminalTimeoutMs, result) != 0;
}

bool askToSelect(HWND field, const wchar_t* question, const wchar_t* caption) {
    return showMessageBox(GetParent(field), question, caption, MB_OKCANCEL | MB_ICONINFORMATION) == IDOK;
}

HGLOBAL globalCopy(const void* data, std::size_t size) {
    HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
    if (!block) return nullptr;
    void* p = GlobalLock(block);
    if (!p) {
        GlobalFree(block);
        return nullptr;
    }
    std::memcpy(p, data, size);
    GlobalUnlock(block);
    return block;
}

void putOnClipboard(UINT format, HGLOBAL block) {
    if (block && !SetClipboardData(format, block)) GlobalFree(block);
}

void typeText(HWND field, const std::wstring& text) {
    for (wchar_t ch : text) SendMessageW(field, WM_CHAR, ch, 1);
}

}  // namespace

HWND findTerminalWindow(HWND owner) {
    HWND terminal = FindWindowW(kTerminalWindowClass, nullptr);
    if (!terminal) showMessageBox(owner, kTerminalNotFoundText, L"", MB_OK | MB_ICONERROR);
    return terminal;
}

// The clipboard's cp932 text; false when it cannot be opened or holds none.
// Another program's block may hold no terminator.
bool readClipboardCp932(HWND owner, std::string& text) {
    if (!OpenClipboard(owner)) return false;
    HANDLE data = GetClipboardData(CF_TEXT);
    const auto* bytes = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (bytes) {
        text.assign(bytes, strnlen(bytes, GlobalSize(data)));
        GlobalUnlock(data);
    }
    CloseClipboard();
    return bytes != nullptr;
}

bool captureTerminalText(App&, HWND owner, std::string& text) {
    if (showMessageBox(owner, kCaptureTextQuestion, kCaptureTextCaption, MB_OKCANCEL | MB_ICONINFORMATION) != IDOK)
        return false;
    HWND terminal = findTerminalWindow(owner);
    if (!terminal) return false;
    DWORD_PTR ignored = 0;
    if (!askTerminal(terminal, WM_COPY, &ignored)) return false;
    return readClipboardCp932(owner, text) && !text.empty();
}

// A field that holds no line break (the exit pattern) takes the first line
// of a capture, with a beep when more was selected.
bool escapeClipboardText(App& app, bool oneLine) {
    if (!OpenClipboard(app.windows.main)) return false;
    HANDLE data = GetClipboardData(CF_TEXT);
    const auto* bytes = data ? static_cast<const char*>(GlobalLock(data)) : nullptr;
    if (!bytes) {
        CloseClipboard();
        return false;
    }
    // Another program's block: it may hold no terminator.
    const std::size_t size = GlobalSize(data);
    std::string text(bytes, strnlen(bytes, size));
    GlobalUnlock(data);
    if (const std::size_t end = text.find_first_of("\r\n"); oneLine && end != std::string::npos) {
        if (text.find_first_not_of("\r\n", end) != std::string::npos) beep();
        text.resize(end);
    }
    if (text.empty()) {
        CloseClipboard();
        return false;
    }
    const std::string escaped = escapeCapturedText(text);
    // The edits are wide: give them the characters, not bytes they would
    // read in the system's code page.
    const std::wstring wide = wideFromCp932(escaped);
    EmptyClipboard();
    putOnClipboard(CF_TEXT, globalCopy(escaped.c_str(), escaped.size() + 1));
    putOnClipboard(CF_UNICODETEXT, globalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t)));
    CloseClipboard();
    return true;
}

void captureScreenText(App& app, HWND field) {
    if (!askToSelect(field, kCaptureTextQuestion, kCaptureTextCaption)) return;
    HWND terminal = findTerminalWindow(GetParent(field));
    if (!terminal) return;
    SetFocus(field);
    DWORD_PTR ignored = 0;
    // Without an answer the clipboard still holds whatever was there before.
    if (!askTerminal(terminal, WM_COPY, &ignored)) return;
    const bool oneLine = (GetWindowLongPtrW(field, GWL_STYLE) & ES_MULTILINE) == 0;
    if (!escapeClipboardText(app, oneLine)) return;
    SendMessageW(field, WM_PASTE, 0, 0);
}

void captureScreenPosition(App&, HWND field) {
    if (!askToSelect(field, kCapturePositionQuestion, kCapturePositionCaption)) return;
    SetFocus(field);
    HWND terminal = findTerminalWindow(GetParent(field));
    if (!terminal) return;
    DWORD_PTR packed = 0;
    if (!askTerminal(terminal, WMU_TERMINAL_POSITION, &packed)) return;
    typeText(field, wideFromCp932(positionElementText(std::uint32_t(packed))));
}

}  // namespace lumaset
