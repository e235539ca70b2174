// The find bar and F3/Shift+F3 as a user meets them: keys through the
// message loop, hits selected in the tree, the wrap's beep, no hit.
#include <windows.h>

#include <cstring>

#include "gui/edit_fixture.h"
#include "pattern/derived_fields.h"
#include "pattern/pattern_code.h"
#include "resources/resource_ids.h"
#include "shell/find_bar.h"

namespace lumaset::testing {
namespace {

class FindTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        ASSERT_TRUE(start());
        Document& doc = a().document;
        add("Mail", 1, "^From:");               // 3
        add("news", 2, "", "^End");             // 4, under 3
        add("Chat", 1, "", "", "Room ");        // 5
        add("mail list", 1);                    // 6
        buildTree(a());
        pumpMessages();
        ASSERT_EQ(doc.syntaxCount(), 7);
    }
    void TearDown() override {
        setShift(false);
        EditTest::TearDown();
    }
    void add(const char* name, int depth, const char* pattern = "", const char* exit = "", const char* title = "") {
        Document& doc = a().document;
        appendSyntax(doc, name, depth);
        const int position = doc.syntaxCount() - 1;
        SyntaxRecord& record = *doc.syntaxAt(position);
        std::strcpy(record.pattern, pattern);
        std::strcpy(record.exitPattern, exit);
        std::uint8_t code[kCompileAreaSize] = {};
        const int length = compilePattern(title, code);
        ASSERT_GT(length, 0);
        std::memcpy(record.titleCode, code, std::size_t(length));
        deriveRecordFields(doc, position);
    }

    HWND bar() { return a().windows.findBar; }
    HWND control(int id) { return GetDlgItem(bar(), id); }
    // A key as the user presses it: posted to the focus, through the loop.
    void press(UINT key, bool shift = false) {
        setShift(shift);
        HWND focus = GetFocus();
        PostMessageW(focus, WM_KEYDOWN, key, 1);
        PostMessageW(focus, WM_KEYUP, key, 0xC0000001);
        pumpMessages();
        setShift(false);
    }
    static void setShift(bool down) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    int selected() { return a().selection.selectionIndex; }
    RECT rectOf(HWND window) {
        RECT r{};
        GetWindowRect(window, &r);
        return r;
    }
};

TEST_F(FindTest, TheBarFindsForwardBackwardAndWrapsWithABeep) {
    HWND tree = a().windows.tree;
    const RECT fullTree = rectOf(tree);
    select(0);
    run(IDM_EDIT_FIND);
    ASSERT_TRUE(bar());
    EXPECT_TRUE(IsWindowVisible(bar()));
    EXPECT_EQ(GetParent(bar()), a().windows.main);  // a child, never hidden behind the window
    EXPECT_EQ(GetFocus(), control(kFindTextId));
    // The bar sits under the tree, which gives up the room.
    const RECT barRect = rectOf(bar()), treeRect = rectOf(tree);
    EXPECT_EQ(treeRect.bottom, barRect.top);
    EXPECT_EQ(barRect.bottom, fullTree.bottom);
    EXPECT_EQ(barRect.left, fullTree.left);
    EXPECT_EQ(barRect.right, fullTree.right);
    for (int id : {kFindNameId, kFindPatternId, kFindExitPatternId, kFindTitleId})
        EXPECT_EQ(SendMessageW(control(id), BM_GETCHECK, 0, 0), BST_CHECKED);
    EXPECT_EQ(windowText(control(kFindNextId)), L"次を検索");
    EXPECT_EQ(windowText(control(kFindPreviousId)), L"前を検索");

    // Enter: forward, ASCII letters in either case.
    SetWindowTextW(control(kFindTextId), L"MAIL");
    press(VK_RETURN);
    EXPECT_EQ(selected(), 3);
    press(VK_RETURN);
    EXPECT_EQ(selected(), 6);
    EXPECT_EQ(beeps, 0);
    press(VK_RETURN);  // past the end: round to the first, with a beep
    EXPECT_EQ(selected(), 3);
    EXPECT_EQ(beeps, 1);
    EXPECT_EQ(GetFocus(), control(kFindTextId));  // typing can go on

    // Shift+Enter and 前を検索: backward, wrapping past the start.
    press(VK_RETURN, true);
    EXPECT_EQ(selected(), 6);
    EXPECT_EQ(beeps, 2);
    SendMessageW(control(kFindPreviousId), BM_CLICK, 0, 0);
    pumpMessages();
    EXPECT_EQ(selected(), 3);
    EXPECT_EQ(beeps, 2);
    // F3 from the bar is the main window's key too.
    press(VK_F3);
    EXPECT_EQ(selected(), 6);
    EXPECT_TRUE(ui().messageBoxes.empty());

    // A hit in a collapsed branch is shown.
    SendMessageW(tree, TVM_EXPAND, TVE_COLLAPSE, reinterpret_cast<LPARAM>(itemForRecord(a(), 3)));
    SetWindowTextW(control(kFindTextId), L"NEWS");
    press(VK_RETURN);
    EXPECT_EQ(selected(), 4);
    RECT item{};
    *reinterpret_cast<HTREEITEM*>(&item) = itemForRecord(a(), 4);
    EXPECT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&item)));
}

TEST_F(FindTest, TheCheckBoxesChooseTheFieldsAndNoHitSaysSo) {
    select(6);
    run(IDM_EDIT_FIND);
    auto uncheckAll = [&] {
        for (int id : {kFindNameId, kFindPatternId, kFindExitPatternId, kFindTitleId})
            SendMessageW(control(id), BM_SETCHECK, BST_UNCHECKED, 0);
    };
    auto findWith = [&](const wchar_t* text, int box) {
        uncheckAll();
        SendMessageW(control(box), BM_CLICK, 0, 0);  // as a click checks it
        SetWindowTextW(control(kFindTextId), text);
        SendMessageW(control(kFindNextId), BM_CLICK, 0, 0);
        pumpMessages();
        return selected();
    };
    EXPECT_EQ(findWith(L"^from", kFindPatternId), 3);
    EXPECT_EQ(findWith(L"^end", kFindExitPatternId), 4);
    EXPECT_EQ(findWith(L"room", kFindTitleId), 5);  // the title as the pane shows it
    EXPECT_EQ(findWith(L"chat", kFindNameId), 5);
    EXPECT_TRUE(ui().messageBoxes.empty());

    // The pattern's text is not searched with only 名前 checked.
    EXPECT_EQ(findWith(L"^from", kFindNameId), 5);
    ASSERT_EQ(ui().messageBoxes.size(), 1u);
    EXPECT_EQ(ui().messageBoxes[0].text, L"「^from」は見つかりません。");
    EXPECT_EQ(ui().messageBoxes[0].caption, L"Tarvelonカラー構文エディタ");
    EXPECT_EQ(ui().messageBoxes[0].owner, a().windows.main);
    // Record 2 is not among what is searched.
    EXPECT_EQ(findWith(L"(sys)", kFindNameId), 5);
    EXPECT_EQ(ui().messageBoxes.size(), 2u);
    // From 6 round to 3, and from 5 round to 5 itself; no beep for no hit.
    EXPECT_EQ(beeps, 2);
}

TEST_F(FindTest, AHitAsksAboutPendingEditsAndCancelStopsTheSearch) {
    a().find.text = L"chat";
    select(3);
    HWND pane = a().windows.propertyPane;
    HWND edit = GetDlgItem(pane, IDC_PATTERN);
    SetFocus(edit);
    SendMessageW(edit, EM_SETSEL, 0, -1);
    for (wchar_t ch : std::wstring(L"^Subject:")) SendMessageW(edit, WM_CHAR, ch, 1);
    pumpMessages();
    SetFocus(a().windows.tree);
    // Cancel (the scripted default): the edited syntax stays, nothing written.
    EXPECT_EQ(run(IDM_EDIT_FIND_NEXT), 0);
    ASSERT_EQ(ui().messageBoxes.size(), 1u);
    EXPECT_NE(ui().messageBoxes[0].text.find(L"Mail"), std::wstring::npos);
    EXPECT_EQ(selected(), 3);
    EXPECT_EQ(caret(), itemForRecord(a(), 3));
    EXPECT_EQ(windowText(GetDlgItem(pane, IDC_PATTERN)), L"^Subject:");
    // Yes: written, then the hit is selected.
    ui().messageBoxAnswers.push_back(IDYES);
    EXPECT_EQ(run(IDM_EDIT_FIND_NEXT), 1);
    EXPECT_EQ(selected(), 5);
    EXPECT_STREQ(a().document.syntaxAt(3)->pattern, "^Subject:");
}

TEST_F(FindTest, EscapeClosesTheBarAndF3KeepsSearchingWithTheLastText) {
    select(0);
    // F3 before anything was searched for asks for the text.
    press(VK_F3);
    ASSERT_TRUE(bar());
    EXPECT_TRUE(IsWindowVisible(bar()));
    EXPECT_EQ(GetFocus(), control(kFindTextId));
    SetWindowTextW(control(kFindTextId), L"mail");
    // Tab walks the bar's controls.
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), control(kFindNameId));
    press(VK_TAB);
    EXPECT_EQ(GetFocus(), control(kFindPatternId));
    SendMessageW(control(kFindPatternId), BM_SETCHECK, BST_UNCHECKED, 0);

    press(VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(bar()));
    EXPECT_EQ(GetFocus(), a().windows.tree);
    RECT tree{}, splitter{};
    GetWindowRect(a().windows.tree, &tree);
    GetWindowRect(a().windows.splitter, &splitter);
    EXPECT_EQ(tree.bottom, splitter.bottom);  // the tree has its room back

    // With the bar closed the keys use what it last held.
    press(VK_F3);
    EXPECT_EQ(selected(), 3);
    press(VK_F3);
    EXPECT_EQ(selected(), 6);
    press(VK_F3, true);
    EXPECT_EQ(selected(), 3);
    EXPECT_EQ(beeps, 0);
    EXPECT_FALSE(a().find.pattern);
    EXPECT_FALSE(IsWindowVisible(bar()));
    // Ctrl+F opens it again with the text ready to be replaced.
    run(IDM_EDIT_FIND);
    EXPECT_EQ(windowText(control(kFindTextId)), L"mail");
    DWORD start = 1, end = 0;
    SendMessageW(control(kFindTextId), EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, 4u);
    EXPECT_EQ(SendMessageW(control(kFindPatternId), BM_GETCHECK, 0, 0), BST_UNCHECKED);
}

}  // namespace
}  // namespace lumaset::testing
