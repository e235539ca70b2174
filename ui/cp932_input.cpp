#include "ui/cp932_input.h"

#include <commctrl.h>

#include <algorithm>

#include "ui/captions.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"
#include "ui/window_subclass.h"

namespace lumaset {

namespace {

std::size_t storedLength(std::wstring_view text, const Cp932InputRule& rule) {
    std::size_t bytes = cp932Length(text);
    if (rule.lineBreaksFree) {
        for (std::size_t i = 0; i + 1 < text.size(); ++i)
            if (text[i] == L'\r' && text[i + 1] == L'\n') bytes -= 2;
    }
    return bytes;
}

// Stored bytes left for new input once the selection is replaced.
std::size_t roomForInput(HWND edit, const Cp932InputRule& rule) {
    const std::wstring text = windowText(edit);
    DWORD start = 0, end = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    start = std::min<DWORD>(start, DWORD(text.size()));
    end = std::min<DWORD>(std::max(start, end), DWORD(text.size()));
    std::wstring kept = text.substr(0, start);
    kept += std::wstring_view(text).substr(end);
    const std::size_t used = storedLength(kept, rule);
    return used >= rule.maxBytes ? 0 : rule.maxBytes - used;
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

bool isMultiLine(HWND edit) { return (GetWindowLongW(edit, GWL_STYLE) & ES_MULTILINE) != 0; }

enum class Refusal { None, NoCode, Full };

// The rule of one edit, with what it last told the user.
struct EditState {
    Cp932InputRule rule;
    Refusal told = Refusal::None;  // the balloon of the current burst
    DWORD lastRefusal = 0;
    HWND ownBalloon = nullptr;     // where the edit shows no balloon itself
};

constexpr UINT_PTR kBalloonTimer = 0x4C54;
constexpr UINT kBalloonMs = 4000;

// A pause this long between refused keys starts a new burst.
constexpr DWORD kBurstGapMs = 3000;

// A typed character goes in only when cp932 has a code for it and the field
// stays within its limit.
Refusal refuseCharacter(HWND edit, const Cp932InputRule& rule, wchar_t ch) {
    // Enter and Ctrl+Enter (a line feed) both put in CR LF.
    const bool lineBreak = ch == L'\r' || ch == L'\n';
    if (ch < 0x20 && !lineBreak && ch != L'\t') return Refusal::None;  // editing keys
    if (lineBreak && !isMultiLine(edit)) return Refusal::None;         // the edit ignores it
    // No cp932 character lies outside the basic plane.
    if (IS_HIGH_SURROGATE(ch) || IS_LOW_SURROGATE(ch)) return Refusal::NoCode;
    const std::wstring_view one(&ch, 1);
    if (!lineBreak && !fitsCp932(one)) return Refusal::NoCode;
    std::size_t width = lineBreak ? 2 : cp932Length(one);
    if (lineBreak && rule.lineBreaksFree) width = 0;
    return width > roomForInput(edit, rule) ? Refusal::Full : Refusal::None;
}

void hideOwnBalloon(HWND edit, EditState& state) {
    if (!state.ownBalloon) return;
    KillTimer(edit, kBalloonTimer);
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.hwnd = edit;
    tool.uId = reinterpret_cast<UINT_PTR>(edit);
    SendMessageW(state.ownBalloon, TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

// Some edit controls (Wine's) show no balloon of their own: a tracking
// balloon tooltip under the caret says the same, for a few seconds.
void showOwnBalloon(HWND edit, EditState& state, const wchar_t* text) {
    TTTOOLINFOW tool{};
    tool.cbSize = sizeof(tool);
    tool.uFlags = TTF_IDISHWND | TTF_TRACK | TTF_ABSOLUTE;
    tool.hwnd = edit;
    tool.uId = reinterpret_cast<UINT_PTR>(edit);
    tool.lpszText = const_cast<wchar_t*>(text);
    if (!state.ownBalloon) {
        state.ownBalloon = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                                           WS_POPUP | TTS_BALLOON | TTS_NOPREFIX | TTS_ALWAYSTIP, 0, 0, 0, 0, edit,
                                           nullptr, nullptr, nullptr);
        if (!state.ownBalloon) return;
        SendMessageW(state.ownBalloon, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
    } else {
        SendMessageW(state.ownBalloon, TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
    }
    POINT caret{};
    GetCaretPos(&caret);
    RECT client{};
    GetClientRect(edit, &client);
    caret.y = std::min(caret.y + LONG(GetSystemMetrics(SM_CYCURSOR) / 2), client.bottom);
    ClientToScreen(edit, &caret);
    SendMessageW(state.ownBalloon, TTM_TRACKPOSITION, 0, MAKELPARAM(caret.x, caret.y));
    SendMessageW(state.ownBalloon, TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
    SetTimer(edit, kBalloonTimer, kBalloonMs, nullptr);
}

// A beep alone is no answer on a muted machine: the balloon says why, once
// per burst of refused keys, as a number-only field does.
void tellRefusal(HWND edit, EditState& state, Refusal why) {
    MessageBeep(MB_OK);
    const DWORD now = GetTickCount();
    const bool newBurst = state.told != why || now - state.lastRefusal > kBurstGapMs;
    state.lastRefusal = now;
    if (!newBurst) return;
    state.told = why;
    const wchar_t* text = why == Refusal::NoCode ? kCannotStoreCharacterText : kFieldFullText;
    EDITBALLOONTIP tip{sizeof(tip), L"", text, TTI_NONE};
    if (!SendMessageW(edit, EM_SHOWBALLOONTIP, 0, reinterpret_cast<LPARAM>(&tip))) showOwnBalloon(edit, state, text);
}

LRESULT paste(HWND edit, const Cp932InputRule& rule) {
    std::wstring text = clipboardText(edit);
    // A one-line edit takes the first line only, as it would by itself.
    if (!isMultiLine(edit)) {
        const std::size_t end = text.find_first_of(L"\r\n");
        if (end != std::wstring::npos) text.resize(end);
    }
    bool dropped = false;
    const std::wstring representable = keepCp932Characters(text, &dropped);
    std::wstring_view fits = representable;
    const std::size_t room = roomForInput(edit, rule);
    if (storedLength(fits, rule) > room) {
        // Line breaks that are free still take none of the room.
        std::size_t used = 0, i = 0;
        while (i < fits.size()) {
            if (rule.lineBreaksFree && fits[i] == L'\r' && i + 1 < fits.size() && fits[i + 1] == L'\n') {
                i += 2;
                continue;
            }
            const std::size_t width = cp932Length(fits.substr(i, 1));
            if (used + width > room) break;
            used += width;
            ++i;
        }
        fits = fits.substr(0, i);
        // Never leave half of a line break behind.
        if (!fits.empty() && fits.back() == L'\r') fits.remove_suffix(1);
        MessageBeep(MB_OK);
    }
    if (!fits.empty()) {
        const std::wstring part(fits);
        SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(part.c_str()));
    }
    if (dropped)
        showMessageBox(GetAncestor(edit, GA_ROOT), kCharactersLeftOutText, kEditorCaption,
                       MB_ICONINFORMATION | MB_OK);
    return 0;
}

void freeEditState(EditState* state) {
    if (!state) return;
    if (state->ownBalloon) DestroyWindow(state->ownBalloon);
    delete state;
}

LRESULT cp932SubclassProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, SubclassLayer& layer) {
    auto* state = static_cast<EditState*>(layer.data);
    switch (message) {
    case WM_CHAR:
    case WM_IME_CHAR: {
        const Refusal why = refuseCharacter(edit, state->rule, wchar_t(wParam));
        if (why != Refusal::None) {
            tellRefusal(edit, *state, why);
            return 0;
        }
        if (wParam >= 0x20) {  // a key went in: the burst is over
            state->told = Refusal::None;
            hideOwnBalloon(edit, *state);
        }
        break;
    }
    case WM_TIMER:
        if (wParam != kBalloonTimer) break;
        hideOwnBalloon(edit, *state);
        return 0;
    case WM_KILLFOCUS:
        state->told = Refusal::None;
        hideOwnBalloon(edit, *state);
        break;
    case WM_PASTE:
        return paste(edit, state->rule);
    case WM_NCDESTROY:
        freeEditState(state);
        layer.data = nullptr;
        break;
    }
    return layer.next(edit, message, wParam, lParam);
}

}  // namespace

bool fitsCp932(std::wstring_view text) {
    if (text.empty()) return true;
    return wideFromCp932(cp932FromWide(text)) == text;
}

std::wstring keepCp932Characters(std::wstring_view text, bool* droppedAny) {
    std::wstring kept;
    kept.reserve(text.size());
    bool dropped = false;
    for (std::size_t i = 0; i < text.size();) {
        std::size_t units = 1;
        if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1])) units = 2;
        const std::wstring_view one = text.substr(i, units);
        const bool ok = units == 1 && !IS_HIGH_SURROGATE(one[0]) && !IS_LOW_SURROGATE(one[0]) &&
                        (one[0] == L'\r' || one[0] == L'\n' || fitsCp932(one));
        if (ok)
            kept += one;
        else
            dropped = true;
        i += units;
    }
    if (droppedAny) *droppedAny = dropped;
    return kept;
}

void installCp932Input(HWND edit, Cp932InputRule rule) {
    if (!edit) return;
    // Every character takes at least one byte, so this also lifts the
    // control's own character limit to what the byte limit allows.
    SendMessageW(edit, EM_SETLIMITTEXT, WPARAM(rule.maxBytes + (rule.lineBreaksFree ? 2 * rule.maxBytes : 0)), 0);
    // A second rule for the same edit replaces the first.
    freeEditState(static_cast<EditState*>(installSubclass<cp932SubclassProc>(edit, new EditState{rule})));
}

}  // namespace lumaset
