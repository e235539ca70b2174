// 問題の一覧: what is probably wrong in the document, one row a finding;
// choosing one selects its syntax and puts the focus in the field concerned.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/records.h"
#include "pattern/document_checks.h"
#include "properties/property_pane.h"
#include "properties/tool_windows.h"
#include "resources/resource_ids.h"
#include "ui/dpi.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"
#include "views/document_state.h"

namespace lumaset {

namespace {

constexpr int kExplanationWidth = 260;  // at 96 DPI

struct ProblemsState {
    std::vector<Finding> findings;
    bool filled = false;
    int dpi = kBaseDpi;  // the list's columns are sized for it
};

ProblemsState* stateOf(HWND dialog) { return reinterpret_cast<ProblemsState*>(GetWindowLongPtrW(dialog, DWLP_USER)); }

bool sameFindings(const std::vector<Finding>& a, const std::vector<Finding>& b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i)
        if (a[i].code != b[i].code || a[i].position != b[i].position || a[i].indexPosition != b[i].indexPosition ||
            a[i].path != b[i].path || a[i].text != b[i].text)
            return false;
    return true;
}

int controlOf(CheckField field) {
    switch (field) {
    case CheckField::Name: return IDC_NAME;
    case CheckField::Pattern: return IDC_PATTERN;
    case CheckField::ExitPattern: return IDC_EXIT_PATTERN;
    case CheckField::ColourLines: return IDC_COLOUR_LINES;
    case CheckField::Title: return IDC_TITLE;
    case CheckField::MessageFormat: return IDC_MESSAGE_FORMAT;
    case CheckField::Index: return 0;
    }
    return IDC_NAME;
}

std::wstring positionText(const Finding& finding) {
    if (finding.position >= 0) return std::to_wstring(finding.position);
    return L"索引 " + std::to_wstring(finding.indexPosition + 1);
}

void setItemText(HWND list, int item, int column, const std::wstring& text) {
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(item), reinterpret_cast<LPARAM>(&cell));
}

void selectRow(HWND list, int row) {
    LVITEMW off{};
    off.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(-1), reinterpret_cast<LPARAM>(&off));
    if (row < 0) return;
    LVITEMW on{};
    on.stateMask = on.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&on));
    SendMessageW(list, LVM_ENSUREVISIBLE, WPARAM(row), FALSE);
}

int selectedRow(HWND list) { return int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }

void refresh(App& app, HWND dialog) {
    ProblemsState* state = stateOf(dialog);
    if (!state) return;
    std::vector<Finding> findings = checkDocument(app.document);
    if (state->filled && sameFindings(findings, state->findings)) return;
    state->filled = true;
    HWND list = GetDlgItem(dialog, IDC_PR_LIST);
    const int was = selectedRow(list);
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < findings.size(); ++i) {
        const Finding& f = findings[i];
        const std::wstring path = wideFromCp932(f.path);
        LVITEMW item{};
        item.mask = LVIF_TEXT;
        item.iItem = int(i);
        item.pszText = const_cast<wchar_t*>(path.c_str());
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        setItemText(list, int(i), 1, positionText(f));
        setItemText(list, int(i), 2, wideFromUtf8(f.text) + L" (" + wideFromUtf8(f.code) + L")");
    }
    if (was >= 0 && !findings.empty()) selectRow(list, std::min(was, int(findings.size()) - 1));
    // The explanation in full: the list scrolls sideways rather than cut it.
    SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, LVSCW_AUTOSIZE);
    const int least = scaled(kExplanationWidth, dpiOf(dialog));
    if (SendMessageW(list, LVM_GETCOLUMNWIDTH, 2, 0) < least) SendMessageW(list, LVM_SETCOLUMNWIDTH, 2, least);
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    const std::wstring count = findings.empty() ? std::wstring(L"問題は見つかりません。")
                                                : std::to_wstring(findings.size()) + L" 件";
    SetDlgItemTextW(dialog, IDC_PR_COUNT, count.c_str());
    state->findings = std::move(findings);
}

// The finding's syntax, through the tree's selection step, then its field;
// an index's finding opens the index editor.
void goToFinding(App& app, const Finding& finding) {
    if (finding.position < 0 || finding.field == CheckField::Index) {
        if (finding.position >= 0) selectRecordThroughTree(app, finding.position);
        SetForegroundWindow(app.windows.main);
        PostMessageW(app.windows.main, WM_COMMAND, IDM_INDEX_EDIT, 0);
        return;
    }
    if (!selectRecordThroughTree(app, finding.position)) return;
    focusPaneField(app, controlOf(finding.field));
}

void chooseRow(App& app, HWND dialog) {
    const ProblemsState* state = stateOf(dialog);
    const int row = selectedRow(GetDlgItem(dialog, IDC_PR_LIST));
    if (!state || row < 0 || row >= int(state->findings.size())) return;
    goToFinding(app, state->findings[std::size_t(row)]);
}

void onInitDialog(App& app, HWND dialog) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(new ProblemsState));
    HWND list = GetDlgItem(dialog, IDC_PR_LIST);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT | LVS_EX_LABELTIP);
    const int dpi = dpiOf(dialog);
    stateOf(dialog)->dpi = dpi;
    addListColumn(list, 0, L"ツリーのパス", 130, dpi);
    addListColumn(list, 1, L"位置", 45, dpi);
    addListColumn(list, 2, L"内容", kExplanationWidth, dpi);
    refresh(app, dialog);
}

void onCommand(App& app, HWND dialog, int id) {
    switch (id) {
    case IDOK:
        // Enter on the list chooses the row.
        if (GetFocus() == GetDlgItem(dialog, IDC_PR_LIST)) chooseRow(app, dialog);
        return;
    case IDCANCEL: DestroyWindow(dialog); return;
    }
}

}  // namespace

INT_PTR CALLBACK problemsProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    App& a = app();
    switch (message) {
    case WM_INITDIALOG: onInitDialog(a, dialog); return TRUE;
    case WM_TIMER:
        if (wParam != kToolRefreshTimerId) return FALSE;
        KillTimer(dialog, kToolRefreshTimerId);
        refresh(a, dialog);
        return TRUE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header->idFrom == IDC_PR_LIST && header->code == NM_DBLCLK) chooseRow(a, dialog);
        return FALSE;
    }
    case WM_COMMAND: onCommand(a, dialog, LOWORD(wParam)); return TRUE;
    case WM_DPICHANGED:
        if (ProblemsState* state = stateOf(dialog)) {
            rescaleListColumns(GetDlgItem(dialog, IDC_PR_LIST), state->dpi, HIWORD(wParam));
            state->dpi = HIWORD(wParam);
        }
        return FALSE;  // the dialog manager places and scales the rest
    case WM_CLOSE: DestroyWindow(dialog); return TRUE;
    case WM_DESTROY:
        delete stateOf(dialog);
        SetWindowLongPtrW(dialog, DWLP_USER, 0);
        if (a.tools.problems == dialog) a.tools.problems = nullptr;
        return FALSE;
    }
    return FALSE;
}

int goToNextProblem(App& app) {
    ProblemsState* shown = app.tools.problems ? stateOf(app.tools.problems) : nullptr;
    if (shown) refresh(app, app.tools.problems);
    const std::vector<Finding> findings = shown ? shown->findings : checkDocument(app.document);
    HWND list = shown ? GetDlgItem(app.tools.problems, IDC_PR_LIST) : nullptr;
    // Only findings that name a syntax: an index's would open a dialog.
    const int from = app.selection.selectionIndex;
    const int row = list ? selectedRow(list) : -1;
    const bool rowIsHere = row >= 0 && row < int(findings.size()) && findings[std::size_t(row)].position == from;
    int next = -1;
    // After the list's row when it stands on the selected syntax (several
    // findings of one syntax in turn), else after the selected syntax.
    for (std::size_t i = 0; i < findings.size() && next < 0; ++i) {
        const Finding& f = findings[i];
        if (f.position < kRootRecord) continue;
        if (rowIsHere ? int(i) > row : f.position > from) next = int(i);
    }
    for (std::size_t i = 0; i < findings.size() && next < 0; ++i)
        if (findings[i].position >= kRootRecord) next = int(i);
    if (next < 0) {
        beep();
        return 1;
    }
    if (list) selectRow(list, next);
    goToFinding(app, findings[std::size_t(next)]);
    return 1;
}

}  // namespace lumaset
