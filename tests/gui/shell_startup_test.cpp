#include "gui/gui_support.h"

#include <commctrl.h>

#include <iterator>

#include "document/tag_file.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "ui/text_convert.h"
#include "views/tree_mirror.h"

namespace lumaset::testing {
namespace {

using StartupTest = GuiTest;

constexpr wchar_t kNewTitle[] = L"(新規) - Tarvelonカラー構文エディタ";

HTREEITEM firstChild(HWND tree, HTREEITEM item) { return treeItem(tree, item, TVGN_CHILD); }
HTREEITEM nextSibling(HWND tree, HTREEITEM item) { return treeItem(tree, item, TVGN_NEXT); }
std::wstring itemText(HWND tree, HTREEITEM item) { return treeItemText(tree, item); }

TEST_F(StartupTest, WithoutAFileShowsANewDocumentWithTheMemo) {
    ASSERT_TRUE(start());
    const MainWindows& w = a().windows;
    EXPECT_EQ(windowText(w.main), kNewTitle);
    EXPECT_TRUE(IsWindowVisible(w.main));
    EXPECT_TRUE(isShown(w.toolbar));
    EXPECT_TRUE(isShown(w.tree));
    EXPECT_TRUE(isShown(w.memo));
    EXPECT_FALSE(isShown(w.propertyPane));
    EXPECT_EQ(GetFocus(), w.tree);
    EXPECT_TRUE(a().file.path.empty());
    EXPECT_FALSE(a().file.modified);

    // "Copyright" then "(sys)接続開始", the first selected.
    HTREEITEM top = firstChild(w.tree, TVI_ROOT);
    ASSERT_NE(top, nullptr);
    EXPECT_EQ(itemText(w.tree, top), L"Copyright");
    HTREEITEM root = nextSibling(w.tree, top);
    EXPECT_EQ(itemText(w.tree, root), L"(sys)接続開始");
    EXPECT_EQ(nextSibling(w.tree, root), nullptr);
    EXPECT_EQ(reinterpret_cast<HTREEITEM>(SendMessageW(w.tree, TVM_GETNEXTITEM, TVGN_CARET, 0)), top);
    EXPECT_EQ(a().selection.selectionIndex, 0);
    EXPECT_TRUE(ui().messageBoxes.empty());
}

TEST_F(StartupTest, PatternFieldsAndMemoUseTheFixedPitchFont) {
    ASSERT_TRUE(start());
    const MainWindows& w = a().windows;
    const auto font = [](HWND control) { return reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)); };
    const HFONT pattern = font(w.memo);
    ASSERT_NE(pattern, nullptr);
    LOGFONTW log{};
    ASSERT_TRUE(GetObjectW(pattern, sizeof log, &log));
    EXPECT_STREQ(log.lfFaceName, L"ＭＳ ゴシック");
    EXPECT_EQ(log.lfPitchAndFamily & 3, FIXED_PITCH);
    // As tall as the pane's own font.
    HDC dc = GetDC(w.propertyPane);
    HGDIOBJ old = SelectObject(dc, font(GetDlgItem(w.propertyPane, IDC_INTERRUPTING)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, old);
    ReleaseDC(w.propertyPane, dc);
    EXPECT_EQ(log.lfHeight, metrics.tmHeight);
    for (int id : {IDC_NAME, IDC_PATTERN, IDC_EXIT_PATTERN, IDC_TITLE}) {
        SCOPED_TRACE(id);
        EXPECT_EQ(font(GetDlgItem(w.propertyPane, id)), pattern);
    }
    EXPECT_NE(font(GetDlgItem(w.propertyPane, IDC_INTERRUPTING)), pattern);
}

TEST_F(StartupTest, ToolbarButtonsInOrderWithTheirCommands) {
    ASSERT_TRUE(start());
    HWND toolbar = a().windows.toolbar;
    constexpr int kSeparator = 0;
    const int commands[] = {kSeparator,     IDM_FILE_NEW,        IDM_FILE_OPEN,       IDM_FILE_SAVE,
                            kSeparator,     IDM_EDIT_CUT,        IDM_EDIT_COPY_TREE,  IDM_EDIT_COPY_ONE,
                            IDM_EDIT_PASTE, IDM_EDIT_PASTE_CHILD, kSeparator,         IDM_EDIT_NEW_SYNTAX,
                            IDM_EDIT_NEW_CHILD, kSeparator,       IDM_ORDER_UP,       IDM_ORDER_DOWN,
                            kSeparator,     IDM_TOOLS_TEST_SYNTAX};
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), LRESULT(std::size(commands)));
    int image = 0;
    for (int i = 0; i < int(std::size(commands)); ++i) {
        SCOPED_TRACE(i);
        TBBUTTON button{};
        ASSERT_TRUE(SendMessageW(toolbar, TB_GETBUTTON, WPARAM(i), reinterpret_cast<LPARAM>(&button)));
        EXPECT_EQ((button.fsStyle & BTNS_SEP) != 0, commands[i] == kSeparator);
        if (commands[i] == kSeparator) continue;
        EXPECT_EQ(button.idCommand, commands[i]);
        EXPECT_EQ(button.iBitmap, image++);
        // The memo is shown at start: only the file buttons apply to it,
        // and the test window, which waits for a syntax.
        EXPECT_EQ((button.fsState & TBSTATE_ENABLED) != 0, i <= 3 || commands[i] == IDM_TOOLS_TEST_SYNTAX);
    }

    // A click on the open button asks for a file.
    RECT r{};
    SendMessageW(toolbar, TB_GETITEMRECT, 2, reinterpret_cast<LPARAM>(&r));
    const LPARAM at = MAKELPARAM((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    SendMessageW(toolbar, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(toolbar, WM_LBUTTONUP, 0, at);
    pumpMessages();
    ASSERT_EQ(ui().fileDialogs.size(), 1u);
    EXPECT_EQ(ui().fileDialogs[0].title, L"カラー構文定義ファイルを開く");
}

TEST_F(StartupTest, ErrorBoxBelongsToTheActiveWindow) {
    ASSERT_TRUE(start());
    SetActiveWindow(a().windows.main);
    showErrorMessage("one");
    // A dialog of ours in front owns the box instead.
    HWND dialog = CreateWindowExW(0, L"STATIC", L"dialog", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, a().windows.main,
                                  nullptr, GetModuleHandleW(nullptr), nullptr);
    SetActiveWindow(dialog);
    showErrorMessage("two");
    DestroyWindow(dialog);
    ASSERT_EQ(ui().messageBoxes.size(), 2u);
    EXPECT_EQ(ui().messageBoxes[0].owner, a().windows.main);
    EXPECT_EQ(ui().messageBoxes[1].owner, dialog);
    EXPECT_EQ(ui().messageBoxes[1].type, UINT(MB_ICONERROR | MB_OK));
}

TEST_F(StartupTest, WithAFileLoadsItAndPutsItFirstInTheRecentFiles) {
    const auto path = tempPath(L"bbs session.tag");
    {
        Document doc;
        appendSyntax(doc, "\x83\x81\x83\x43\x83\x93", 1);  // メイン
        doc.setMemoText(std::string("\x83\x81\x83\x82 memo"));  // メモ memo
        ASSERT_TRUE(saveTagFile(doc, path));
    }
    // Leading blanks, a quoted path with a blank, text after the quote.
    ASSERT_TRUE(start(L"   \"" + path.wstring() + L"\" ignored"));
    const MainWindows& w = a().windows;
    EXPECT_EQ(a().file.path, path.wstring());
    EXPECT_EQ(windowText(w.main), path.wstring() + L" - Tarvelonカラー構文エディタ");
    EXPECT_EQ(windowText(w.memo), L"メモ memo");
    EXPECT_FALSE(a().file.modified);
    HTREEITEM root = nextSibling(w.tree, firstChild(w.tree, TVI_ROOT));
    EXPECT_EQ(itemText(w.tree, firstChild(w.tree, root)), L"メイン");
    ASSERT_FALSE(a().recent.entries.empty());
    EXPECT_EQ(a().recent.entries.back(), path.wstring());
    EXPECT_TRUE(ui().messageBoxes.empty());
}

TEST_F(StartupTest, AMissingFileIsReportedAndEndsTheProgramWithZero) {
    const auto path = tempPath(L"missing.tag");
    EXPECT_EQ(runLumaset(GetModuleHandleW(nullptr), path.wstring().c_str(), SW_SHOWNORMAL), 0);
    ASSERT_EQ(ui().messageBoxes.size(), 1u);
    const MessageBoxCall& box = ui().messageBoxes[0];
    EXPECT_EQ(box.text, path.wstring() + L"は見つかりません。");
    EXPECT_EQ(box.type, UINT(MB_ICONERROR | MB_OK));
    EXPECT_TRUE(box.caption.empty());
    EXPECT_FALSE(IsWindow(a().windows.main));
}

TEST_F(StartupTest, AnUnquotedRelativePathWithBlanksIsOpenedAsAFullPath) {
    const auto path = tempPath(L"relative name.tag");
    {
        Document doc;
        ASSERT_TRUE(saveTagFile(doc, path));
    }
    wchar_t saved[MAX_PATH];
    GetCurrentDirectoryW(MAX_PATH, saved);
    SetCurrentDirectoryW(folder().c_str());
    const bool started = start(L"  relative name.tag");
    SetCurrentDirectoryW(saved);
    ASSERT_TRUE(started);
    EXPECT_EQ(a().file.path, path.wstring());
}

TEST_F(StartupTest, APathTooLongForThePathBufferIsNotCutShort) {
    const std::wstring longPath = folder().wstring() + L"\\" + std::wstring(300, L'a') + L".tag";
    EXPECT_FALSE(start(longPath));
    ASSERT_EQ(ui().messageBoxes.size(), 1u);
    EXPECT_EQ(ui().messageBoxes[0].text, longPath + L"は見つかりません。");
}

}  // namespace
}  // namespace lumaset::testing
