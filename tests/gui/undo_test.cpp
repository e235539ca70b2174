// Undo and redo as a user meets them: every kind of step comes back byte
// for byte with its tree, expanded items and selection; the modified mark
// follows the saved state; the history keeps 200 steps.
#include "gui/edit_fixture.h"

#include <cstring>
#include <functional>
#include <optional>

#include "gui/dialog_driver.h"
#include "resources/resource_ids.h"
#include "views/command_states.h"
#include "views/document_history.h"
#include "views/pane_steps.h"

namespace lumaset::testing {
namespace {

constexpr std::size_t kTreeItemOffset = offsetof(SyntaxRecord, treeItem);

// The tables as undo must give them back: every record but its item slot,
// then every index entry.
std::string tables(const Document& doc) {
    std::string bytes;
    for (int p = 0; p < doc.syntaxCount(); ++p) {
        std::string record(reinterpret_cast<const char*>(doc.syntaxAt(p)), kSyntaxRecordSize);
        if (p >= kRootRecord) std::memset(record.data() + kTreeItemOffset, 0, 4);
        bytes += record;
    }
    for (int i = 0; i < doc.indexCount(); ++i)
        bytes.append(reinterpret_cast<const char*>(doc.indexAt(i)), kIndexEntrySize);
    return bytes;
}

// Empty when equal, else where the first difference is.
std::string difference(const std::string& got, const std::string& want) {
    if (got == want) return "";
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    return "sizes " + std::to_string(got.size()) + "/" + std::to_string(want.size()) + ", first difference at byte " +
           std::to_string(at) + " (record " + std::to_string(at / kSyntaxRecordSize) + ", offset " +
           std::to_string(at % kSyntaxRecordSize) + ")";
}

class UndoTest : public EditTest {
protected:
    struct Seen {
        std::string bytes;
        int selection;
    };
    Seen seen() { return {tables(a().document), a().selection.selectionIndex}; }

    // Runs the action, then checks that undo and redo each bring back the
    // tables, the selection and a tree that shows exactly the table.
    void roundTrip(const char* what, const std::function<void()>& action) {
        SCOPED_TRACE(what);
        const Seen before = seen();
        action();
        pumpMessages();
        const Seen after = seen();
        ASSERT_NE(after.bytes, before.bytes) << "the action changed nothing";
        EXPECT_EQ(run(IDM_EDIT_UNDO), 1);
        EXPECT_EQ(difference(tables(a().document), before.bytes), "");
        EXPECT_EQ(a().selection.selectionIndex, before.selection);
        EXPECT_EQ(recordForItem(a(), caret()), before.selection);
        EXPECT_EQ(treeMismatch(a()), "");
        EXPECT_EQ(run(IDM_EDIT_REDO), 1);
        EXPECT_EQ(difference(tables(a().document), after.bytes), "");
        EXPECT_EQ(a().selection.selectionIndex, after.selection);
        EXPECT_EQ(treeMismatch(a()), "");
    }
    bool menuEnabled(int command) {
        return (GetMenuState(a().windows.mainMenu, UINT(command), MF_BYCOMMAND) & MF_GRAYED) == 0;
    }
    bool canUndo() { return menuEnabled(IDM_EDIT_UNDO); }
    bool canRedo() { return menuEnabled(IDM_EDIT_REDO); }
    HWND pane() { return a().windows.propertyPane; }
    void retypeName(const std::wstring& text) {
        HWND edit = GetDlgItem(pane(), IDC_NAME);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        SendMessageW(edit, WM_CHAR, VK_BACK, 1);
        for (wchar_t ch : text) SendMessageW(edit, WM_CHAR, ch, 1);
        pumpMessages();
    }
    std::string name(int position) {
        return std::string(fieldText(a().document.syntaxAt(position)->name, kNameSize));
    }
};

TEST_F(UndoTest, EveryStructureEditCutAndPasteComesBackWithItsTreeAndSelection) {
    ASSERT_TRUE(start());
    // s1 { s2 s3 } s4 { s5 { s6 } } s7, with an index on s2, s3 and s6.
    load({1, 2, 2, 1, 2, 3, 1});
    addIndex({4, 5, 8});
    select(4);
    roundTrip("new syntax", [&] { run(IDM_EDIT_NEW_SYNTAX); });
    select(3);
    roundTrip("new child syntax", [&] { run(IDM_EDIT_NEW_CHILD); });
    select(4);
    roundTrip("delete with index members", [&] { run(IDM_EDIT_DELETE); });
    select(7);
    roundTrip("move up", [&] { run(IDM_ORDER_UP); });
    select(3);
    roundTrip("move down", [&] { run(IDM_ORDER_DOWN); });
    select(7);
    roundTrip("cut", [&] { run(IDM_EDIT_CUT); });

    // A paste of a subtree of three records is one step.
    select(7);
    run(IDM_EDIT_COPY_TREE);
    select(3);
    roundTrip("paste", [&] { run(IDM_EDIT_PASTE); });
    roundTrip("paste as child", [&] { run(IDM_EDIT_PASTE_CHILD); });

    // Undo all the way back: the document as loaded, index and all.
    while (canUndo()) run(IDM_EDIT_UNDO);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s2:2", "s3:2", "s4:1", "s5:2", "s6:3", "s7:1"}));
    EXPECT_EQ(members(0), (std::vector<int>{4, 5, 8}));
    EXPECT_EQ(treeMismatch(a()), "");
    EXPECT_FALSE(a().file.modified);

    // Items stay as open or closed as the user left them: s1 { s2 } s3 { s4 { s5 } }
    // with s3 closed.
    load({1, 2, 1, 2, 3});
    select(5);
    SendMessageW(a().windows.tree, WM_KEYDOWN, VK_LEFT, 0);  // as the user closes it
    pumpMessages();
    select(3);
    run(IDM_EDIT_NEW_SYNTAX);
    ASSERT_EQ(name(6), "s3");
    EXPECT_FALSE(expanded(6));
    run(IDM_EDIT_UNDO);
    EXPECT_TRUE(expanded(3));
    EXPECT_FALSE(expanded(5));
    EXPECT_TRUE(expanded(6)) << "s4 under the closed s3 stays open";
    run(IDM_EDIT_REDO);
    EXPECT_FALSE(expanded(6));
    EXPECT_TRUE(expanded(7));
}

TEST_F(UndoTest, AppliedPaneIsOneStepByButtonOrByTheQuestion) {
    ASSERT_TRUE(start());
    load({1, 1});
    select(3);
    roundTrip("apply button", [&] {
        retypeName(L"alpha");
        SendMessageW(GetDlgItem(pane(), IDOK), BM_CLICK, 0, 0);
    });
    EXPECT_EQ(name(3), "alpha");
    EXPECT_EQ(windowText(GetDlgItem(pane(), IDC_NAME)), L"alpha") << "the pane shows the record again";
    run(IDM_EDIT_UNDO);
    EXPECT_EQ(windowText(GetDlgItem(pane(), IDC_NAME)), L"s1");
    EXPECT_EQ(treeItemText(a().windows.tree, itemForRecord(a(), 3)), L"s1");
    run(IDM_EDIT_REDO);

    // Yes to the question on leaving: the apply is a step, and undo selects
    // the syntax it was made in.
    retypeName(L"beta");
    ui().messageBoxAnswers.push_back(IDYES);
    select(4);
    EXPECT_EQ(name(3), "beta");
    run(IDM_EDIT_UNDO);
    EXPECT_EQ(name(3), "alpha");
    EXPECT_EQ(a().selection.selectionIndex, 3);
    EXPECT_EQ(treeMismatch(a()), "");

    // Pending edits at undo get their question first; Cancel undoes nothing.
    retypeName(L"gamma");
    ui().messageBoxAnswers.push_back(IDCANCEL);
    EXPECT_EQ(run(IDM_EDIT_UNDO), 0);
    EXPECT_EQ(name(3), "alpha");
    EXPECT_EQ(windowText(GetDlgItem(pane(), IDC_NAME)), L"gamma");
    // No: the edits go, and the undo runs.
    ui().messageBoxAnswers.push_back(IDNO);
    EXPECT_EQ(run(IDM_EDIT_UNDO), 1);
    EXPECT_EQ(name(3), "s1");
}

TEST_F(UndoTest, ModifiedMarkFollowsTheSavedStateAndANewChangeDropsRedo) {
    ASSERT_TRUE(start());
    EXPECT_FALSE(canUndo());
    EXPECT_FALSE(canRedo());
    select(2);
    run(IDM_EDIT_NEW_CHILD);
    EXPECT_TRUE(a().file.modified);
    EXPECT_TRUE(canUndo());
    EXPECT_FALSE(canRedo());
    run(IDM_EDIT_UNDO);
    EXPECT_FALSE(a().file.modified);
    EXPECT_EQ(windowText(a().windows.main).find(L" (更新)"), std::wstring::npos);
    EXPECT_FALSE(canUndo());
    EXPECT_TRUE(canRedo());
    run(IDM_EDIT_REDO);
    EXPECT_TRUE(a().file.modified);
    EXPECT_NE(windowText(a().windows.main).find(L" (更新)"), std::wstring::npos);

    // Save: the saved point moves with it.
    ui().fileDialogAnswers.push_back(tempPath(L"saved.tag").wstring());
    ASSERT_EQ(run(IDM_FILE_SAVE), 1);
    EXPECT_FALSE(a().file.modified);
    run(IDM_EDIT_UNDO);
    EXPECT_TRUE(a().file.modified) << "the saved file holds the new syntax";
    run(IDM_EDIT_REDO);
    EXPECT_FALSE(a().file.modified);

    // A new change after an undo drops what could be redone.
    run(IDM_EDIT_NEW_SYNTAX);
    run(IDM_EDIT_UNDO);
    EXPECT_TRUE(canRedo());
    run(IDM_EDIT_NEW_CHILD);
    EXPECT_FALSE(canRedo());
    EXPECT_EQ(run(IDM_EDIT_REDO), 1) << "nothing to redo is no failure";
    EXPECT_EQ(a().document.syntaxCount(), 5);

    // A memo edit keeps the mark, whatever undo does to the tables.
    select(0);
    SendMessageW(a().windows.memo, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(L"memo"));
    pumpMessages();
    run(IDM_EDIT_UNDO);
    EXPECT_TRUE(a().file.modified);

    // Close starts an empty history.
    ui().messageBoxAnswers.push_back(IDNO);
    ASSERT_EQ(run(IDM_FILE_CLOSE), 1);
    EXPECT_FALSE(canUndo());
    EXPECT_FALSE(canRedo());
    EXPECT_FALSE(a().file.modified);
}

TEST_F(UndoTest, TwoHundredStepsAreKeptAndTheOldestDropped) {
    ASSERT_TRUE(start());
    select(2);
    run(IDM_EDIT_NEW_CHILD);
    for (int k = 1; k < 210; ++k) run(IDM_EDIT_NEW_SYNTAX);
    ASSERT_EQ(a().document.syntaxCount(), 3 + 210);
    int undone = 0;
    while (canUndo()) {
        run(IDM_EDIT_UNDO);
        ++undone;
    }
    EXPECT_EQ(undone, HistoryLog::kMaxSteps);
    EXPECT_EQ(a().document.syntaxCount(), 3 + 10);
    EXPECT_TRUE(a().file.modified) << "the loaded state left the history";
    EXPECT_EQ(treeMismatch(a()), "");
    for (int k = 0; k < 200; ++k) run(IDM_EDIT_REDO);
    EXPECT_EQ(a().document.syntaxCount(), 3 + 210);
    EXPECT_FALSE(canRedo());
}

TEST_F(UndoTest, EachIndexEditorOkAndDeleteIsAStep) {
    ASSERT_TRUE(start());
    load({1, 1});
    addIndex({3});
    std::optional<DialogDriver> driving;
    driving.emplace();
    driving->then([](HWND list) {
        press(list, IDC_INDEX_ADD);
        SendDlgItemMessageW(list, IDC_INDEX_LIST, LB_SETCURSEL, 0, 0);
        press(list, IDC_INDEX_DELETE);
        press(list, IDOK);
    });
    driving->then([](HWND index) {
        typeText(GetDlgItem(index, IDC_INDEX_NAME), L"new");
        press(index, IDOK);
    });
    EXPECT_EQ(run(IDM_INDEX_EDIT), 1);
    driving.reset();
    ASSERT_EQ(a().document.indexCount(), 1);
    EXPECT_STREQ(a().document.indexAt(0)->name, "new");
    run(IDM_EDIT_UNDO);
    ASSERT_EQ(a().document.indexCount(), 2) << "the delete came back";
    EXPECT_STREQ(a().document.indexAt(0)->name, "idx");
    EXPECT_EQ(members(0), std::vector<int>{3});
    run(IDM_EDIT_UNDO);
    EXPECT_EQ(a().document.indexCount(), 1);
    EXPECT_FALSE(a().file.modified);
    EXPECT_FALSE(canUndo());
}

// Undo and redo re-make only the items that differ between two states; a
// seeded walk of edits, closed items and selections checks that every state
// comes back with the tree, the open items and the selection it had.
TEST_F(UndoTest, RandomEditsComeBackWithTheirOpenItemsStepByStep) {
    ASSERT_TRUE(start());
    load({1, 2, 3, 2, 1, 2, 1});
    struct View {
        std::string bytes;
        std::vector<int> open;  // per record with children: 1 when its item is open
        int selection;
    };
    const auto view = [&] {
        View v{tables(a().document), {}, a().selection.selectionIndex};
        for (int p = kRootRecord; p < a().document.syntaxCount(); ++p)
            if (a().document.hasChildren(p)) v.open.push_back(expanded(p) ? 1 : 0);
        return v;
    };
    const auto same = [&](const View& want, const char* when, int step) {
        SCOPED_TRACE(std::string(when) + " step " + std::to_string(step));
        const View got = view();
        EXPECT_EQ(difference(got.bytes, want.bytes), "");
        EXPECT_EQ(got.open, want.open);
        EXPECT_EQ(got.selection, want.selection);
        EXPECT_EQ(recordForItem(a(), caret()), want.selection);
        EXPECT_EQ(treeMismatch(a()), "");
    };
    const int commands[] = {IDM_EDIT_PASTE, IDM_EDIT_PASTE_CHILD, IDM_ORDER_UP, IDM_ORDER_DOWN,
                            IDM_EDIT_DELETE, IDM_EDIT_NEW_SYNTAX, IDM_EDIT_NEW_CHILD, IDM_EDIT_CUT};
    std::uint32_t seed = 16;
    const auto next = [&](int below) {
        seed = seed * 1103515245u + 12345u;
        return int((seed >> 16) % std::uint32_t(below));
    };
    std::vector<View> states{view()};
    for (int step = 0; step < 60; ++step) {
        const int count = a().document.syntaxCount();
        // A closed item or two, and a copy now and then, between the edits.
        const int some = kFirstUserRecord + next(count - kFirstUserRecord);
        if (a().document.hasChildren(some) && next(3) == 0) setRecordExpanded(a(), some, false);
        select(kRootRecord + next(count - kRootRecord));
        if (next(4) == 0 && a().selection.selectionIndex >= kFirstUserRecord) run(IDM_EDIT_COPY_TREE);
        // What the apply step keeps quietly (a normalised line count) is kept
        // now, not by the next command's apply.
        applyPaneEdits(a(), true);
        // The step starts from what the tree shows now.
        states.back() = view();
        const std::string before = states.back().bytes;
        run(commands[next(int(std::size(commands)))]);
        if (tables(a().document) != before) states.push_back(view());
    }
    ASSERT_GT(states.size(), 20u);
    for (int k = int(states.size()) - 2; k >= 0; --k) {
        run(IDM_EDIT_UNDO);
        same(states[std::size_t(k)], "undo to", k);
    }
    for (std::size_t k = 1; k < states.size(); ++k) {
        run(IDM_EDIT_REDO);
        same(states[k], "redo to", int(k));
    }
}

}  // namespace
}  // namespace lumaset::testing
