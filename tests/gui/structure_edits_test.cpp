#include "gui/edit_fixture.h"

#include "commands/structure_edits.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "views/pane_steps.h"

namespace lumaset::testing {
namespace {

using StructureEditsTest = EditTest;

TEST_F(StructureEditsTest, RecordLimitsDifferByOneAndKeepTheirOwnMessages) {
    ASSERT_TRUE(start());
    loadFlat(253);
    select(5);
    EXPECT_EQ(run(IDM_EDIT_NEW_CHILD), 1);  // 253 records: a child still fits
    EXPECT_EQ(a().document.syntaxCount(), 254);
    EXPECT_EQ(run(IDM_EDIT_NEW_CHILD), 0);
    EXPECT_EQ(run(IDM_EDIT_NEW_SYNTAX), 1);  // 254 records: a sibling still fits
    EXPECT_EQ(a().document.syntaxCount(), 255);
    EXPECT_EQ(treeMismatch(a()), "");
    EXPECT_EQ(run(IDM_EDIT_NEW_SYNTAX), 0);
    EXPECT_EQ(run(IDM_EDIT_NEW_CHILD), 0);
    EXPECT_EQ(a().document.syntaxCount(), 255);
    EXPECT_EQ(ui().messageTexts(), (std::vector<std::string>{kNewChildLimitText, kNewSyntaxLimitText,
                                                             kNewChildLimitText}));
    EXPECT_EQ(treeMismatch(a()), "");
}

TEST_F(StructureEditsTest, NewSyntaxGoesAfterTheSubtreeAndNewChildFirst) {
    ASSERT_TRUE(start());
    load({1, 2, 3, 1});
    select(2);
    EXPECT_EQ(run(IDM_EDIT_NEW_SYNTAX), 0);  // record 2 takes no siblings, quietly
    EXPECT_FALSE(a().file.modified);
    EXPECT_EQ(run(IDM_EDIT_NEW_CHILD), 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"(新規):1", "s1:1", "s2:2", "s3:3", "s4:1"}));
    EXPECT_EQ(treeItemText(a().windows.tree, itemForRecord(a(), 3)), L"(新規)");
    EXPECT_EQ(a().selection.selectionIndex, 3);
    EXPECT_EQ(caret(), itemForRecord(a(), 3));
    EXPECT_TRUE(a().file.modified);
    EXPECT_EQ(GetFocus(), a().windows.tree);
    EXPECT_EQ(treeMismatch(a()), "");

    select(4);  // s1, with two levels below it
    EXPECT_EQ(run(IDM_EDIT_NEW_SYNTAX), 1);
    // The name field has the keys, its text selected for typing over.
    HWND nameField = GetDlgItem(a().windows.propertyPane, IDC_NAME);
    EXPECT_EQ(GetFocus(), nameField);
    DWORD from = 1, to = 0;
    SendMessageW(nameField, EM_GETSEL, reinterpret_cast<WPARAM>(&from), reinterpret_cast<LPARAM>(&to));
    EXPECT_EQ(from, 0u);
    EXPECT_EQ(to, DWORD(GetWindowTextLengthW(nameField)));
    EXPECT_EQ(shape(), (std::vector<std::string>{"(新規):1", "s1:1", "s2:2", "s3:3", "(新規):1", "s4:1"}));
    EXPECT_EQ(a().selection.selectionIndex, 7);
    EXPECT_EQ(treeMismatch(a()), "");
    const SyntaxRecord& made = *a().document.syntaxAt(7);
    EXPECT_EQ(made.reservedA, 255);
    EXPECT_EQ(made.patternLines | made.colourLines | made.interrupting | made.pattern[0] | made.titleCode[0], 0);

    select(5);  // a child in the middle: first child, before s3
    EXPECT_EQ(run(IDM_EDIT_NEW_CHILD), 1);
    EXPECT_EQ(shape()[3], "(新規):3");
    EXPECT_EQ(treeMismatch(a()), "");
    EXPECT_TRUE(ui().messageBoxes.empty());
}

TEST_F(StructureEditsTest, ChildRestrictionsComeInTheirOrder) {
    ASSERT_TRUE(start());
    load({1, 2, 3, 4, 5, 6, 7, 1, 1});
    Document& doc = a().document;
    doc.syntaxAt(10)->interrupting = 1;
    std::strcpy(doc.syntaxAt(10)->exitPattern, "x");
    std::strcpy(doc.syntaxAt(11)->exitPattern, "x");
    doc.syntaxAt(9)->interrupting = 1;  // depth 7 and interrupting
    for (int position : {10, 11, 9}) {
        select(position);
        EXPECT_EQ(run(IDM_EDIT_NEW_CHILD), 0);
    }
    doc.syntaxAt(9)->interrupting = 0;
    refillPane(a());  // the pane shows what the table now holds
    select(9);
    EXPECT_EQ(run(IDM_EDIT_NEW_CHILD), 0);
    EXPECT_EQ(ui().messageTexts(), (std::vector<std::string>{kInterruptingParentText, kExitPatternParentText,
                                                             kInterruptingParentText, kDepthLimitText}));
    EXPECT_EQ(doc.syntaxCount(), 12);
    EXPECT_FALSE(a().file.modified);
    select(8);  // depth 6 still takes a child, at depth 7
    EXPECT_EQ(run(IDM_EDIT_NEW_CHILD), 1);
    EXPECT_EQ(doc.syntaxAt(9)->depth, 7);
    EXPECT_EQ(treeMismatch(a()), "");
}

TEST_F(StructureEditsTest, DeleteTakesTheSubtreeOutOfTableTreeAndIndexes) {
    ASSERT_TRUE(start());
    load({1, 1, 2, 3, 2, 1, 1});  // s2 at 4 holds 5..7
    addIndex({3, 5, 6, 8, 9});
    addIndex({6});
    select(4);
    EXPECT_EQ(run(IDM_EDIT_DELETE), 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s6:1", "s7:1"}));
    EXPECT_EQ(members(0), (std::vector<int>{3, 4, 5}));  // before stays, after drops by four
    EXPECT_EQ(members(1), std::vector<int>{});            // the entry stays, empty
    EXPECT_EQ(a().document.indexCount(), 2);
    EXPECT_TRUE(a().file.modified);
    EXPECT_EQ(treeMismatch(a()), "");
    // The tree picked the next selection and the pane follows it.
    EXPECT_EQ(a().selection.selectionIndex, recordForItem(a(), caret()));

    // Nothing to delete on record 2 or the memo; the command still succeeds.
    select(2);
    EXPECT_EQ(run(IDM_EDIT_DELETE), 1);
    select(0);
    EXPECT_EQ(run(IDM_EDIT_DELETE), 1);
    EXPECT_EQ(a().document.syntaxCount(), 6);
    EXPECT_EQ(treeMismatch(a()), "");
}

TEST_F(StructureEditsTest, MovesWithoutASiblingBeepAndChangeNothing) {
    ASSERT_TRUE(start());
    load({1, 2, 2, 1});
    const std::vector<std::uint8_t> before = tableBytes();
    select(3);  // record 3: nothing above it
    EXPECT_EQ(run(IDM_ORDER_UP), 0);
    select(4);  // first child
    EXPECT_EQ(run(IDM_ORDER_UP), 0);
    select(5);  // last child
    EXPECT_EQ(run(IDM_ORDER_DOWN), 0);
    select(6);  // the last record
    EXPECT_EQ(run(IDM_ORDER_DOWN), 0);
    EXPECT_EQ(beeps, 4);
    select(2);  // record 2 moves nowhere, quietly
    EXPECT_EQ(run(IDM_ORDER_DOWN), 0);
    EXPECT_EQ(beeps, 4);
    EXPECT_EQ(tableBytes(), before);
    EXPECT_FALSE(a().file.modified);
    EXPECT_EQ(treeMismatch(a()), "");
}

// The status bar: the selected syntax's path and position, the modified
// mark, and why a command did nothing, whether run from the menu or from a
// key whose command is greyed.
TEST_F(StructureEditsTest, TheStatusBarSaysWhereAndWhyNot) {
    ASSERT_TRUE(start());
    load({1, 2, 2, 1});
    std::strcpy(a().document.syntaxAt(4)->exitPattern, "end");
    ASSERT_TRUE(OpenClipboard(a().windows.main));
    EmptyClipboard();
    CloseClipboard();
    HWND bar = a().windows.statusBar;
    ASSERT_NE(bar, nullptr);
    const auto part = [bar](int i) {
        wchar_t text[256] = {};
        SendMessageW(bar, SB_GETTEXTW, WPARAM(i), reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    select(5);
    EXPECT_EQ(part(0), L"(sys)接続開始 > s1 > s3");
    EXPECT_EQ(part(1), L"位置 5 / 6");
    EXPECT_EQ(part(2), L"");

    const auto pressWithControl = [this](UINT key) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = 0x80;
        SetKeyboardState(keys);
        MSG msg{a().windows.tree, WM_KEYDOWN, key, 1, GetTickCount(), {}};
        routeMessage(msg);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = 0;
        SetKeyboardState(keys);
        pumpMessages();
    };
    struct Row {
        int selected;
        int command;
        bool byKey;  // the greyed accelerator, else the command as the menu runs it
        const wchar_t* reason;
        int beeps;
    };
    const Row rows[] = {
        {3, IDM_ORDER_UP, false, L"これより上には動かせません", 1},
        {3, IDM_ORDER_UP, true, L"これより上には動かせません", 1},
        {6, IDM_ORDER_DOWN, true, L"これより下には動かせません", 1},
        {4, IDM_EDIT_NEW_CHILD, false, L"出口の構文がある構文には子構文を作れません", 0},
        {4, IDM_EDIT_NEW_CHILD, true, L"出口の構文がある構文には子構文を作れません", 1},
        {3, IDM_EDIT_PASTE, false, L"貼り付ける構文がクリップボードにありません", 0},
        {3, IDM_EDIT_PASTE, true, L"貼り付ける構文がクリップボードにありません", 1},
        {2, IDM_EDIT_DELETE, true, L"ルートの構文は切り取り・コピー・削除できません", 1},
    };
    const std::vector<std::uint8_t> before = tableBytes();
    for (const Row& row : rows) {
        SCOPED_TRACE(row.command * 10 + row.byKey);
        select(row.selected);
        beeps = 0;
        if (row.byKey) {
            const UINT key = row.command == IDM_ORDER_UP ? 'U' : row.command == IDM_ORDER_DOWN ? 'D'
                             : row.command == IDM_EDIT_NEW_CHILD ? 'M' : row.command == IDM_EDIT_PASTE ? 'V' : 0;
            if (key) {
                pressWithControl(key);
            } else {
                MSG del{a().windows.tree, WM_KEYDOWN, VK_DELETE, 1, GetTickCount(), {}};
                routeMessage(del);
                pumpMessages();
            }
        } else {
            run(row.command);
        }
        EXPECT_EQ(part(0), row.reason);
        EXPECT_EQ(beeps, row.beeps);
        // Another selection puts the path back.
        select(row.selected == 3 ? 6 : 3);
        EXPECT_EQ(part(0).find(L"(sys)接続開始 > "), 0u);
    }
    ui().messageBoxes.clear();
    EXPECT_EQ(tableBytes(), before);

    select(3);
    run(IDM_EDIT_NEW_SYNTAX);
    EXPECT_EQ(part(2), L"(更新)");
    EXPECT_EQ(part(1), L"位置 6 / 7");
}

TEST_F(StructureEditsTest, AMovedSubtreeKeepsItsShapeExpandedAndSelected) {
    ASSERT_TRUE(start());
    //          3  4  5  6  7  8  9
    load({1, 1, 2, 3, 2, 1, 2});
    addIndex({3, 5, 6, 8, 9});
    select(4);  // s2 with s3..s5 below it
    EXPECT_EQ(run(IDM_ORDER_UP), 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s2:1", "s3:2", "s4:3", "s5:2", "s1:1", "s6:1", "s7:2"}));
    // s3 and s4 moved and stay members; s1, s6 and s7 are followed too.
    EXPECT_EQ(members(0), (std::vector<int>{4, 5, 7, 8, 9}));
    EXPECT_EQ(a().selection.selectionIndex, 3);
    EXPECT_EQ(caret(), itemForRecord(a(), 3));
    EXPECT_TRUE(expanded(3));
    EXPECT_TRUE(expanded(4));
    EXPECT_TRUE(a().file.modified);
    EXPECT_EQ(treeMismatch(a()), "");

    EXPECT_EQ(run(IDM_ORDER_DOWN), 1);  // back below s1
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s2:1", "s3:2", "s4:3", "s5:2", "s6:1", "s7:2"}));
    EXPECT_EQ(a().selection.selectionIndex, 4);
    EXPECT_EQ(treeMismatch(a()), "");
    EXPECT_EQ(run(IDM_ORDER_DOWN), 1);  // past s6 and its child
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s6:1", "s7:2", "s2:1", "s3:2", "s4:3", "s5:2"}));
    EXPECT_EQ(members(0), (std::vector<int>{3, 4, 5, 7, 8}));
    EXPECT_EQ(a().selection.selectionIndex, 6);
    EXPECT_TRUE(expanded(6));
    EXPECT_TRUE(expanded(7));
    EXPECT_EQ(treeMismatch(a()), "");

    select(8);  // s4 is the only child of s3
    EXPECT_EQ(run(IDM_ORDER_UP), 0);
    select(9);
    EXPECT_EQ(run(IDM_ORDER_UP), 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s6:1", "s7:2", "s2:1", "s5:2", "s3:2", "s4:3"}));
    EXPECT_EQ(treeMismatch(a()), "");
    EXPECT_EQ(beeps, 1);
}

}  // namespace
}  // namespace lumaset::testing
