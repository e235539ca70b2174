#include "gui/gui_support.h"

#include <commctrl.h>

#include <algorithm>

#include <cstring>

#include "commands/document_commands.h"
#include "document/tag_file.h"
#include "pattern/derived_fields.h"
#include "properties/property_pane.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "ui/text_convert.h"
#include "views/command_states.h"
#include "views/tree_mirror.h"

namespace lumaset::testing {
namespace {

constexpr wchar_t kQuestionTail[] = L" の内容が書き換えられています。適用しますか？";

class PaneTest : public GuiTest {
protected:
    HWND pane() { return a().windows.propertyPane; }
    HWND field(int id) { return GetDlgItem(pane(), id); }
    SyntaxRecord& record(int position) { return *a().document.syntaxAt(position); }

    // A user syntax at the end of the table with its derived fields, as a
    // loaded file has them.
    void addSyntax(const char* name, int depth) {
        appendSyntax(a().document, name, depth);
        deriveRecordFields(a().document, a().document.syntaxCount() - 1);
    }
    void startWith(std::initializer_list<std::pair<const char*, int>> syntaxes) {
        ASSERT_TRUE(start());
        for (auto [name, depth] : syntaxes) addSyntax(name, depth);
        buildTree(a());
        pumpMessages();
    }
    void select(int position) {
        SendMessageW(a().windows.tree, TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(position ? itemForRecord(a(), position) : a().tree.rootItem));
        pumpMessages();
    }
    HTREEITEM selectedItem() { return treeItem(a().windows.tree, nullptr, TVGN_CARET); }
    // Typed at the end of the field, one WM_CHAR at a time, as the keyboard
    // would.
    void type(int id, const std::wstring& text) {
        HWND edit = field(id);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, GetWindowTextLengthW(edit), GetWindowTextLengthW(edit));
        for (wchar_t ch : text) SendMessageW(edit, WM_CHAR, ch, 1);
        pumpMessages();
    }
    void retype(int id, const std::wstring& text) {
        SendMessageW(field(id), EM_SETSEL, 0, -1);
        SendMessageW(field(id), WM_CHAR, VK_BACK, 1);
        type(id, text);
    }
    void click(int id) {
        SendMessageW(field(id), BM_CLICK, 0, 0);
        pumpMessages();
    }
    std::wstring text(int id) { return windowText(field(id)); }
    bool enabled(int id) { return IsWindowEnabled(field(id)) != FALSE; }
    bool isChecked(int id) { return IsDlgButtonChecked(pane(), id) == BST_CHECKED; }
    std::string name(int position) { return std::string(fieldText(record(position).name, kNameSize)); }
    std::string pattern(int position) { return std::string(fieldText(record(position).pattern, kPatternSize)); }
    void putSyntaxBlockOnClipboard() {
        ASSERT_TRUE(OpenClipboard(a().windows.main));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE | GMEM_DDESHARE, 4 + kSyntaxRecordSize);
        auto* bytes = static_cast<std::uint8_t*>(GlobalLock(block));
        std::memset(bytes, 0, 4 + kSyntaxRecordSize);
        bytes[0] = 1;
        GlobalUnlock(block);
        SetClipboardData(syntaxClipboardFormat(), block);
        CloseClipboard();
        pumpMessages();
    }
    void emptyClipboard() {
        ASSERT_TRUE(OpenClipboard(a().windows.main));
        EmptyClipboard();
        CloseClipboard();
        pumpMessages();
    }
    bool buttonEnabled(int command) {
        return SendMessageW(a().windows.toolbar, TB_ISBUTTONENABLED, command, 0) != 0;
    }
    bool menuEnabled(int command) {
        return (GetMenuState(a().windows.mainMenu, UINT(command), MF_BYCOMMAND) & MF_GRAYED) == 0;
    }
};

TEST_F(PaneTest, SwitchingAsksOnlyAboutEditsAndEachAnswerDoesWhatItSays) {
    startWith({{"alpha", 1}, {"beta", 1}});
    select(3);
    EXPECT_TRUE(isShown(pane()));
    EXPECT_FALSE(isShown(a().windows.memo));
    EXPECT_EQ(text(IDC_NAME), L"alpha");

    // Nothing changed: no question, no modified mark.
    select(4);
    EXPECT_TRUE(ui().messageBoxes.empty());
    EXPECT_FALSE(a().file.modified);

    // No: the edit goes and the other syntax is shown.
    select(3);
    type(IDC_PATTERN, L"abc");
    ui().messageBoxAnswers.push_back(IDNO);
    select(4);
    ASSERT_EQ(ui().messageBoxes.size(), 1u);
    EXPECT_EQ(ui().messageBoxes[0].text, std::wstring(L"alpha") + kQuestionTail);
    EXPECT_EQ(ui().messageBoxes[0].caption, L"Tarvelonカラー構文エディタ");
    EXPECT_EQ(ui().messageBoxes[0].owner, pane());
    EXPECT_EQ(ui().messageBoxes[0].type & MB_TYPEMASK, UINT(MB_YESNOCANCEL));
    EXPECT_EQ(pattern(3), "");
    EXPECT_FALSE(a().file.modified);
    EXPECT_EQ(a().selection.selectionIndex, 4);
    EXPECT_EQ(text(IDC_NAME), L"beta");

    // Cancel: the tree goes back to the edited syntax, the pane keeps the
    // edit and gets the focus, its commands stay as they were.
    select(3);
    type(IDC_PATTERN, L"abc");
    const std::uint8_t flagsOfAlpha = a().selection.commandFlags;
    SetFocus(a().windows.tree);
    select(4);
    EXPECT_EQ(ui().messageBoxes.size(), 2u);
    EXPECT_EQ(selectedItem(), itemForRecord(a(), 3));
    EXPECT_EQ(a().selection.selectionIndex, 3);
    EXPECT_EQ(text(IDC_PATTERN), L"abc");
    EXPECT_EQ(pattern(3), "");
    EXPECT_EQ(GetFocus(), field(IDC_PATTERN));
    EXPECT_EQ(a().selection.commandFlags, flagsOfAlpha);
    EXPECT_EQ(a().selection.pushedCommandFlags, flagsOfAlpha);
    EXPECT_FALSE(a().file.modified);

    // Yes: written, marked modified, the other syntax shown.
    ui().messageBoxAnswers.push_back(IDYES);
    select(4);
    EXPECT_EQ(pattern(3), "abc");
    EXPECT_TRUE(a().file.modified);
    EXPECT_EQ(a().selection.selectionIndex, 4);
    EXPECT_EQ(treeItemText(a().windows.tree, itemForRecord(a(), 3)), L"alpha");
}

TEST_F(PaneTest, ApplyShowsTheStoredFormAndRenamesOnlyWhenTheNameChanged) {
    startWith({{"alpha", 1}, {"beta", 1}});
    select(3);
    // 116 characters: a code of 2 + 116 + 1 = 119 bytes fits.
    retype(IDC_TITLE, std::wstring(116, L'x'));
    click(IDOK);
    EXPECT_TRUE(ui().messageBoxes.empty());
    EXPECT_EQ(record(3).titleCode[1], 116);
    EXPECT_TRUE(a().file.modified);
    EXPECT_EQ(GetFocus(), a().windows.tree);
    EXPECT_EQ(treeItemText(a().windows.tree, itemForRecord(a(), 3)), L"alpha");

    // 120 bytes of code: refused, nothing written, the text stays.
    type(IDC_TITLE, L"x");
    const SyntaxRecord before = record(3);
    click(IDOK);
    ASSERT_EQ(ui().messageTexts().size(), 1u);
    EXPECT_EQ(ui().messageTexts()[0], "タイトルの構文が長すぎます。");
    EXPECT_EQ(std::memcmp(&before, &record(3), sizeof before), 0);
    EXPECT_EQ(text(IDC_TITLE), std::wstring(117, L'x'));

    // A title that does not compile.
    retype(IDC_TITLE, L"\\(1,128)");
    click(IDOK);
    EXPECT_EQ(ui().messageTexts().back(), "タイトルの構文の変換に失敗しました。");
    EXPECT_EQ(std::memcmp(&before, &record(3), sizeof before), 0);

    // After Apply the field shows the stored code's own form.
    retype(IDC_TITLE, L"\\( 3 , NIF , -5 )");
    click(IDOK);
    EXPECT_EQ(text(IDC_TITLE), L"\\(3,NIF,-5)");

    // The label follows a new name, and the name alone.
    retype(IDC_NAME, L"ガンマ");
    click(IDOK);
    EXPECT_EQ(name(3), cp932FromWide(L"ガンマ"));
    EXPECT_EQ(treeItemText(a().windows.tree, itemForRecord(a(), 3)), L"ガンマ");
    EXPECT_EQ(treeItemText(a().windows.tree, itemForRecord(a(), 4)), L"beta");
}

TEST_F(PaneTest, FieldsHoldTheirByteLimitsAndUntouchedFieldsKeepTheirBytes) {
    startWith({{"alpha", 1}});
    select(3);
    // 49 bytes: 24 double-byte characters and one more byte.
    retype(IDC_NAME, std::wstring(25, L'あ'));
    EXPECT_EQ(text(IDC_NAME), std::wstring(24, L'あ'));
    type(IDC_NAME, L"ab");
    EXPECT_EQ(text(IDC_NAME), std::wstring(24, L'あ') + L"a");
    retype(IDC_TITLE, std::wstring(120, L'y'));
    EXPECT_EQ(text(IDC_TITLE).size(), 119u);
    retype(IDC_EXIT_PATTERN, std::wstring(99, L'z'));
    EXPECT_EQ(text(IDC_EXIT_PATTERN).size(), 98u);
    click(IDCANCEL);
    EXPECT_EQ(text(IDC_NAME), L"alpha");

    // 0x85 0x40 is no cp932 character: shown as something else, kept as it
    // was while the field is not touched.
    const char broken[] = "x\x85\x40y";
    std::strcpy(record(3).name, broken);
    std::strcpy(record(3).exitPattern, broken);
    select(0);
    select(3);
    type(IDC_PATTERN, L"p");
    click(IDOK);
    EXPECT_EQ(pattern(3), "p");
    EXPECT_EQ(name(3), broken);
    EXPECT_EQ(std::string(fieldText(record(3).exitPattern, kExitPatternSize)), broken);
    // Edited, the field stores what it shows.
    const std::wstring shown = text(IDC_NAME);
    type(IDC_NAME, L"z");
    click(IDOK);
    EXPECT_EQ(name(3), cp932FromWide(shown + L"z"));
}

TEST_F(PaneTest, LineEscapesLinesToColourAndTheTopRecord) {
    startWith({{"alpha", 1}});
    std::strcpy(record(3).pattern, "1\\n2\\n3\\n4\\n5\\n6");
    deriveRecordFields(a().document, 3);
    select(3);
    EXPECT_EQ(text(IDC_PATTERN), L"1\\n\r\n2\\n\r\n3\\n\r\n4\\n5\\n6");
    // Any edit gives all five escapes their breaks; the caret stays put.
    type(IDC_PATTERN, L"7");
    EXPECT_EQ(text(IDC_PATTERN), L"1\\n\r\n2\\n\r\n3\\n\r\n4\\n\r\n5\\n\r\n67");
    type(IDC_PATTERN, L"\\n");
    EXPECT_EQ(text(IDC_PATTERN), L"1\\n\r\n2\\n\r\n3\\n\r\n4\\n\r\n5\\n\r\n67\\n\r\n");
    type(IDC_PATTERN, L"8");
    click(IDOK);
    EXPECT_EQ(pattern(3), "1\\n2\\n3\\n4\\n5\\n67\\n8");

    // Lines to colour: at least 1, at most the pattern's line count.
    std::strcpy(record(3).pattern, "a\\nb\\nc");
    deriveRecordFields(a().document, 3);
    click(IDCANCEL);
    for (auto [typed, stored] : {std::pair{L"0", 1}, {L"", 1}, {L"ab", 1}, {L"9", 3}, {L"2", 2}}) {
        SCOPED_TRACE(::testing::Message() << stored);
        SetDlgItemTextW(pane(), IDC_COLOUR_LINES, typed);
        click(IDOK);
        EXPECT_EQ(record(3).colourLines, stored);
    }
    // The arrows stop at 4.
    SetDlgItemInt(pane(), IDC_COLOUR_LINES, 4, FALSE);
    SendMessageW(field(IDC_COLOUR_LINES_SPIN), UDM_SETPOS32, 0, 9);
    EXPECT_EQ(GetDlgItemInt(pane(), IDC_COLOUR_LINES, nullptr, FALSE), 4u);
    click(IDCANCEL);

    // Record 2: shown, nothing editable, and only lines to colour changes
    // on apply.
    select(2);
    for (int id : {IDC_NAME, IDC_PATTERN, IDC_PATTERN_HELP, IDC_TITLE, IDC_TITLE_HELP, IDC_COLOUR_LINES,
                   IDC_COLOUR_LINES_SPIN, IDC_MESSAGE_SYNTAX, IDC_EXIT_PATTERN, IDC_INTERRUPTING,
                   IDC_JUMP_TO_CHILD, IDC_MESSAGE_FORMAT})
        EXPECT_FALSE(enabled(id)) << id;
    EXPECT_FALSE(menuEnabled(IDM_EDIT_DELETE));
    record(2).colourLines = 3;
    const SyntaxRecord top = record(2);
    click(IDOK);
    SyntaxRecord expected = top;
    expected.colourLines = 1;
    EXPECT_EQ(std::memcmp(&expected, &record(2), sizeof expected), 0);
    select(3);
    EXPECT_TRUE(menuEnabled(IDM_EDIT_DELETE));
}

TEST_F(PaneTest, CheckBoxesAndTheExitPatternFollowEachOther) {
    startWith({{"parent", 1}, {"child", 2}, {"both", 1}});
    select(4);
    EXPECT_TRUE(enabled(IDC_EXIT_PATTERN));
    EXPECT_FALSE(enabled(IDC_MESSAGE_FORMAT));
    click(IDC_INTERRUPTING);
    EXPECT_FALSE(isChecked(IDC_JUMP_TO_CHILD));
    EXPECT_FALSE(enabled(IDC_JUMP_TO_CHILD));
    click(IDC_INTERRUPTING);
    EXPECT_TRUE(enabled(IDC_JUMP_TO_CHILD));
    click(IDC_JUMP_TO_CHILD);
    EXPECT_FALSE(enabled(IDC_INTERRUPTING));
    click(IDC_JUMP_TO_CHILD);
    EXPECT_TRUE(enabled(IDC_INTERRUPTING));
    click(IDC_MESSAGE_SYNTAX);
    EXPECT_TRUE(enabled(IDC_MESSAGE_FORMAT));
    click(IDOK);
    EXPECT_EQ(record(4).messageFormat.kind, kMessageNumberChecked);

    // A syntax with children: no exit pattern, no interrupting.
    select(3);
    for (int id : {IDC_EXIT_PATTERN, IDC_EXIT_PATTERN_HELP, IDC_INTERRUPTING}) EXPECT_FALSE(enabled(id)) << id;

    // Both flags from a file: the jump flag goes at once, without a mark,
    // and applying alone changes nothing.
    record(5).interrupting = 1;
    record(5).jumpToChild = 1;
    select(5);
    EXPECT_EQ(record(5).jumpToChild, 0);
    EXPECT_TRUE(isChecked(IDC_INTERRUPTING));
    EXPECT_FALSE(isChecked(IDC_JUMP_TO_CHILD));
    EXPECT_FALSE(enabled(IDC_JUMP_TO_CHILD));
    EXPECT_TRUE(enabled(IDC_EXIT_PATTERN));
    a().file.modified = false;
    click(IDOK);
    EXPECT_FALSE(a().file.modified);

    click(IDC_PROPERTIES_HELP);
    EXPECT_EQ(ui().helpContexts, std::vector<unsigned>{HELP_CONTEXT_PROPERTIES});
}

TEST_F(PaneTest, CommandsFollowTheSelectionAndTheClipboard) {
    startWith({{"first", 1}, {"second", 1}, {"closing", 1}});
    std::strcpy(record(5).exitPattern, "end");
    emptyClipboard();

    const auto flagsAt = [&](int position) {
        select(position);
        EXPECT_EQ(a().selection.pushedCommandFlags, a().selection.commandFlags);
        return a().selection.commandFlags;
    };
    EXPECT_EQ(flagsAt(0), 0);
    EXPECT_FALSE(buttonEnabled(IDM_EDIT_NEW_CHILD));
    EXPECT_FALSE(menuEnabled(IDM_EDIT_CUT));
    EXPECT_EQ(flagsAt(2), kCanNewChild);
    EXPECT_EQ(flagsAt(3), kCanCutCopyDelete | kCanNewSyntax | kCanNewChild | kCanMoveDown);
    EXPECT_EQ(flagsAt(4), kCanCutCopyDelete | kCanNewSyntax | kCanNewChild | kCanMoveUp | kCanMoveDown);
    EXPECT_EQ(flagsAt(5), kCanCutCopyDelete | kCanNewSyntax | kCanMoveUp);
    EXPECT_TRUE(buttonEnabled(IDM_EDIT_CUT));
    EXPECT_TRUE(menuEnabled(IDM_EDIT_DELETE));
    EXPECT_FALSE(buttonEnabled(IDM_EDIT_NEW_CHILD));
    EXPECT_FALSE(menuEnabled(IDM_ORDER_DOWN));

    // The private format arrives: the paste commands follow at once.
    select(4);
    putSyntaxBlockOnClipboard();
    EXPECT_EQ(a().selection.commandFlags & (kCanPaste | kCanPasteChild), kCanPaste | kCanPasteChild);
    EXPECT_TRUE(buttonEnabled(IDM_EDIT_PASTE));
    EXPECT_TRUE(menuEnabled(IDM_EDIT_PASTE_CHILD));
    EXPECT_EQ(flagsAt(5) & (kCanPaste | kCanPasteChild), kCanPaste);
    EXPECT_EQ(flagsAt(2), kCanNewChild | kCanPasteChild);
    EXPECT_EQ(flagsAt(0), 0);
    EXPECT_FALSE(buttonEnabled(IDM_EDIT_PASTE_CHILD));
    select(5);
    emptyClipboard();
    EXPECT_EQ(a().selection.commandFlags & (kCanPaste | kCanPasteChild), 0);
    EXPECT_FALSE(buttonEnabled(IDM_EDIT_PASTE));
}

TEST_F(PaneTest, ThePaneStaysInViewWhenTheUserLeavesItForTheTree) {
    startWith({{"alpha", 1}, {"beta", 1}, {"gamma", 1}});
    select(3);
    const auto paneVisibleWithControls = [&] {
        EXPECT_TRUE(IsWindowVisible(pane()));
        for (int id : {IDC_NAME, IDC_PATTERN, IDOK}) EXPECT_TRUE(IsWindowVisible(field(id))) << id;
        RECT paneRect, mainRect;
        GetWindowRect(pane(), &paneRect);
        GetClientRect(a().windows.main, &mainRect);
        EXPECT_GT(paneRect.right - paneRect.left, (mainRect.right - mainRect.left) / 2);
        // Nothing covers the pane's middle.
        POINT middle{(paneRect.left + paneRect.right) / 2, (paneRect.top + paneRect.bottom) / 2};
        HWND there = WindowFromPoint(middle);
        EXPECT_TRUE(there == pane() || IsChild(pane(), there));
    };
    // Focus in the pane, then a click on another item.
    SetFocus(field(IDC_NAME));
    RECT itemRect{};
    *reinterpret_cast<HTREEITEM*>(&itemRect) = itemForRecord(a(), 4);
    ASSERT_TRUE(SendMessageW(a().windows.tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&itemRect)));
    const LPARAM at = MAKELPARAM((itemRect.left + itemRect.right) / 2, (itemRect.top + itemRect.bottom) / 2);
    // Posted, both: the tree waits in a loop of its own for the button to
    // come up.
    PostMessageW(a().windows.tree, WM_LBUTTONDOWN, MK_LBUTTON, at);
    PostMessageW(a().windows.tree, WM_LBUTTONUP, 0, at);
    pumpMessages();
    EXPECT_EQ(a().selection.selectionIndex, 4);
    EXPECT_EQ(text(IDC_NAME), L"beta");
    paneVisibleWithControls();

    // Focus in the pane again, then the arrow key on the tree.
    SetFocus(field(IDC_TITLE));
    SetFocus(a().windows.tree);
    MSG down{a().windows.tree, WM_KEYDOWN, VK_DOWN, 1, GetTickCount(), {}};
    routeMessage(down);
    pumpMessages();
    EXPECT_EQ(a().selection.selectionIndex, 5);
    EXPECT_EQ(text(IDC_NAME), L"gamma");
    paneVisibleWithControls();
}

TEST_F(PaneTest, WideningMovesTheControlsAndNarrowingPastHalfLeavesThem) {
    startWith({{"alpha", 1}});
    select(3);
    const auto rectOf = [&](int id) {
        RECT r{};
        GetWindowRect(field(id), &r);
        MapWindowPoints(nullptr, pane(), reinterpret_cast<POINT*>(&r), 2);
        return r;
    };
    RECT client{};
    GetClientRect(pane(), &client);
    const int width = client.right;
    const RECT name = rectOf(IDC_NAME), button = rectOf(IDC_TITLE_HELP);
    SetWindowPos(pane(), nullptr, 0, 0, width + 40, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(rectOf(IDC_NAME).right, name.right + 40);
    EXPECT_EQ(rectOf(IDC_NAME).left, name.left);
    EXPECT_EQ(rectOf(IDC_TITLE_HELP).left, button.left + 40);
    EXPECT_EQ(rectOf(IDC_TITLE_HELP).right - rectOf(IDC_TITLE_HELP).left, button.right - button.left);
    // Narrower than the check boxes and labels that keep their size (or
    // half the first width): the fields stop there, and the pane scrolls
    // sideways to reach the rest.
    RECT created{0, 0, 275, 221};  // the dialog's own size
    MapDialogRect(pane(), &created);
    const int stop = std::max(int(created.right / 2 + 1),
                              int(rectOf(IDC_JUMP_TO_CHILD).right + (width - button.right)));
    SetWindowPos(pane(), nullptr, 0, 0, created.right / 3, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(rectOf(IDC_NAME).right, name.right - (width - stop));
    EXPECT_TRUE(GetWindowLongW(pane(), GWL_STYLE) & WS_HSCROLL);
    SendMessageW(pane(), WM_HSCROLL, SB_BOTTOM, 0);
    RECT view{};
    GetClientRect(pane(), &view);
    EXPECT_LE(rectOf(IDC_TITLE_HELP).right, view.right) << "the last >> scrolled into view";
    SendMessageW(pane(), WM_HSCROLL, SB_TOP, 0);
    // Too low as well: 適用 is reached by scrolling down.
    SetWindowPos(pane(), nullptr, 0, 0, created.right / 3, created.bottom / 2, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_TRUE(GetWindowLongW(pane(), GWL_STYLE) & WS_VSCROLL);
    SendMessageW(pane(), WM_VSCROLL, SB_BOTTOM, 0);
    GetClientRect(pane(), &view);
    EXPECT_LE(rectOf(IDOK).bottom, view.bottom);
    EXPECT_GE(rectOf(IDOK).top, 0);
    SetWindowPos(pane(), nullptr, 0, 0, created.right / 3, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_FALSE(GetWindowLongW(pane(), GWL_STYLE) & WS_VSCROLL);
    EXPECT_EQ(rectOf(IDC_NAME).top, name.top) << "scrolled back with the bar gone";
    // Just that wide: no bar, nothing cut.
    SetWindowPos(pane(), nullptr, 0, 0, stop, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(rectOf(IDC_NAME).right, name.right - (width - stop));
    EXPECT_LE(rectOf(IDC_JUMP_TO_CHILD).right, stop);
    EXPECT_FALSE(GetWindowLongW(pane(), GWL_STYLE) & WS_HSCROLL);
    SetWindowPos(pane(), nullptr, 0, 0, width + 10, client.bottom, SWP_NOMOVE | SWP_NOZORDER);
    EXPECT_EQ(rectOf(IDC_NAME).right, name.right + 10);
    EXPECT_EQ(rectOf(IDC_TITLE_HELP).left, button.left + 10);

    // With the main window: enlarged and back, every ">>" stays beside its
    // field and inside the pane.
    for (int show : {SW_MAXIMIZE, SW_RESTORE, SW_MAXIMIZE}) {
        ShowWindow(a().windows.main, show);
        pumpMessages();
        GetClientRect(pane(), &client);
        for (auto [edit, help] : {std::pair{IDC_PATTERN, IDC_PATTERN_HELP}, {IDC_EXIT_PATTERN, IDC_EXIT_PATTERN_HELP},
                                  {IDC_TITLE, IDC_TITLE_HELP}}) {
            SCOPED_TRACE(::testing::Message() << show << " " << help << " pane " << client.right);
            EXPECT_TRUE(IsWindowVisible(field(help)));
            EXPECT_LE(rectOf(help).right, client.right);
            EXPECT_GE(rectOf(help).left, rectOf(edit).right);
        }
    }
}

TEST_F(PaneTest, AnUnreadableTitleIsReportedOncePerSelectionWithItsSyntaxsName) {
    startWith({{"good", 1}, {"bad", 1}});
    record(4).titleCode[0] = 0xEE;  // no such opcode: only a damaged file has it
    const SyntaxRecord stored = record(4);
    const std::string told = "「bad」\nタイトルの構文の変換に失敗しました。";
    select(4);
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{told});
    fillProperties(a());  // a refill while it stays selected (after an undo, say)
    EXPECT_EQ(ui().messageTexts().size(), 1u);
    // Leaving asks nothing, adds no "Internal error" and keeps the bytes.
    select(3);
    EXPECT_EQ(ui().messageTexts().size(), 1u);
    EXPECT_EQ(std::memcmp(&record(4), &stored, sizeof stored), 0);
    select(4);
    EXPECT_EQ(ui().messageTexts(), (std::vector<std::string>{told, told}));
}

}  // namespace
}  // namespace lumaset::testing
