// 構文のテスト: the selected syntax (as the pane holds it now) against a
// sample of screen text, and every syntax of the document that matches it.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "document/records.h"
#include "pattern/document_checks.h"
#include "pattern/match_pattern.h"
#include "properties/property_pane.h"
#include "properties/screen_capture.h"
#include "properties/tool_windows.h"
#include "resources/resource_ids.h"
#include "ui/cp932_input.h"
#include "ui/dpi.h"
#include "ui/text_convert.h"
#include "views/document_state.h"
#include "views/logic/recent_file_list.h"

namespace lumaset {

namespace {

// A whole screen is about 2,000 bytes; room for a few.
constexpr std::size_t kSampleLimitBytes = 8192;
constexpr DWORD kSampleValueMaxBytes = (kSampleLimitBytes + 1) * 2 * sizeof(wchar_t);
constexpr int kShownParts = 10;  // \0 ... \9

// The sample as the matcher reads it, and where each byte is in the box's
// own text (which holds CR LF), for selecting a stretch.
struct SampleText {
    std::string bytes;
    std::vector<int> boxIndex;  // per byte, and one past the end
};

SampleText readSample(const std::wstring& box) {
    SampleText sample;
    for (std::size_t i = 0; i < box.size();) {
        const int at = int(i);
        if (box[i] == L'\r' || box[i] == L'\n') {
            i += (box[i] == L'\r' && i + 1 < box.size() && box[i + 1] == L'\n') ? 2 : 1;
            sample.bytes += '\n';
            sample.boxIndex.push_back(at);
            continue;
        }
        const std::size_t n = IS_HIGH_SURROGATE(box[i]) && i + 1 < box.size() ? 2 : 1;
        const std::string one = cp932FromWide(std::wstring_view(box).substr(i, n));
        sample.bytes += one;
        sample.boxIndex.insert(sample.boxIndex.end(), one.size(), at);
        i += n;
    }
    sample.boxIndex.push_back(int(box.size()));
    return sample;
}

// What the window last showed, so that a refresh changes only what differs.
struct MatchRow {
    int position = -1;
    std::wstring path, line, title;
    bool operator==(const MatchRow&) const = default;
};

struct TestWindowState {
    std::vector<MatchRow> rows;
    SampleSpan selected{-1, -1};  // the stretch to select in the sample (bytes)
    std::wstring sampleShown;      // the box text the results were made from
    int dpi = kBaseDpi;            // the list's columns are sized for it
};

TestWindowState* stateOf(HWND dialog) {
    return reinterpret_cast<TestWindowState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

std::wstring w(const std::string& utf8) { return wideFromUtf8(utf8); }

// A part as one line: its line breaks shown as the pattern writes them.
std::wstring shownPart(std::string_view cp932) {
    std::wstring text = wideFromCp932(cp932);
    std::wstring out;
    for (wchar_t ch : text) out += ch == L'\n' ? std::wstring(L"\\n") : std::wstring(1, ch);
    return out;
}

std::wstring linesText(std::string_view sample, SampleSpan span) {
    const LineRange lines = linesOfSpan(sample, span);
    if (lines.first == lines.last) return std::to_wstring(lines.first) + L" 行目";
    return std::to_wstring(lines.first) + L"～" + std::to_wstring(lines.last) + L" 行目";
}

// --- the selected syntax ------------------------------------------------------

struct SelectedReport {
    std::wstring text;
    SampleSpan select{-1, -1};
};

void reportPattern(const PaneDraft& draft, const std::string& sample, SelectedReport& out) {
    std::wstring& t = out.text;
    const ParsedPattern parsed = parseMatchPattern(draft.pattern);
    if (parsed.empty) {
        t += L"構文が空です。空の構文は何にも一致しません。\r\n";
        return;
    }
    const MatchResult result = matchPattern(parsed, sample);
    switch (result.outcome) {
    case MatchOutcome::Fault:
        t += L"構文を読めません: " + w(matchPatternCheckLine(draft.pattern)) + L"\r\n";
        return;
    case MatchOutcome::TooComplex:
        t += L"構文が複雑すぎてテストできません。\r\n";
        return;
    case MatchOutcome::NoMatch:
        t += L"一致しません。\r\n";
        if (result.neededTypedPosition)
            t += L"\\v（入力の始まり）はサンプルにない位置なので、テストでは一致しません。\r\n";
        t += w(describeNoMatch(draft.pattern, sample, result)) + L"\r\n";
        out.select = result.bestAttempt;
        return;
    case MatchOutcome::Matched: break;
    }
    out.select = result.match;
    t += L"一致しました: " + linesText(sample, result.match) + L"\r\n";
    const std::vector<std::string> parts = partTexts(sample, result);
    const int shown = std::min({kShownParts, int(result.parts.size()), int(parts.size())});
    for (int i = 0; i < shown; ++i)
        t += L"  \\" + std::to_wstring(i) + L": 「" + shownPart(parts[std::size_t(i)]) + L"」\r\n";
    if (!draft.titleReadable)
        t += L"タイトル: 変換できません\r\n";
    else
        t += L"タイトル: " + w(titlePreview(draft.titleCode.data(), kTitleCodeSize, parts)) + L"\r\n";
}

void reportExitPattern(const PaneDraft& draft, const std::string& sample, std::wstring& t) {
    if (draft.exitPattern.empty()) {
        t += L"出口の構文: なし\r\n";
        return;
    }
    const MatchResult exit = matchPattern(draft.exitPattern, sample);
    switch (exit.outcome) {
    case MatchOutcome::Matched: t += L"出口の構文: 一致 (" + linesText(sample, exit.match) + L")\r\n"; break;
    case MatchOutcome::NoMatch: t += L"出口の構文: 一致しません\r\n"; break;
    case MatchOutcome::Fault: t += L"出口の構文: 読めません (" + w(matchPatternCheckLine(draft.exitPattern)) + L")\r\n"; break;
    case MatchOutcome::TooComplex: t += L"出口の構文: 複雑すぎてテストできません\r\n"; break;
    }
}

// --- the document's matching syntaxes -----------------------------------------

std::vector<MatchRow> matchingRows(const App& app, const PaneDraft* draft, const std::string& sample) {
    std::vector<MatchRow> rows;
    const Document& doc = app.document;
    for (int p = kFirstUserRecord; p < doc.syntaxCount(); ++p) {
        const SyntaxRecord& record = *doc.syntaxAt(p);
        const bool drafted = draft && draft->position == p;
        const std::string pattern = drafted ? draft->pattern : std::string(fieldText(record.pattern, kPatternSize));
        const MatchResult result = matchPattern(pattern, sample);
        if (result.outcome != MatchOutcome::Matched) continue;
        MatchRow row;
        row.position = p;
        row.path = wideFromCp932(syntaxTreePath(doc, p));
        row.line = std::to_wstring(linesOfSpan(sample, result.match).first);
        const std::uint8_t* title = drafted && draft->titleReadable ? draft->titleCode.data() : record.titleCode;
        row.title = w(titlePreview(title, kTitleCodeSize, partTexts(sample, result)));
        rows.push_back(std::move(row));
    }
    return rows;
}

void setItemText(HWND list, int item, int column, const std::wstring& text) {
    LVITEMW cell{};
    cell.iSubItem = column;
    cell.pszText = const_cast<wchar_t*>(text.c_str());
    SendMessageW(list, LVM_SETITEMTEXTW, WPARAM(item), reinterpret_cast<LPARAM>(&cell));
}

int selectedRow(HWND list) { return int(SendMessageW(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED)); }

void showRows(HWND dialog, TestWindowState& state, std::vector<MatchRow> rows) {
    if (rows == state.rows) return;
    HWND list = GetDlgItem(dialog, IDC_ST_MATCHES);
    const int was = selectedRow(list);
    const int keptPosition = was >= 0 && was < int(state.rows.size()) ? state.rows[std::size_t(was)].position : -1;
    SendMessageW(list, WM_SETREDRAW, FALSE, 0);
    SendMessageW(list, LVM_DELETEALLITEMS, 0, 0);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        LVITEMW item{};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = int(i);
        item.pszText = const_cast<wchar_t*>(rows[i].path.c_str());
        item.lParam = rows[i].position;
        SendMessageW(list, LVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item));
        setItemText(list, int(i), 1, rows[i].line);
        setItemText(list, int(i), 2, rows[i].title);
        if (rows[i].position == keptPosition) {
            LVITEMW on{};
            on.stateMask = on.state = LVIS_SELECTED | LVIS_FOCUSED;
            SendMessageW(list, LVM_SETITEMSTATE, i, reinterpret_cast<LPARAM>(&on));
        }
    }
    SendMessageW(list, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(list, nullptr, TRUE);
    state.rows = std::move(rows);
}

void setShown(HWND dialog, int id, const std::wstring& text) {
    if (windowText(GetDlgItem(dialog, id)) != text) SetDlgItemTextW(dialog, id, text.c_str());
}

// The matched (or best) stretch is selected in the sample while the user
// is not typing there; moving the caret under their hands would be worse.
void selectStretch(HWND dialog, const TestWindowState& state, bool evenWhileTyping = false) {
    HWND box = GetDlgItem(dialog, IDC_ST_SAMPLE);
    if ((GetFocus() == box && !evenWhileTyping) || state.selected.start < 0) return;
    const SampleText sample = readSample(windowText(box));
    const int last = int(sample.boxIndex.size()) - 1;
    const int start = sample.boxIndex[std::size_t(std::clamp(state.selected.start, 0, last))];
    const int end = sample.boxIndex[std::size_t(std::clamp(state.selected.end, 0, last))];
    SendMessageW(box, EM_SETSEL, WPARAM(start), LPARAM(end));
    SendMessageW(box, EM_SCROLLCARET, 0, 0);
}

// A lone CR or LF (pasted from elsewhere) shows as no break in an edit:
// the box gets CR LF for both, as the test reads them.
void normaliseBox(HWND box) {
    const std::wstring text = windowText(box);
    std::wstring fixed;
    bool changed = false;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const wchar_t ch = text[i];
        if (ch == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') {
            fixed += L"\r\n";
            ++i;
        } else if (ch == L'\r' || ch == L'\n') {
            fixed += L"\r\n";
            changed = true;
        } else {
            fixed += ch;
        }
    }
    if (!changed) return;
    DWORD caret = 0;
    SendMessageW(box, EM_GETSEL, reinterpret_cast<WPARAM>(&caret), 0);
    SetWindowTextW(box, fixed.c_str());
    SendMessageW(box, EM_SETSEL, fixed.size(), fixed.size());
}

void refresh(App& app, HWND dialog) {
    TestWindowState* state = stateOf(dialog);
    if (!state) return;
    HWND box = GetDlgItem(dialog, IDC_ST_SAMPLE);
    normaliseBox(box);
    state->sampleShown = windowText(box);
    const std::string sample = readSample(state->sampleShown).bytes;
    PaneDraft draft;
    const bool shown = readPaneDraft(app, draft);
    SelectedReport report;
    if (!shown || draft.position < kRootRecord) {
        setShown(dialog, IDC_ST_SYNTAX, L"構文を選ぶと、その構文で試します。");
    } else {
        std::wstring head = L"選択中: 「" + wideFromCp932(draft.name) + L"」";
        if (app.selection.draftEdited) head += L" (未適用の変更を含む)";
        setShown(dialog, IDC_ST_SYNTAX, head);
        reportPattern(draft, sample, report);
        reportExitPattern(draft, sample, report.text);
    }
    setShown(dialog, IDC_ST_RESULT, report.text);
    state->selected = report.select;
    selectStretch(dialog, *state);
    showRows(dialog, *state, matchingRows(app, shown ? &draft : nullptr, sample));
}

// --- the remembered sample ------------------------------------------------------

// A value that is not a string, too long or of an odd size is someone
// else's or damaged: the box starts empty.
std::wstring loadSample() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return {};
    std::vector<wchar_t> buffer(kSampleValueMaxBytes / sizeof(wchar_t) + 1, L'\0');
    DWORD type = 0, bytes = kSampleValueMaxBytes;
    const LONG got = RegQueryValueExW(key, kSampleValueName, nullptr, &type, reinterpret_cast<BYTE*>(buffer.data()), &bytes);
    RegCloseKey(key);
    if (got != ERROR_SUCCESS || type != REG_SZ || bytes % sizeof(wchar_t) != 0) return {};
    const std::size_t chars = bytes / sizeof(wchar_t);
    std::size_t length = 0;
    while (length < chars && buffer[length] != L'\0') ++length;
    std::wstring text(buffer.data(), length);
    if (cp932Length(text) > kSampleLimitBytes) return {};
    return keepCp932Characters(text);
}

void saveSample(const std::wstring& text) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr) !=
        ERROR_SUCCESS)
        return;
    RegSetValueExW(key, kSampleValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   DWORD((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
}

// --- messages -------------------------------------------------------------------

void onInitDialog(App& app, HWND dialog) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(new TestWindowState));
    HWND box = GetDlgItem(dialog, IDC_ST_SAMPLE);
    // Terminal text lines up in columns: the pattern fields' fixed font.
    if (app.windows.patternFont)
        for (int id : {IDC_ST_SAMPLE, IDC_ST_RESULT})
            SendDlgItemMessageW(dialog, id, WM_SETFONT, reinterpret_cast<WPARAM>(app.windows.patternFont), FALSE);
    installCp932Input(box, {kSampleLimitBytes, false});
    SetWindowTextW(box, loadSample().c_str());
    HWND list = GetDlgItem(dialog, IDC_ST_MATCHES);
    SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, LVS_EX_FULLROWSELECT);
    const int dpi = dpiOf(dialog);
    stateOf(dialog)->dpi = dpi;
    addListColumn(list, 0, L"ツリーのパス", 200, dpi);
    addListColumn(list, 1, L"行", 40, dpi);
    addListColumn(list, 2, L"タイトル", 170, dpi);
    refresh(app, dialog);
    // The box takes the keys at once, showing the stretch the results speak of.
    SetFocus(box);
    if (const TestWindowState* state = stateOf(dialog)) selectStretch(dialog, *state, true);
}

void chooseRow(App& app, HWND dialog) {
    const TestWindowState* state = stateOf(dialog);
    const int row = selectedRow(GetDlgItem(dialog, IDC_ST_MATCHES));
    if (!state || row < 0 || row >= int(state->rows.size())) return;
    selectRecordThroughTree(app, state->rows[std::size_t(row)].position);
}

void captureSample(App& app, HWND dialog) {
    std::string text;
    if (!captureTerminalText(app, dialog, text)) return;
    std::wstring box;
    for (wchar_t ch : wideFromCp932(normaliseLineBreaks(text))) box += ch == L'\n' ? std::wstring(L"\r\n") : std::wstring(1, ch);
    HWND edit = GetDlgItem(dialog, IDC_ST_SAMPLE);
    // Replaces the sample, as one step the box can undo.
    SendMessageW(edit, EM_SETSEL, 0, -1);
    SendMessageW(edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(keepCp932Characters(box).c_str()));
    SetFocus(edit);
}

void onDestroy(App& app, HWND dialog) {
    saveSample(windowText(GetDlgItem(dialog, IDC_ST_SAMPLE)));
    delete stateOf(dialog);
    SetWindowLongPtrW(dialog, DWLP_USER, 0);
    if (app.tools.syntaxTest == dialog) app.tools.syntaxTest = nullptr;
}

INT_PTR onNotify(App& app, HWND dialog, const NMHDR* header) {
    if (header->idFrom != IDC_ST_MATCHES) return FALSE;
    if (header->code == NM_DBLCLK) chooseRow(app, dialog);
    return FALSE;
}

void onCommand(App& app, HWND dialog, int id, int code) {
    switch (id) {
    case IDOK:
        // Enter on the list chooses the row.
        if (GetFocus() == GetDlgItem(dialog, IDC_ST_MATCHES)) chooseRow(app, dialog);
        return;
    case IDCANCEL: DestroyWindow(dialog); return;
    case IDC_ST_CAPTURE: captureSample(app, dialog); return;
    case IDC_ST_SAMPLE:
        if (code == EN_CHANGE) SetTimer(dialog, kToolRefreshTimerId, kToolRefreshDelayMs, nullptr);
        // Leaving the box shows the stretch the results speak of.
        if (code == EN_KILLFOCUS) {
            if (const TestWindowState* state = stateOf(dialog)) selectStretch(dialog, *state);
        }
        return;
    }
}

}  // namespace

INT_PTR CALLBACK syntaxTestProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    App& a = app();
    switch (message) {
    case WM_INITDIALOG: onInitDialog(a, dialog); return FALSE;  // the focus is set
    case WM_TIMER:
        if (wParam != kToolRefreshTimerId) return FALSE;
        KillTimer(dialog, kToolRefreshTimerId);
        refresh(a, dialog);
        return TRUE;
    case WM_NOTIFY: return onNotify(a, dialog, reinterpret_cast<const NMHDR*>(lParam));
    case WM_COMMAND: onCommand(a, dialog, LOWORD(wParam), HIWORD(wParam)); return TRUE;
    case WM_DPICHANGED:
        if (TestWindowState* state = stateOf(dialog)) {
            rescaleListColumns(GetDlgItem(dialog, IDC_ST_MATCHES), state->dpi, HIWORD(wParam));
            state->dpi = HIWORD(wParam);
        }
        return FALSE;  // the dialog manager places and scales the rest
    case WM_CLOSE: DestroyWindow(dialog); return TRUE;
    case WM_DESTROY: onDestroy(a, dialog); return FALSE;
    }
    return FALSE;
}

void setSyntaxTestSample(App& app, const std::wstring& text) {
    if (!app.tools.syntaxTest) return;
    SetDlgItemTextW(app.tools.syntaxTest, IDC_ST_SAMPLE, text.c_str());
    KillTimer(app.tools.syntaxTest, kToolRefreshTimerId);
    refresh(app, app.tools.syntaxTest);
}

}  // namespace lumaset
