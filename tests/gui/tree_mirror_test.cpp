#include "gui/gui_support.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "views/tree_mirror.h"

namespace lumaset::testing {
namespace {

class TreeMirrorTest : public GuiTest {
protected:
    HWND tree() { return a().windows.tree; }
    HTREEITEM next(HTREEITEM item, UINT how) { return treeItem(tree(), item, how); }
    HTREEITEM parentOf(HTREEITEM item) { return next(item, TVGN_PARENT); }
    std::wstring textOf(HTREEITEM item) { return treeItemText(tree(), item); }
    bool expanded(HTREEITEM item) {
        return (SendMessageW(tree(), TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(item), TVIS_EXPANDED) &
                TVIS_EXPANDED) != 0;
    }
    // Every item in display order (depth first).
    void walk(HTREEITEM item, std::vector<HTREEITEM>& out) {
        for (; item; item = next(item, TVGN_NEXT)) {
            out.push_back(item);
            walk(next(item, TVGN_CHILD), out);
        }
    }
    std::vector<HTREEITEM> allItems() {
        std::vector<HTREEITEM> items;
        walk(next(TVI_ROOT, TVGN_CHILD), items);
        return items;
    }
    void rebuildWithDepths(std::initializer_list<int> depths) {
        Document& doc = a().document;
        clearTreeSelection(a());
        doc.newDocument();
        int n = 0;
        for (int depth : depths) {
            const std::string name = "s" + std::to_string(++n);
            appendSyntax(doc, name.c_str(), depth);
        }
        buildTree(a());
        pumpMessages();
    }
};

TEST_F(TreeMirrorTest, ASevenLevelChainIsShownFullyExpanded) {
    ASSERT_TRUE(start());
    rebuildWithDepths({1, 2, 3, 4, 5, 6, 7});
    HTREEITEM item = itemForRecord(a(), 2);
    ASSERT_EQ(textOf(item), L"(sys)接続開始");
    for (int position = 3; position <= 9; ++position) {
        HTREEITEM child = itemForRecord(a(), position);
        ASSERT_NE(child, nullptr);
        EXPECT_EQ(parentOf(child), item) << position;
        EXPECT_TRUE(expanded(item)) << position;
        item = child;
    }
    EXPECT_FALSE(expanded(item));  // no children, not expanded
    // The rebuild leaves the memo item selected and the memo shown.
    EXPECT_EQ(next(nullptr, TVGN_CARET), a().tree.rootItem);
    EXPECT_EQ(a().selection.selectionIndex, 0);
}

TEST_F(TreeMirrorTest, BrokenDepthsStillShowEveryRecordInTableOrder) {
    ASSERT_TRUE(start());
    // A jump from the root, a user syntax at depth 0, a depth beyond 7, a
    // jump of two further down.
    rebuildWithDepths({2, 0, 9, 1, 3, 4});
    const std::vector<HTREEITEM> items = allItems();
    ASSERT_EQ(items.size(), 1u + 1u + 6u);
    EXPECT_EQ(items[0], a().tree.rootItem);
    for (int position = 2; position < a().document.syntaxCount(); ++position) {
        EXPECT_EQ(items[std::size_t(position - 1)], itemForRecord(a(), position)) << position;
        EXPECT_EQ(recordForItem(a(), items[std::size_t(position - 1)]), position);
    }
    HTREEITEM root = itemForRecord(a(), 2);
    EXPECT_EQ(parentOf(itemForRecord(a(), 3)), root);  // depth 2 right below the root
    EXPECT_EQ(parentOf(itemForRecord(a(), 4)), root);  // depth 0 user syntax
    EXPECT_EQ(parentOf(itemForRecord(a(), 5)), itemForRecord(a(), 4));  // depth 9
    EXPECT_EQ(parentOf(itemForRecord(a(), 6)), root);
    EXPECT_EQ(parentOf(itemForRecord(a(), 7)), itemForRecord(a(), 6));  // 1 -> 3
    EXPECT_EQ(parentOf(itemForRecord(a(), 8)), itemForRecord(a(), 7));
}

TEST_F(TreeMirrorTest, LookupMapsItemsToRecordsAndNothingElse) {
    ASSERT_TRUE(start());
    rebuildWithDepths({1, 1, 2});
    EXPECT_EQ(recordForItem(a(), nullptr), -1);
    EXPECT_EQ(recordForItem(a(), a().tree.rootItem), 0);
    EXPECT_EQ(recordForItem(a(), itemForRecord(a(), 5)), 5);
    // An item that no record holds.
    TVINSERTSTRUCTW insert{};
    insert.hParent = TVI_ROOT;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT;
    insert.item.pszText = const_cast<wchar_t*>(L"stranger");
    auto stranger = reinterpret_cast<HTREEITEM>(SendMessageW(tree(), TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
    EXPECT_EQ(recordForItem(a(), stranger), -1);
    // Selecting it selects nothing.
    SendMessageW(tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(stranger));
    pumpMessages();
    EXPECT_EQ(a().selection.selectionIndex, -1);
    // Records 0 and 1 hold no item; a rebuild starts the slots afresh.
    EXPECT_EQ(treeItemSlot(*a().document.syntaxAt(0)), 0u);
    buildTree(a());
    EXPECT_EQ(a().tree.handles.size(), std::size_t(a().document.syntaxCount() - 2));
}

TEST_F(TreeMirrorTest, SelectingASyntaxShowsThePaneAndTheRootShowsTheMemo) {
    ASSERT_TRUE(start());
    rebuildWithDepths({1, 2});
    const MainWindows& w = a().windows;
    SendMessageW(tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(itemForRecord(a(), 4)));
    pumpMessages();
    EXPECT_EQ(a().selection.selectionIndex, 4);
    EXPECT_TRUE(isShown(w.propertyPane));
    EXPECT_FALSE(isShown(w.memo));
    SendMessageW(tree(), TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a().tree.rootItem));
    pumpMessages();
    EXPECT_EQ(a().selection.selectionIndex, 0);
    EXPECT_FALSE(isShown(w.propertyPane));
    EXPECT_TRUE(isShown(w.memo));
}

TEST_F(TreeMirrorTest, LabelsComeFromTheNameFieldOnly) {
    ASSERT_TRUE(start());
    Document& doc = a().document;
    clearTreeSelection(a());
    doc.newDocument();
    appendSyntax(doc, "\x83\x81\x83\x43\x83\x93", 1);  // メイン
    appendSyntax(doc, "other", 1);
    // A name that fills its field with no NUL ends at the field.
    SyntaxRecord full = blankSystemRecord();
    std::memset(full.name, 'A', kNameSize);
    full.depth = 1;
    doc.insertSyntax(doc.syntaxCount(), full);
    buildTree(a());
    EXPECT_EQ(textOf(itemForRecord(a(), 3)), L"メイン");
    EXPECT_EQ(textOf(itemForRecord(a(), 5)), std::wstring(kNameSize, L'A'));

    // Renaming changes that one label; the tree is not rebuilt.
    HTREEITEM before = itemForRecord(a(), 3);
    std::strcpy(doc.syntaxAt(3)->name, "\x90\x56\x82\xb5\x82\xa2");  // 新しい
    updateTreeLabel(a(), 3);
    EXPECT_EQ(itemForRecord(a(), 3), before);
    EXPECT_EQ(textOf(before), L"新しい");
    EXPECT_EQ(textOf(itemForRecord(a(), 4)), L"other");
}

}  // namespace
}  // namespace lumaset::testing
