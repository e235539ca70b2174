// The test window and the problems list as a user meets them: opened by
// their commands, following the pane's unapplied edits, choosing a row
// through the selection step (each answer of its question), the sample
// kept between runs, findings that follow the document.
#include <windows.h>

#include <commctrl.h>

#include <cstring>

#include "gui/dialog_driver.h"
#include "gui/edit_fixture.h"
#include "pattern/derived_fields.h"
#include "pattern/document_checks.h"
#include "pattern/match_pattern.h"
#include "pattern/pattern_code.h"
#include "properties/tool_windows.h"
#include "resources/resource_ids.h"
#include "ui/dpi.h"
#include "views/document_state.h"
#include "views/logic/recent_file_list.h"

namespace lumaset::testing {
namespace {

class ToolWindowsTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        ASSERT_TRUE(start());
        add("Mail", 1, "^From: \\f.*", "\\1");  // 3
        add("Any", 1, "o");                      // 4
        add("Empty", 1, "");                     // 5
        buildTree(a());
        pumpMessages();
    }
    void add(const char* name, int depth, const char* pattern, const char* title = "") {
        Document& doc = a().document;
        appendSyntax(doc, name, depth);
        const int position = doc.syntaxCount() - 1;
        SyntaxRecord& record = *doc.syntaxAt(position);
        std::strcpy(record.pattern, pattern);
        std::uint8_t code[kCompileAreaSize] = {};
        const int length = compilePattern(title, code);
        std::memcpy(record.titleCode, code, std::size_t(length));
        deriveRecordFields(doc, position);
    }
    // What the refresh timer would do, now.
    void settle(HWND window) {
        pumpMessages();
        SendMessageW(window, WM_TIMER, kToolRefreshTimerId, 0);
        pumpMessages();
    }
    std::vector<std::wstring> column(HWND list, int sub) {
        std::vector<std::wstring> out;
        const int n = int(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
        for (int i = 0; i < n; ++i) {
            wchar_t text[256] = {};
            LVITEMW item{};
            item.iSubItem = sub;
            item.pszText = text;
            item.cchTextMax = 256;
            SendMessageW(list, LVM_GETITEMTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(&item));
            out.push_back(text);
        }
        return out;
    }
    void chooseRow(HWND window, int listId, int row) {
        HWND list = GetDlgItem(window, listId);
        LVITEMW on{};
        on.stateMask = on.state = LVIS_SELECTED | LVIS_FOCUSED;
        SendMessageW(list, LVM_SETITEMSTATE, WPARAM(row), reinterpret_cast<LPARAM>(&on));
        SetFocus(list);
        PostMessageW(list, WM_KEYDOWN, VK_RETURN, 1);  // Enter, through the loop
        pumpMessages();
    }
    // Typed into a pane field, as the user does.
    void retype(int id, const std::wstring& text) {
        HWND edit = GetDlgItem(pane(), id);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, WM_CHAR, VK_BACK, 1);
        typeText(edit, text);
    }
    std::wstring result() { return windowText(GetDlgItem(a().tools.syntaxTest, IDC_ST_RESULT)); }
    HWND pane() { return a().windows.propertyPane; }
};

TEST_F(ToolWindowsTest, TestWindowFollowsThePaneAndChoosesThroughTheSelectionStep) {
    select(3);
    run(IDM_TOOLS_TEST_SYNTAX);
    HWND test = a().tools.syntaxTest;
    ASSERT_TRUE(test);
    EXPECT_EQ(GetWindow(test, GW_OWNER), nullptr);  // stays in front when the main window is clicked
    setSyntaxTestSample(a(), L"Hello\r\nFrom: bob");
    const std::string sample = "Hello\nFrom: bob";
    EXPECT_NE(result().find(L"一致しました: 2 行目"), std::wstring::npos) << utf8FromWide(result());
    EXPECT_NE(result().find(L"\\1: 「bob」"), std::wstring::npos);
    // Rows: every syntax whose stored pattern matches, in table order.
    HWND matches = GetDlgItem(test, IDC_ST_MATCHES);
    EXPECT_EQ(column(matches, 0), (std::vector<std::wstring>{L"Mail", L"Any"}));
    EXPECT_EQ(column(matches, 1), (std::vector<std::wstring>{L"2", L"1"}));
    EXPECT_EQ(column(matches, 2)[0], L"bob");

    // An unapplied edit of the pattern is what the window tests.
    retype(IDC_PATTERN, L"^To:");
    settle(test);
    EXPECT_NE(result().find(L"一致しません"), std::wstring::npos);
    EXPECT_NE(windowText(GetDlgItem(test, IDC_ST_SYNTAX)).find(L"未適用"), std::wstring::npos);
    EXPECT_EQ(column(matches, 0), std::vector<std::wstring>{L"Any"});

    // Choosing "Any" asks about the edit: each answer as the tree would give it.
    const std::vector<std::uint8_t> before = tableBytes();
    struct Case {
        int answer;
        int selected;
        const char* storedPattern;
    };
    for (const Case& c : {Case{IDCANCEL, 3, "^From: \\f.*"}, Case{IDNO, 4, "^From: \\f.*"}, Case{IDYES, 4, "^To:"}}) {
        SCOPED_TRACE(c.answer);
        select(3);
        retype(IDC_PATTERN, L"^To:");
        settle(test);
        ui().messageBoxAnswers.push_back(c.answer);
        chooseRow(test, IDC_ST_MATCHES, 0);
        EXPECT_EQ(a().selection.selectionIndex, c.selected);
        EXPECT_EQ(caret(), itemForRecord(a(), c.selected));
        EXPECT_STREQ(a().document.syntaxAt(3)->pattern, c.storedPattern);
        if (c.answer != IDYES) EXPECT_EQ(tableBytes(), before);
        EXPECT_TRUE(ui().messageBoxAnswers.empty());
    }

    // Escape closes; the sample comes back with the window, a damaged value does not.
    PostMessageW(GetDlgItem(test, IDC_ST_MATCHES), WM_KEYDOWN, VK_ESCAPE, 1);
    pumpMessages();
    EXPECT_EQ(a().tools.syntaxTest, nullptr);
    EXPECT_FALSE(IsWindow(test));
    run(IDM_TOOLS_TEST_SYNTAX);
    EXPECT_EQ(windowText(GetDlgItem(a().tools.syntaxTest, IDC_ST_SAMPLE)), L"Hello\r\nFrom: bob");
    // Escape closes from the sample box too, where Enter is a line break.
    HWND box = GetDlgItem(a().tools.syntaxTest, IDC_ST_SAMPLE);
    EXPECT_EQ(GetFocus(), box);
    PostMessageW(box, WM_KEYDOWN, VK_ESCAPE, 1);
    pumpMessages();
    EXPECT_EQ(a().tools.syntaxTest, nullptr);
    HKEY key = nullptr;
    ASSERT_EQ(RegOpenKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
    const BYTE odd[] = {'A', 0, 'B'};
    RegSetValueExW(key, kSampleValueName, 0, REG_SZ, odd, sizeof odd);
    RegCloseKey(key);
    run(IDM_TOOLS_TEST_SYNTAX);
    EXPECT_EQ(windowText(GetDlgItem(a().tools.syntaxTest, IDC_ST_SAMPLE)), L"");
}

TEST_F(ToolWindowsTest, ProblemsFollowTheDocumentAndF8GoesToTheField) {
    select(4);
    run(IDM_TOOLS_PROBLEMS);
    HWND problems = a().tools.problems;
    ASSERT_TRUE(problems);
    HWND list = GetDlgItem(problems, IDC_PR_LIST);
    const auto expectedRows = [&] {
        std::vector<std::wstring> paths;
        for (const Finding& f : checkDocument(a().document)) paths.push_back(wideFromCp932(f.path));
        return paths;
    };
    EXPECT_EQ(column(list, 0), expectedRows());
    ASSERT_FALSE(column(list, 0).empty());  // "Empty" has no pattern
    EXPECT_NE(column(list, 2).back().find(L"(no-pattern)"), std::wstring::npos);

    // F8 from syntax 4 goes to 5's finding, with the focus in its pattern.
    PostMessageW(a().windows.tree, WM_KEYDOWN, VK_F8, 1);
    pumpMessages();
    EXPECT_EQ(a().selection.selectionIndex, 5);
    EXPECT_EQ(GetFocus(), GetDlgItem(pane(), IDC_PATTERN));

    // Applied, the finding goes; the list follows after the change.
    retype(IDC_PATTERN, L"x");
    SendMessageW(pane(), WM_COMMAND, IDOK, 0);
    settle(problems);
    EXPECT_EQ(column(list, 0), expectedRows());
    for (const std::wstring& text : column(list, 2)) EXPECT_EQ(text.find(L"(no-pattern)"), std::wstring::npos);

    // Moved to a monitor of twice the DPI, both lists' columns are twice as wide.
    run(IDM_TOOLS_TEST_SYNTAX);
    for (HWND each : {GetDlgItem(problems, IDC_PR_LIST), GetDlgItem(a().tools.syntaxTest, IDC_ST_MATCHES)}) {
        const int before = int(SendMessageW(each, LVM_GETCOLUMNWIDTH, 0, 0));
        const int dpi = dpiOf(GetParent(each));
        RECT suggested;
        GetWindowRect(GetParent(each), &suggested);
        SendMessageW(GetParent(each), WM_DPICHANGED, MAKEWPARAM(dpi * 2, dpi * 2), reinterpret_cast<LPARAM>(&suggested));
        EXPECT_EQ(int(SendMessageW(each, LVM_GETCOLUMNWIDTH, 0, 0)), before * 2);
    }
}

}  // namespace
}  // namespace lumaset::testing
