#include "properties/property_pane.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <iterator>
#include <string>

#include "document/error_message.h"
#include "pattern/derived_fields.h"
#include "pattern/match_pattern.h"
#include "pattern/pattern_code.h"
#include "properties/logic/pattern_check.h"
#include "properties/logic/pattern_field.h"
#include "properties/message_format_dialog.h"
#include "properties/pane_scroll.h"
#include "ui/dpi.h"
#include "properties/pattern_help.h"
#include "resources/resource_ids.h"
#include "ui/captions.h"
#include "ui/cp932_input.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"
#include "views/command_states.h"
#include "views/document_history.h"
#include "views/document_state.h"
#include "views/tree_mirror.h"

namespace lumaset {

namespace {

constexpr std::size_t kNameLimit = kNameSize - 1;
constexpr std::size_t kPatternLimit = kPatternSize - 1;
constexpr std::size_t kExitPatternLimit = kExitPatternSize - 1;
constexpr std::size_t kTitleLimit = kTitleCodeSize - 1;
constexpr int kColourLinesLowest = 1;
constexpr int kColourLinesHighest = 4;

constexpr char kTitleFailedText[] = "タイトルの構文の変換に失敗しました。";
constexpr char kTitleTooLongText[] = "タイトルの構文が長すぎます。";
constexpr wchar_t kTitleErrorShown[] = L"変換エラー";
constexpr wchar_t kApplyQuestionTail[] = L" の内容が書き換えられています。適用しますか？";

constexpr int kMovedButtons[] = {IDC_PATTERN_HELP, IDC_EXIT_PATTERN_HELP, IDC_TITLE_HELP};
constexpr int kWidenedEdits[] = {IDC_NAME,  IDC_PATTERN,     IDC_EXIT_PATTERN,      IDC_TITLE,
                                  IDC_TITLE_CHECK, IDC_PATTERN_CHECK, IDC_EXIT_PATTERN_CHECK};
constexpr int kEditableOnly[] = {IDC_NAME,         IDC_PATTERN,      IDC_PATTERN_HELP,      IDC_TITLE,
                                 IDC_TITLE_HELP,   IDC_COLOUR_LINES, IDC_COLOUR_LINES_SPIN, IDC_MESSAGE_SYNTAX};

// State of the pane window itself, kept with it (DWLP_USER).
struct PaneWindowState {
    int initialWidth = 0;
    int initialHeight = 0;  // the controls' height: less than this scrolls
    int minimumWidth = 0;   // the fixed controls' right edge and margin: less than this scrolls
    int lastWidth = 0;
    int dpi = 0;  // the sizes above are for it
    int titleDamageTold = -1;  // the selected record whose unreadable title was reported
    bool filling = false;  // our own text changes are not the user's edits
    // The controls by id from IDC_NAME on: finding a dialog item asks the
    // window system for the whole list of children each time.
    std::array<HWND, 24> controls{};
};

PaneWindowState* paneState(HWND pane) {
    return pane ? reinterpret_cast<PaneWindowState*>(GetWindowLongPtrW(pane, DWLP_USER)) : nullptr;
}

HWND control(HWND pane, int id) {
    PaneWindowState* state = paneState(pane);
    const int slot = id - IDC_NAME;
    if (!state || slot < 0 || slot >= int(state->controls.size())) return GetDlgItem(pane, id);
    HWND& c = state->controls[std::size_t(slot)];
    if (!c) c = GetDlgItem(pane, id);
    return c;
}

// Some systems' buttons paint themselves at once when checked or enabled;
// a selection changes several, so they are painted with the rest of the
// pane instead, when the selection is done.
template <typename Change>
void changeUnpainted(HWND c, Change change) {
    const bool shown = (GetWindowLongW(c, GWL_STYLE) & WS_VISIBLE) != 0;
    if (shown) SendMessageW(c, WM_SETREDRAW, FALSE, 0);
    change();
    if (!shown) return;
    SendMessageW(c, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(c, nullptr, TRUE);
}

// Each change of a control costs, and a fill runs on every selection:
// what already shows is left alone.
void enable(HWND pane, int id, bool on) {
    HWND c = control(pane, id);
    if (c && (IsWindowEnabled(c) != FALSE) != on) changeUnpainted(c, [&] { EnableWindow(c, on ? TRUE : FALSE); });
}

bool checked(HWND pane, int id) { return SendMessageW(control(pane, id), BM_GETCHECK, 0, 0) == BST_CHECKED; }

void check(HWND pane, int id, bool on) {
    HWND c = control(pane, id);
    if (checked(pane, id) != on)
        changeUnpainted(c, [&] { SendMessageW(c, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0); });
}

std::wstring controlText(HWND pane, int id) { return windowText(control(pane, id)); }

void setShownText(HWND pane, int id, const std::wstring& text) {
    if (controlText(pane, id) != text) SetWindowTextW(control(pane, id), text.c_str());
}

void setControlText(HWND pane, int id, std::string_view cp932) { setShownText(pane, id, wideFromCp932(cp932)); }

// The draft bit of each text field the user can change.
std::uint8_t draftBitOf(int id) {
    switch (id) {
    case IDC_NAME: return kDraftName;
    case IDC_PATTERN: return kDraftPattern;
    case IDC_EXIT_PATTERN: return kDraftExitPattern;
    case IDC_TITLE: return kDraftTitle;
    default: return 0;
    }
}

// The user changed the field since the pane was filled. An untouched field
// keeps its stored bytes, even those no conversion gives back.
bool edited(const App& app, int id) { return (app.selection.draftFields & draftBitOf(id)) != 0; }

// The field's text as cp932, at most maxBytes, cut between characters.
std::string readField(HWND pane, int id, std::size_t maxBytes) {
    return std::string(cutCp932(cp932FromWide(controlText(pane, id)), maxBytes));
}

// The text and zeros after it: what the user typed leaves no tail of an
// older, longer text behind its NUL.
void storeText(char* field, std::size_t width, std::string_view text) {
    const std::size_t n = std::min(text.size(), width - 1);
    std::memcpy(field, text.data(), n);
    std::memset(field + n, 0, width - n);
}

bool applyWithQuestion(App& app, const wchar_t* questionTail);

void putSelectionBack(App& app) {
    SelectionState& selection = app.selection;
    selection.reselectGuard = true;
    SendMessageW(app.windows.tree, TVM_SELECTITEM, TVGN_CARET,
                 reinterpret_cast<LPARAM>(itemForRecord(app, selection.selectionIndex)));
    selection.reselectGuard = false;
    PostMessageW(app.windows.main, WMU_ACTIVATE_PANE, 0, 0);
}

// A refused title is where the user goes on: the pane's activation that
// follows puts the caret there.
void focusRefusedTitle(App& app) {
    HWND title = control(app.windows.propertyPane, IDC_TITLE);
    app.windows.paneLastFocus = title;
    SetFocus(title);
}

// Compiles the title field into the record; false with the message shown
// when the title is refused.
bool compileTitle(HWND pane, SyntaxRecord& record) {
    const std::string text = readField(pane, IDC_TITLE, kRenderAreaSize - 1);
    std::uint8_t code[kCompileAreaSize];
    const int length = compilePattern(text.c_str(), code);
    if (length == kPatternFailed) {
        showErrorMessage(kTitleFailedText);
        return false;
    }
    if (length >= kTitleCodeSize) {
        showErrorMessage(kTitleTooLongText);
        return false;
    }
    // Typed anew, so nothing of the old code stays behind its end.
    std::memcpy(record.titleCode, code, std::size_t(length));
    std::memset(record.titleCode + length, 0, kTitleCodeSize - std::size_t(length));
    return true;
}

// Everything but the title, from the controls into the record.
void readEditableFields(App& app, SyntaxRecord& record, bool hasChildren) {
    HWND pane = app.windows.propertyPane;
    record.messageFormat = app.selection.draftMessageFormat;
    if (edited(app, IDC_NAME)) storeText(record.name, kNameSize, readField(pane, IDC_NAME, kNameLimit));
    if (edited(app, IDC_PATTERN)) {
        const std::string shown = cp932FromWide(controlText(pane, IDC_PATTERN));
        storeText(record.pattern, kPatternSize, readPatternField(shown, kPatternSize));
    }
    if (edited(app, IDC_EXIT_PATTERN))
        storeText(record.exitPattern, kExitPatternSize, readField(pane, IDC_EXIT_PATTERN, kExitPatternLimit));
    // A syntax with children never becomes interrupting; one that already
    // is (a damaged file) may only lose the flag.
    record.interrupting = checked(pane, IDC_INTERRUPTING) && (record.interrupting || !hasChildren) ? 1 : 0;
    record.jumpToChild = checked(pane, IDC_JUMP_TO_CHILD) ? 1 : 0;
    if (!checked(pane, IDC_MESSAGE_SYNTAX))
        record.messageFormat.kind = kNotMessage;
    else if (record.messageFormat.kind == kNotMessage)
        record.messageFormat.kind = kMessageNumberChecked;
}

// Lines to colour: at least 1, at most the pattern's own line count.
std::uint8_t colourLinesFromField(HWND pane, const SyntaxRecord& record) {
    BOOL isNumber = FALSE;
    const UINT typed = GetDlgItemInt(pane, IDC_COLOUR_LINES, &isNumber, FALSE);
    int lines = isNumber ? int(typed) : 0;
    if (lines < 1) lines = 1;
    if (lines > record.patternLines) lines = record.patternLines;
    return std::uint8_t(lines);
}

// A syntax with children, or one that jumps to a child, takes no exit
// pattern and does not become interrupting; interrupting excludes jumping.
// The controls follow the check boxes as they stand, at once.
void enableFlagControls(App& app, HWND pane) {
    const int s = app.selection.selectionIndex;
    const bool editable = s >= kFirstUserRecord;
    const bool interrupting = checked(pane, IDC_INTERRUPTING);
    const bool jump = checked(pane, IDC_JUMP_TO_CHILD);
    enable(pane, IDC_JUMP_TO_CHILD, editable && !interrupting);
    const bool exitEditable = editable && (interrupting || (!app.document.hasChildren(s) && !jump));
    for (int id : {IDC_EXIT_PATTERN, IDC_EXIT_PATTERN_HELP, IDC_INTERRUPTING}) enable(pane, id, exitEditable);
}

// The command availability bits for the record just shown, in the order
// that lets the clipboard check see the bits before it.
void computeCommandFlags(App& app) {
    const Document& doc = app.document;
    SelectionState& selection = app.selection;
    const int s = selection.selectionIndex;
    const int depth = doc.syntaxAt(s)->depth;
    auto& flags = selection.commandFlags;
    flags |= kCanNewChild;
    if (depth >= 1) flags |= kCanCutCopyDelete | kCanNewSyntax;
    checkClipboardFormat(app);
    if (s > kRootRecord) {
        int j = s - 1;
        while (j > 1 && doc.syntaxAt(j)->depth > depth) --j;
        if (doc.syntaxAt(j)->depth == depth) flags |= kCanMoveUp;
    }
    int j = s + 1;
    while (j < doc.syntaxCount() && doc.syntaxAt(j)->depth > depth) ++j;
    if (j < doc.syntaxCount() && doc.syntaxAt(j)->depth == depth) flags |= kCanMoveDown;
    if (!takesChildren(*doc.syntaxAt(s))) flags &= std::uint16_t(~(kCanPasteChild | kCanNewChild));
}

// --- dialog messages --------------------------------------------------------

int clientWidth(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return client.right - client.left;
}

bool followsWidth(int id) {
    return std::find(std::begin(kMovedButtons), std::end(kMovedButtons), id) != std::end(kMovedButtons) ||
           std::find(std::begin(kWidenedEdits), std::end(kWidenedEdits), id) != std::end(kWidenedEdits);
}

// The width that shows every control that keeps its size whole (a check box
// is not cut at its right edge), with the template's right margin after it.
int fixedControlsWidth(HWND pane, int laidOutWidth) {
    int fixedRight = 0, movedRight = 0;
    for (HWND child = GetWindow(pane, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        RECT r{};
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&r), 2);
        r.right += GetScrollPos(pane, SB_HORZ);
        const int id = GetDlgCtrlID(child);
        if (std::find(std::begin(kMovedButtons), std::end(kMovedButtons), id) != std::end(kMovedButtons))
            movedRight = std::max(movedRight, int(r.right));
        else if (!followsWidth(id))
            fixedRight = std::max(fixedRight, int(r.right));
    }
    const int margin = std::max(laidOutWidth - movedRight, 0);
    return fixedRight + margin;
}

void onInitDialog(App& app, HWND pane) {
    auto* state = new PaneWindowState;
    SetWindowLongPtrW(pane, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    // Byte limits of the stored fields; the pattern's line breaks are shown
    // only and take no room.
    installCp932Input(control(pane, IDC_NAME), {kNameLimit, false});
    installCp932Input(control(pane, IDC_PATTERN), {kPatternLimit, true});
    installCp932Input(control(pane, IDC_EXIT_PATTERN), {kExitPatternLimit, false});
    installCp932Input(control(pane, IDC_TITLE), {kTitleLimit, false});
    createPatternHelpMenus(app, pane);
    SendMessageW(control(pane, IDC_COLOUR_LINES_SPIN), UDM_SETRANGE32, kColourLinesLowest, kColourLinesHighest);
    state->initialWidth = state->lastWidth = clientWidth(pane);
    RECT client{};
    GetClientRect(pane, &client);
    state->initialHeight = client.bottom;
    state->minimumWidth = fixedControlsWidth(pane, state->initialWidth);
    state->dpi = dpiOf(pane);
}

// Moved to a monitor of another DPI: the system has scaled the controls,
// and the sizes they are measured against follow.
void onDpiChangedAfterParent(HWND pane) {
    PaneWindowState* state = paneState(pane);
    const int dpi = dpiOf(pane);
    if (!state || !state->dpi || dpi == state->dpi) return;
    const auto rescale = [&](int& pixels) { pixels = MulDiv(pixels, dpi, state->dpi); };
    rescale(state->initialWidth);
    rescale(state->initialHeight);
    rescale(state->lastWidth);
    state->minimumWidth = fixedControlsWidth(pane, state->lastWidth);
    state->dpi = dpi;
}

// The fields follow the pane's width and the ">>" buttons stay at their
// right ends, down to just over half the first width.
void followWidth(HWND pane, int width) {
    PaneWindowState* state = paneState(pane);
    if (!state) return;
    // Narrower than that, the controls stop at half the first width and the
    // pane scrolls, instead of staying as wide as they last were.
    width = std::max({width, state->initialWidth / 2 + 1, state->minimumWidth});
    const int d = width - state->lastWidth;
    state->lastWidth = width;
    if (d == 0) return;
    const auto placeOf = [pane](int id) {
        RECT r{};
        GetWindowRect(control(pane, id), &r);
        MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    constexpr UINT kKeep = SWP_NOZORDER | SWP_NOACTIVATE;
    for (int id : kMovedButtons) {
        const RECT r = placeOf(id);
        SetWindowPos(control(pane, id), nullptr, r.left + d, r.top, 0, 0, kKeep | SWP_NOSIZE);
    }
    for (int id : kWidenedEdits) {
        const RECT r = placeOf(id);
        SetWindowPos(control(pane, id), nullptr, 0, 0, r.right - r.left + d, r.bottom - r.top, kKeep | SWP_NOMOVE);
    }
    // Under Wine a maximised window left the moved buttons unpainted.
    RedrawWindow(pane, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Narrower than the controls were laid out for, or lower than they are
// tall: the pane scrolls.
void onSize(HWND pane) {
    PaneWindowState* state = paneState(pane);
    if (!state) return;
    // A scroll bar that comes or goes changes the width again; where the
    // system does not say so at once, the fields and ">>" buttons would end
    // up under the bar.
    for (int pass = 0; pass < 3; ++pass) {
        const int width = clientWidth(pane);
        followWidth(pane, width);
        updatePaneScroll(pane, state->lastWidth, state->initialHeight);
        if (clientWidth(pane) == width) break;
    }
}

void onPatternChanged(HWND pane) {
    PaneWindowState* state = paneState(pane);
    if (!state || state->filling) return;
    HWND edit = control(pane, IDC_PATTERN);
    DWORD start = 0;
    SendMessageW(edit, EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
    const ReflowResult reflowed = reflowPatternField(controlText(pane, IDC_PATTERN), start);
    if (!reflowed.changed) return;
    state->filling = true;
    SetWindowTextW(edit, reflowed.text.c_str());
    state->filling = false;
    SendMessageW(edit, EM_SETSEL, reflowed.caret, reflowed.caret);
    SendMessageW(edit, EM_SCROLLCARET, 0, 0);
}

// The line under the title says what Apply will make of it.
void showTitleCheck(HWND pane) {
    const std::string line = patternCheckLine(readField(pane, IDC_TITLE, kRenderAreaSize - 1), kTitleCodeLimit);
    setShownText(pane, IDC_TITLE_CHECK, wideFromUtf8(line));
}

// The pattern as Apply would store it, and the exit pattern.
std::string draftPatternText(HWND pane) {
    return readPatternField(cp932FromWide(controlText(pane, IDC_PATTERN)), kPatternSize);
}

// The lines under the two patterns say whether the editor can read them;
// the terminal is the judge, so they never stop Apply.
// An empty exit pattern is simply none; an empty pattern never matches.
void showPatternChecks(HWND pane, int id) {
    if (id == IDC_PATTERN || id == 0) {
        const std::string text = draftPatternText(pane);
        setShownText(pane, IDC_PATTERN_CHECK,
                     text.empty() ? std::wstring(L"空: 何にも一致しません") : wideFromUtf8(matchPatternCheckLine(text)));
    }
    if (id == IDC_EXIT_PATTERN || id == 0) {
        const std::string text = readField(pane, IDC_EXIT_PATTERN, kExitPatternLimit);
        setShownText(pane, IDC_EXIT_PATTERN_CHECK, text.empty() ? std::wstring() : wideFromUtf8(matchPatternCheckLine(text)));
    }
}

// Typed, pasted, a token, a capture, 透明にする or the up-down: every change
// of a field's text that is not the pane's own fill is the user's edit.
void noteFieldChanged(App& app, HWND pane, int id) {
    const PaneWindowState* state = paneState(pane);
    if (!state || state->filling) return;
    markDraftEdited(app, draftBitOf(id));
}

void onCommand(App& app, HWND pane, int id, int code) {
    switch (id) {
    case IDOK:
        if (applyProperties(app, false)) {
            fillProperties(app);
            SetFocus(app.windows.tree);
        }
        return;
    case IDCANCEL:
        fillProperties(app);
        SetFocus(app.windows.tree);
        return;
    case IDC_PROPERTIES_HELP:
        showHelp(app.windows.main, HELP_CONTEXT_PROPERTIES);
        return;
    case IDC_NAME:
    case IDC_COLOUR_LINES:
        if (code == EN_CHANGE) noteFieldChanged(app, pane, id);
        return;
    case IDC_EXIT_PATTERN:
    case IDC_PATTERN:
        if (code == EN_CHANGE) {
            noteFieldChanged(app, pane, id);
            if (id == IDC_PATTERN) onPatternChanged(pane);
            const PaneWindowState* state = paneState(pane);
            if (!state || !state->filling) showPatternChecks(pane, id);
        }
        return;
    case IDC_TITLE:
        if (code == EN_CHANGE) {
            noteFieldChanged(app, pane, id);
            // A fill shows the check once, when it is done.
            const PaneWindowState* state = paneState(pane);
            if (!state || !state->filling) showTitleCheck(pane);
        }
        return;
    case IDC_INTERRUPTING:
        if (checked(pane, IDC_INTERRUPTING)) check(pane, IDC_JUMP_TO_CHILD, false);
        enableFlagControls(app, pane);
        markDraftEdited(app, 0);
        return;
    case IDC_JUMP_TO_CHILD:
        if (checked(pane, IDC_JUMP_TO_CHILD)) check(pane, IDC_INTERRUPTING, false);
        enableFlagControls(app, pane);
        markDraftEdited(app, 0);
        return;
    case IDC_MESSAGE_SYNTAX:
        enable(pane, IDC_MESSAGE_FORMAT, checked(pane, IDC_MESSAGE_SYNTAX));
        markDraftEdited(app, 0);
        return;
    case IDC_MESSAGE_FORMAT:
        if (editMessageFormat(pane, app.selection.draftMessageFormat) == IDOK) markDraftEdited(app, 0);
        return;
    case IDC_PATTERN_HELP:
    case IDC_EXIT_PATTERN_HELP:
    case IDC_TITLE_HELP:
        PostMessageW(control(pane, id), WMU_OPEN_HELP_MENU, 0, 0);
        return;
    }
}

void onDestroy(App& app, HWND pane) {
    destroyPatternHelpMenus(app);
    delete paneState(pane);
    SetWindowLongPtrW(pane, DWLP_USER, 0);
}

}  // namespace

INT_PTR CALLBACK propertyPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM lParam) {
    App& a = app();
    switch (message) {
    case WM_INITDIALOG:
        onInitDialog(a, pane);
        return TRUE;
    case WM_SIZE:
        onSize(pane);
        return FALSE;
    case WM_DPICHANGED_AFTERPARENT:
        onDpiChangedAfterParent(pane);
        onSize(pane);
        return FALSE;
    case WM_SHOWWINDOW:
        // Hidden for the memo: the next selection is a new one.
        if (!wParam && paneState(pane)) paneState(pane)->titleDamageTold = -1;
        return FALSE;
    case WM_HSCROLL:
    case WM_VSCROLL:
        // The spin control's own notifications carry its handle.
        if (lParam) return FALSE;
        onPaneScroll(pane, message == WM_HSCROLL ? SB_HORZ : SB_VERT, wParam);
        return TRUE;
    case WM_MOUSEWHEEL:
        onPaneWheel(pane, wParam);
        return TRUE;
    case WM_COMMAND:
        onCommand(a, pane, LOWORD(wParam), HIWORD(wParam));
        return TRUE;
    case WM_DESTROY:
        onDestroy(a, pane);
        return FALSE;
    }
    return FALSE;
}

void fillProperties(App& app) {
    const int s = app.selection.selectionIndex;
    Document& doc = app.document;
    HWND pane = app.windows.propertyPane;
    if (s < kRootRecord || s >= doc.syntaxCount() || !pane) return;
    const bool editable = s >= kFirstUserRecord;
    EnableMenuItem(app.windows.mainMenu, IDM_EDIT_DELETE, MF_BYCOMMAND | (editable ? MF_ENABLED : MF_GRAYED));
    for (int id : kEditableOnly) enable(pane, id, editable);

    SyntaxRecord& record = *doc.syntaxAt(s);
    app.selection.draftMessageFormat = record.messageFormat;
    PaneWindowState* state = paneState(pane);
    if (state) state->filling = true;
    setControlText(pane, IDC_NAME, fieldText(record.name, kNameSize));
    setControlText(pane, IDC_PATTERN, showPatternField(fieldText(record.pattern, kPatternSize)));
    setControlText(pane, IDC_EXIT_PATTERN, fieldText(record.exitPattern, kExitPatternSize));
    char title[kRenderAreaSize];
    if (renderPattern(record.titleCode, kTitleCodeSize, title) == kPatternFailed) {
        // Once while the syntax stays selected, naming it: a refill (after
        // an apply, an undo) is no new news.
        if (!state || state->titleDamageTold != s)
            showErrorMessage("「" + utf8FromWide(wideFromCp932(fieldText(record.name, kNameSize))) + "」\n" +
                             kTitleFailedText);
        if (state) state->titleDamageTold = s;
        setShownText(pane, IDC_TITLE, kTitleErrorShown);
    } else {
        setControlText(pane, IDC_TITLE, title);
        if (state) state->titleDamageTold = -1;
    }
    setShownText(pane, IDC_COLOUR_LINES, std::to_wstring(record.colourLines));
    if (state) state->filling = false;
    // The title's text may not have changed, and with it no notice came.
    showTitleCheck(pane);
    showPatternChecks(pane, 0);

    check(pane, IDC_INTERRUPTING, record.interrupting);
    // Both flags cannot hold; the table keeps the one the terminal obeys,
    // without a modified mark, and the apply step's backup sees that.
    if (record.interrupting) record.jumpToChild = 0;
    check(pane, IDC_JUMP_TO_CHILD, record.jumpToChild);
    enableFlagControls(app, pane);
    const bool message = record.messageFormat.kind != kNotMessage;
    check(pane, IDC_MESSAGE_SYNTAX, message);
    enable(pane, IDC_MESSAGE_FORMAT, editable && message);
    clearDraft(app);
}

bool applyProperties(App& app, bool confirm) {
    return applyWithQuestion(app, confirm ? kApplyQuestionTail : nullptr);
}

bool applyPropertiesAsking(App& app, const wchar_t* questionTail) {
    return applyWithQuestion(app, questionTail ? questionTail : kApplyQuestionTail);
}

namespace {

// questionTail null: applies without asking.
bool applyWithQuestion(App& app, const wchar_t* questionTail) {
    const bool confirm = questionTail != nullptr;
    const int s = app.selection.selectionIndex;
    Document& doc = app.document;
    HWND pane = app.windows.propertyPane;
    if (s < kRootRecord || s >= doc.syntaxCount() || !pane) return true;
    // Mid-paste the pane still shows an earlier record: nothing of the
    // user's is pending for this one.
    if (app.selection.paneStale) return true;
    SyntaxRecord& record = *doc.syntaxAt(s);
    const SyntaxRecord backup = record;

    if (s >= kFirstUserRecord) {
        // An untouched title keeps its code, even one that cannot be shown.
        if (edited(app, IDC_TITLE) && !compileTitle(pane, record)) {
            record = backup;
            putSelectionBack(app);
            focusRefusedTitle(app);
            return false;
        }
        readEditableFields(app, record, doc.hasChildren(s));
    }
    // A damaged title code was reported, with the name, when it was shown.
    deriveRecordFields(doc, s, DamageReport::Quiet);
    record.colourLines = colourLinesFromField(pane, record);
    if (std::memcmp(&record, &backup, sizeof record) == 0) {
        clearDraft(app);
        return true;
    }
    // Only the apply step's own bookkeeping changed: keep it, quietly.
    if (!app.selection.draftEdited) return true;

    if (confirm) {
        const std::wstring question = wideFromCp932(fieldText(record.name, kNameSize)) + questionTail;
        const int answer = showMessageBox(pane, question, kEditorCaption, MB_YESNOCANCEL | MB_ICONQUESTION);
        if (answer == IDNO) {
            // Dropped for good: the pane shows the record again, so nothing
            // later in the same command asks again or applies what was declined.
            record = backup;
            fillProperties(app);
            return true;
        }
        if (answer != IDYES) {
            record = backup;
            putSelectionBack(app);
            return false;
        }
    }
    // One undo step, taken from the record as it was before the pane wrote.
    const SyntaxRecord applied = record;
    record = backup;
    beginStep(app);
    record = applied;
    markModified();
    if (fieldText(record.name, kNameSize) != fieldText(backup.name, kNameSize)) updateTreeLabel(app, s);
    clearDraft(app);
    endStep(app);
    return true;
}

}  // namespace

void selectSyntax(App& app, HTREEITEM item) {
    SelectionState& selection = app.selection;
    if (selection.reselectGuard) return;
    // Refused: the syntax being edited stays selected, and so do its
    // commands.
    const std::uint16_t previousFlags = selection.commandFlags;
    selection.commandFlags = 0;
    if (!applyProperties(app, true)) {
        selection.commandFlags = previousFlags;
        return;
    }
    if (!item) {
        selection.selectionIndex = -1;
        return;
    }
    if (item == app.tree.rootItem) {
        if (selection.selectionIndex != 0) {
            ShowWindow(app.windows.memo, SW_SHOW);
            ShowWindow(app.windows.propertyPane, SW_HIDE);
            selection.selectionIndex = 0;
        }
        return;
    }
    if (selection.selectionIndex <= 0) {
        ShowWindow(app.windows.propertyPane, SW_SHOWNOACTIVATE);
        ShowWindow(app.windows.memo, SW_HIDE);
    }
    selection.selectionIndex = recordForItem(app, item);
    if (selection.selectionIndex < kRootRecord) {
        selection.selectionIndex = -1;
        return;
    }
    // A paste selects each record it makes; the pane and the commands
    // follow once, at its end.
    if (selection.pasting) {
        selection.paneStale = true;
        return;
    }
    showSelectedRecord(app);
}

void showSelectedRecord(App& app) {
    app.selection.paneStale = false;
    if (app.selection.selectionIndex < kRootRecord) return;
    fillProperties(app);
    computeCommandFlags(app);
}

bool readPaneDraft(const App& app, PaneDraft& draft) {
    const int s = app.selection.selectionIndex;
    const Document& doc = app.document;
    HWND pane = app.windows.propertyPane;
    if (s < kRootRecord || s >= doc.syntaxCount() || !pane || app.selection.paneStale) return false;
    const SyntaxRecord& record = *doc.syntaxAt(s);
    draft.position = s;
    draft.name = edited(app, IDC_NAME) ? readField(pane, IDC_NAME, kNameLimit) : std::string(fieldText(record.name, kNameSize));
    draft.pattern = edited(app, IDC_PATTERN) ? draftPatternText(pane) : std::string(fieldText(record.pattern, kPatternSize));
    draft.exitPattern = edited(app, IDC_EXIT_PATTERN) ? readField(pane, IDC_EXIT_PATTERN, kExitPatternLimit)
                                                      : std::string(fieldText(record.exitPattern, kExitPatternSize));
    draft.titleCode.assign(record.titleCode, record.titleCode + kTitleCodeSize);
    draft.titleReadable = true;
    if (edited(app, IDC_TITLE)) {
        std::uint8_t code[kCompileAreaSize];
        const int length = compilePattern(readField(pane, IDC_TITLE, kRenderAreaSize - 1).c_str(), code);
        draft.titleReadable = length != kPatternFailed && length < kTitleCodeSize;
        if (draft.titleReadable) {
            std::fill(draft.titleCode.begin(), draft.titleCode.end(), std::uint8_t(0));
            std::copy(code, code + length, draft.titleCode.begin());
        }
    }
    return true;
}

void focusPaneField(App& app, int controlId) {
    HWND pane = app.windows.propertyPane;
    HWND target = control(pane, controlId);
    if (!target || !IsWindowVisible(pane)) return;
    if (!IsWindowEnabled(target)) target = control(pane, IDC_NAME);
    app.windows.paneLastFocus = target;
    if (GetForegroundWindow() != app.windows.main) SetForegroundWindow(app.windows.main);
    SetFocus(target);
    if (SendMessageW(target, WM_GETDLGCODE, 0, 0) & DLGC_HASSETSEL) SendMessageW(target, EM_SETSEL, 0, -1);
}

}  // namespace lumaset
