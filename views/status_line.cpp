#include "views/status_line.h"

#include <commctrl.h>

#include "document/records.h"
#include "resources/resource_ids.h"
#include "ui/text_convert.h"
#include "views/command_states.h"
#include "views/document_state.h"
#include "views/logic/recent_file_list.h"

namespace lumaset {

namespace {

constexpr wchar_t kPathSeparator[] = L" > ";
constexpr std::size_t kDeepestShown = 8;

bool onRecord(const App& app) {
    const int s = app.selection.selectionIndex;
    return s >= kRootRecord && s < app.document.syntaxCount();
}

bool clipboardHoldsSyntaxes(const App& app) {
    if (!OpenClipboard(app.windows.main)) return false;
    const bool present = GetClipboardData(syntaxClipboardFormat()) != nullptr;
    CloseClipboard();
    return present;
}

std::wstring childRefusal(const SyntaxRecord& record, const wchar_t* what) {
    if (record.interrupting) return std::wstring(L"割り込み的構文には") + what;
    if (!fieldText(record.exitPattern, kExitPatternSize).empty()) return std::wstring(L"出口の構文がある構文には") + what;
    return {};
}

bool hasSibling(const Document& doc, int s, int step) {
    const int depth = doc.syntaxAt(s)->depth;
    for (int j = s + step; j >= kRootRecord && j < doc.syntaxCount(); j += step) {
        const int d = doc.syntaxAt(j)->depth;
        if (d < depth) return false;
        if (d == depth) return true;
    }
    return false;
}

}  // namespace

std::wstring refusalReason(const App& app, int commandId) {
    const Document& doc = app.document;
    const int s = app.selection.selectionIndex;
    const bool record = onRecord(app);
    const bool userRecord = record && s >= kFirstUserRecord;
    switch (commandId) {
    case IDM_EDIT_UNDO:
        return app.history.log.canUndo() ? L"" : L"元に戻す操作はありません";
    case IDM_EDIT_REDO:
        return app.history.log.canRedo() ? L"" : L"やり直す操作はありません";
    }
    if (!record) return L"構文が選ばれていません";
    const SyntaxRecord& r = *doc.syntaxAt(s);
    switch (commandId) {
    case IDM_EDIT_CUT:
    case IDM_EDIT_COPY_ONE:
    case IDM_EDIT_COPY_TREE:
    case IDM_EDIT_DELETE:
        return userRecord ? L"" : L"ルートの構文は切り取り・コピー・削除できません";
    case IDM_EDIT_NEW_SYNTAX:
        return userRecord ? L"" : L"ルートの構文と同じ階層には作れません";
    case IDM_EDIT_NEW_CHILD:
        return childRefusal(r, L"子構文を作れません");
    case IDM_ORDER_UP:
        if (!userRecord) return L"ルートの構文は動かせません";
        return hasSibling(doc, s, -1) ? L"" : L"これより上には動かせません";
    case IDM_ORDER_DOWN:
        if (!userRecord) return L"ルートの構文は動かせません";
        return hasSibling(doc, s, 1) ? L"" : L"これより下には動かせません";
    case IDM_EDIT_PASTE:
    case IDM_EDIT_PASTE_CHILD:
        if (!clipboardHoldsSyntaxes(app)) return L"貼り付ける構文がクリップボードにありません";
        if (commandId == IDM_EDIT_PASTE_CHILD) return childRefusal(r, L"子構文を貼り付けられません");
        return r.depth >= 1 ? L"" : L"ルートの構文と同じ階層には貼り付けられません";
    }
    return {};
}

void noteRefusedCommand(App& app, int commandId) {
    std::wstring reason = refusalReason(app, commandId);
    if (reason.empty()) return;
    app.status.reason = std::move(reason);
    refreshStatusBar(app);
}

void clearRefusal(App& app) {
    if (app.status.reason.empty()) return;
    app.status.reason.clear();
    refreshStatusBar(app);
}

std::wstring statusPathText(const App& app) {
    if (!app.status.reason.empty()) return app.status.reason;
    const int s = app.selection.selectionIndex;
    if (s == 0) return L"Copyright";
    if (!onRecord(app)) return {};
    const Document& doc = app.document;
    // Walk up: each ancestor is the nearest record before with a smaller depth.
    std::vector<int> chain{s};
    for (int j = s - 1, depth = doc.syntaxAt(s)->depth; j >= kRootRecord && depth > 0 && chain.size() < kDeepestShown + 1;
         --j) {
        const int d = doc.syntaxAt(j)->depth;
        if (d < depth) {
            chain.push_back(j);
            depth = d;
        }
    }
    std::wstring text;
    for (auto it = chain.rbegin(); it != chain.rend(); ++it) {
        if (!text.empty()) text += kPathSeparator;
        text += wideFromCp932(fieldText(doc.syntaxAt(*it)->name, kNameSize));
    }
    return text;
}

std::wstring statusPositionText(const App& app) {
    if (!onRecord(app)) return {};
    const int count = app.document.syntaxCount();
    return L"位置 " + std::to_wstring(app.selection.selectionIndex) + L" / " + std::to_wstring(count - 1);
}

void refreshStatusBar(App& app) {
    HWND bar = app.windows.statusBar;
    if (!bar) return;
    const std::wstring parts[] = {statusPathText(app), statusPositionText(app),
                                  documentHasChanges(app) ? kStatusModifiedText : L""};
    for (int i = 0; i < 3; ++i) {
        // Unchanged parts are left alone: every WM_SETTEXT repaints the bar.
        if (app.status.shownParts[i] == parts[i]) continue;
        app.status.shownParts[i] = parts[i];
        SendMessageW(bar, SB_SETTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(parts[i].c_str()));
    }
}

bool loadStatusBarShown() {
    HKEY key = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return true;
    DWORD value = 1, type = 0, size = sizeof value;
    const LSTATUS status =
        RegQueryValueExW(key, kStatusBarValue, nullptr, &type, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    // Anything but a stored 0 keeps the bar.
    return status != ERROR_SUCCESS || type != REG_DWORD || size != sizeof value || value != 0;
}

void saveStatusBarShown(bool shown) {
    HKEY key = nullptr;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, nullptr, REG_OPTION_NON_VOLATILE, KEY_WRITE, nullptr,
                        &key, nullptr) != ERROR_SUCCESS)
        return;
    const DWORD value = shown ? 1 : 0;
    RegSetValueExW(key, kStatusBarValue, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
    RegCloseKey(key);
}

}  // namespace lumaset
