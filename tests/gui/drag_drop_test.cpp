#include "gui/edit_fixture.h"

#include <chrono>
#include <cstdio>
#include <cstring>

#include "commands/structure_edits.h"
#include "gui/dialog_driver.h"
#include "resources/resource_ids.h"
#include "shell/tree_drag.h"

namespace lumaset::testing {
namespace {

// Drags go through the real messages from the button's press on: the
// notification the tree sends, the mouse messages the main window gets
// while it holds the capture, Escape at the tree.
class DragDropTest : public EditTest {
protected:
    // The middle of the record's label, in main window client coordinates.
    POINT pointOf(int position) {
        HTREEITEM item = position == 0 ? a().tree.rootItem : itemForRecord(a(), position);
        RECT r{};
        *reinterpret_cast<HTREEITEM*>(&r) = item;
        SendMessageW(a().windows.tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r));
        POINT p{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
        MapWindowPoints(a().windows.tree, a().windows.main, &p, 1);
        return p;
    }
    // TVN_BEGINDRAG for the record's item, as the tree sends it.
    void beginDrag(int position) {
        NMTREEVIEWW info{};
        info.hdr.hwndFrom = a().windows.tree;
        info.hdr.code = TVN_BEGINDRAGW;
        info.itemNew.hItem = position == 0 ? a().tree.rootItem : itemForRecord(a(), position);
        POINT p = pointOf(position);
        MapWindowPoints(a().windows.main, a().windows.tree, &p, 1);
        info.ptDrag = p;
        SendMessageW(a().windows.main, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
    }
    void mouse(UINT message, POINT p, bool shift) {
        PostMessageW(a().windows.main, message, shift ? MK_SHIFT : 0, MAKELPARAM(p.x, p.y));
        pumpMessages();
    }
    // A whole drag from one record onto another.
    void drag(int from, int onto, bool shift = false) {
        beginDrag(from);
        ASSERT_TRUE(a().treeDrag.active);
        EXPECT_NE(a().treeDrag.image, nullptr);  // something follows the mouse
        mouse(WM_MOUSEMOVE, pointOf(onto), shift);
        EXPECT_EQ(dropHighlight(), itemForRecord(a(), onto));
        mouse(WM_LBUTTONUP, pointOf(onto), shift);
        expectDragOver();
    }
    HTREEITEM dropHighlight() { return treeItem(a().windows.tree, nullptr, TVGN_DROPHILITE); }
    void expectDragOver() {
        EXPECT_FALSE(a().treeDrag.active);
        EXPECT_NE(GetCapture(), a().windows.main);
        EXPECT_EQ(dropHighlight(), nullptr);
    }
};

TEST_F(DragDropTest, ADropMovesTheSubtreeUnderTheItemOrWithShiftAfterIt) {
    ASSERT_TRUE(start());
    load({1, 2, 1, 1, 2});  // s1..s5 at 3..7
    addIndex({3, 5, 7});

    drag(5, 3);  // s3 becomes s1's last child, after s2
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s2:2", "s3:2", "s4:1", "s5:2"}));
    EXPECT_EQ(a().selection.selectionIndex, 5);
    EXPECT_EQ(caret(), itemForRecord(a(), 5));
    EXPECT_TRUE(a().file.modified);
    EXPECT_EQ(members(0), (std::vector<int>{3, 5, 7}));  // the moved syntax stays in the index
    EXPECT_EQ(treeMismatch(a()), "");

    drag(3, 6, true);  // s1 with its two children after s4's subtree
    EXPECT_EQ(shape(), (std::vector<std::string>{"s4:1", "s5:2", "s1:1", "s2:2", "s3:2"}));
    EXPECT_EQ(a().selection.selectionIndex, 5);
    EXPECT_TRUE(expanded(5));
    EXPECT_EQ(members(0), (std::vector<int>{4, 5, 7}));  // s5, s1 and s3 where they went
    EXPECT_EQ(treeMismatch(a()), "");

    drag(4, 2);  // onto record 2: the last syntax of the top level
    EXPECT_EQ(shape(), (std::vector<std::string>{"s4:1", "s1:1", "s2:2", "s3:2", "s5:1"}));
    EXPECT_EQ(a().selection.selectionIndex, 7);
    EXPECT_EQ(treeMismatch(a()), "");
    EXPECT_TRUE(ui().messageBoxes.empty());
    EXPECT_EQ(beeps, 0);

    // Each drop is one step: undo puts the last one back, index and all.
    EXPECT_EQ(run(IDM_EDIT_UNDO), 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s4:1", "s5:2", "s1:1", "s2:2", "s3:2"}));
    EXPECT_EQ(members(0), (std::vector<int>{4, 5, 7}));
    EXPECT_EQ(treeMismatch(a()), "");
}

TEST_F(DragDropTest, RefusedDropsSayWhyAndChangeNothing) {
    ASSERT_TRUE(start());
    //    3  4  5  6  7  8  9 10 11
    load({1, 2, 3, 4, 5, 6, 7, 1, 2});
    a().document.syntaxAt(10)->interrupting = 1;
    std::strcpy(a().document.syntaxAt(11)->exitPattern, "x");
    const std::vector<std::uint8_t> before = tableBytes();

    drag(3, 5);    // into its own subtree
    drag(10, 8);   // its child would go to depth 8
    drag(11, 10);  // under an interrupting syntax
    drag(4, 11);   // under one with an exit pattern
    EXPECT_EQ(ui().messageTexts(), (std::vector<std::string>{kDropIntoSubtreeText, kDepthLimitText,
                                                             kInterruptingParentText, kExitPatternParentText}));
    drag(10, 2, true);  // record 2 takes no siblings
    EXPECT_EQ(beeps, 1);
    // Onto itself, or back where it stands: nothing, and nothing asked.
    drag(4, 4);
    drag(9, 8);
    EXPECT_EQ(ui().messageBoxes.size(), 4u);

    EXPECT_EQ(tableBytes(), before);
    EXPECT_FALSE(a().file.modified);
    EXPECT_EQ(treeMismatch(a()), "");
    // The same drop with Shift is allowed: past the depth limit is only
    // what goes below 7.
    drag(10, 9, true);
    EXPECT_EQ(ui().messageTexts().back(), kDepthLimitText);
    drag(10, 8, true);
    EXPECT_EQ(shape().back(), "s9:7");
    EXPECT_EQ(treeMismatch(a()), "");
}

TEST_F(DragDropTest, EscapeCaptureLossAndADropOutsideCancel) {
    ASSERT_TRUE(start());
    load({1, 2, 1});
    select(4);
    const std::vector<std::uint8_t> before = tableBytes();

    beginDrag(5);
    mouse(WM_MOUSEMOVE, pointOf(3), false);
    EXPECT_EQ(dropHighlight(), itemForRecord(a(), 3));
    PostMessageW(a().windows.tree, WM_KEYDOWN, VK_ESCAPE, 0);
    pumpMessages();
    expectDragOver();
    mouse(WM_LBUTTONUP, pointOf(3), false);  // the release after Escape moves nothing

    beginDrag(5);
    mouse(WM_MOUSEMOVE, pointOf(3), false);
    SendMessageW(a().windows.main, WM_CANCELMODE, 0, 0);
    expectDragOver();

    beginDrag(5);
    RECT pane{};
    GetWindowRect(a().windows.propertyPane, &pane);
    POINT outside{pane.left + 20, pane.top + 20};
    ScreenToClient(a().windows.main, &outside);
    mouse(WM_MOUSEMOVE, outside, false);
    EXPECT_EQ(dropHighlight(), nullptr);
    mouse(WM_LBUTTONUP, outside, false);
    expectDragOver();

    // The root and record 2 are not dragged at all.
    beginDrag(0);
    EXPECT_FALSE(a().treeDrag.active);
    beginDrag(2);
    EXPECT_FALSE(a().treeDrag.active);
    EXPECT_NE(GetCapture(), a().windows.main);

    EXPECT_EQ(tableBytes(), before);
    EXPECT_FALSE(a().file.modified);
    EXPECT_EQ(a().selection.selectionIndex, 4);
    EXPECT_TRUE(ui().messageBoxes.empty());
    EXPECT_EQ(treeMismatch(a()), "");
}

TEST_F(DragDropTest, PendingPaneEditsAreAskedAboutFirst) {
    ASSERT_TRUE(start());
    load({1, 1, 1});
    select(4);
    HWND name = GetDlgItem(a().windows.propertyPane, IDC_NAME);
    SetWindowTextW(name, L"");
    typeText(name, L"renamed");

    ui().messageBoxAnswers.push_back(IDCANCEL);  // cancelled: no move
    drag(5, 3);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s2:1", "s3:1"}));
    ui().messageBoxAnswers.push_back(IDYES);
    drag(5, 3);
    EXPECT_EQ(ui().messageBoxes.size(), 2u);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s3:2", "renamed:1"}));
    EXPECT_EQ(treeMismatch(a()), "");
}

// A timed run, printed and not asserted. Run with
// --gtest_also_run_disabled_tests --gtest_filter='*DISABLED_LargestDrop*'.
TEST_F(DragDropTest, DISABLED_LargestDrop) {
    ASSERT_TRUE(start());
    load({});
    appendSyntax(a().document, "before", 1);
    for (int k = 0; k < 250; ++k) appendSyntax(a().document, "m", k == 0 ? 1 : 2 + (k - 1) % 5);
    appendSyntax(a().document, "after", 1);
    buildTree(a());
    pumpMessages();
    for (int round = 0; round < 3; ++round) {
        // The 250-record subtree to the end and back to the front.
        const int onto = round % 2 == 0 ? a().document.syntaxCount() - 1 : 3;
        const int from = round % 2 == 0 ? 4 : 5;
        SendMessageW(a().windows.tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(itemForRecord(a(), onto)));
        pumpMessages();
        beginDrag(from);
        const auto begin = std::chrono::steady_clock::now();
        mouse(WM_LBUTTONUP, pointOf(onto), true);
        const double ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
        EXPECT_EQ(shape()[1], round % 2 == 0 ? "after:1" : "m:1");
        EXPECT_EQ(treeMismatch(a()), "");
        std::printf("drop of a 250-record subtree: %.1f ms\n", ms);
    }
}

}  // namespace
}  // namespace lumaset::testing
