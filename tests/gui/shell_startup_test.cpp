#include "gui/gui_support.h"

#include <commctrl.h>

#include "document/tag_file.h"
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
