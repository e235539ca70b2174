#include "gui/gui_support.h"

#include <commctrl.h>

#include <cstring>

#include "commands/document_commands.h"
#include "document/tag_file.h"
#include "resources/resource_ids.h"
#include "shell/main_window.h"
#include "ui/cp932_input.h"
#include "ui/text_convert.h"
#include "views/command_states.h"
#include "views/document_state.h"
#include "views/memo_edit.h"
#include "views/tree_mirror.h"

namespace lumaset::testing {
namespace {

class KeysTest : public GuiTest {
protected:
    void TearDown() override {
        holdControl(false);
        GuiTest::TearDown();
    }
    void holdControl(bool held) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = held ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    // A key press as the message loop gets it, then whatever it leads to.
    void press(HWND target, UINT key) {
        MSG msg{target, WM_KEYDOWN, key, 1, GetTickCount(), {}};
        routeMessage(msg);
        MSG up{target, WM_KEYUP, key, LPARAM(0xC0000001), GetTickCount(), {}};
        routeMessage(up);
        pumpMessages();
    }
    void selectRecord(int position) {
        SendMessageW(a().windows.tree, TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(position ? itemForRecord(a(), position) : a().tree.rootItem));
        pumpMessages();
    }
    void typeIntoMemo(const std::wstring& text) {
        for (wchar_t ch : text) SendMessageW(a().windows.memo, WM_CHAR, ch, 1);
        pumpMessages();
    }
    void setClipboardText(const std::wstring& text) {
        ASSERT_TRUE(OpenClipboard(a().windows.main));
        EmptyClipboard();
        HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
        std::memcpy(GlobalLock(block), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(block);
        SetClipboardData(CF_UNICODETEXT, block);
        CloseClipboard();
    }
    std::wstring clipboardText() {
        std::wstring text;
        if (!OpenClipboard(a().windows.main)) return text;
        if (HANDLE data = GetClipboardData(CF_UNICODETEXT)) {
            text = static_cast<const wchar_t*>(GlobalLock(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return text;
    }
};

TEST_F(KeysTest, EnterEscapeAndCtrlTabMoveTheFocusBetweenTreeAndPane) {
    ASSERT_TRUE(start());
    const MainWindows& w = a().windows;
    appendSyntax(a().document, "first", 1);
    buildTree(a());
    pumpMessages();

    // Memo shown: Enter on the tree goes to the memo, Escape comes back.
    SetFocus(w.tree);
    press(w.tree, VK_RETURN);
    EXPECT_EQ(GetFocus(), w.memo);
    press(w.memo, VK_ESCAPE);
    EXPECT_EQ(GetFocus(), w.tree);

    // A syntax selected: Enter goes to the pane's name field.
    selectRecord(3);
    SetFocus(w.tree);
    press(w.tree, VK_RETURN);
    EXPECT_EQ(GetFocus(), GetDlgItem(w.propertyPane, IDC_NAME));

    // Ctrl+Tab from anywhere else returns to the tree, and from the tree
    // goes on to the pane.
    holdControl(true);
    press(GetFocus(), VK_TAB);
    EXPECT_EQ(GetFocus(), w.tree);
    press(w.tree, VK_TAB);
    EXPECT_EQ(GetFocus(), GetDlgItem(w.propertyPane, IDC_NAME));
    holdControl(false);

    // A plain Tab on the tree is the tree's own business.
    SetFocus(w.tree);
    press(w.tree, VK_TAB);
    EXPECT_EQ(GetFocus(), w.tree);
}

TEST_F(KeysTest, CtrlXInTheMemoCutsMemoText) {
    ASSERT_TRUE(start());
    const MainWindows& w = a().windows;
    appendSyntax(a().document, "keep me", 1);
    buildTree(a());
    pumpMessages();
    SetFocus(w.memo);
    typeIntoMemo(L"memo words");
    SendMessageW(w.memo, EM_SETSEL, 0, 4);
    setClipboardText(L"before");
    holdControl(true);
    press(w.memo, 'X');
    holdControl(false);
    EXPECT_EQ(windowText(w.memo), L" words");
    EXPECT_EQ(clipboardText(), L"memo");
    EXPECT_FALSE(IsClipboardFormatAvailable(syntaxClipboardFormat()));
}

TEST_F(KeysTest, TypingInTheMemoMarksTheDocumentModified) {
    ASSERT_TRUE(start());
    EXPECT_FALSE(a().file.modified);
    typeIntoMemo(L"x");
    EXPECT_TRUE(a().file.modified);
    EXPECT_EQ(windowText(a().windows.main), L"(新規) (更新) - Tarvelonカラー構文エディタ");
    EXPECT_EQ(memoTextFromEdit(a()), std::optional<std::string>("x"));
}

TEST_F(KeysTest, TheMemoRefusesInputPastItsByteLimit) {
    ASSERT_TRUE(start());
    HWND memo = a().windows.memo;
    // One byte short of the limit, in lines as a memo would be.
    std::wstring nearlyFull;
    while (nearlyFull.size() + 60 <= std::size_t(kMaxMemoBytes - 1)) nearlyFull += std::wstring(58, L'a') + L"\r\n";
    nearlyFull.append(std::size_t(kMaxMemoBytes - 1) - nearlyFull.size(), L'a');
    SetWindowTextW(memo, nearlyFull.c_str());
    SendMessageW(memo, EM_SETSEL, kMaxMemoBytes, kMaxMemoBytes);
    typeIntoMemo(L"あ");  // two bytes, one left: refused
    EXPECT_EQ(GetWindowTextLengthW(memo), kMaxMemoBytes - 1);
    typeIntoMemo(L"bc");  // the b fits, the c does not
    EXPECT_EQ(GetWindowTextLengthW(memo), kMaxMemoBytes);
    EXPECT_EQ(memoTextFromEdit(a())->size(), std::size_t(kMaxMemoBytes));

    // Replacing a selection frees its bytes first.
    SendMessageW(memo, EM_SETSEL, 0, 2);
    typeIntoMemo(L"あ");
    EXPECT_EQ(memoTextFromEdit(a())->size(), std::size_t(kMaxMemoBytes));

    // Pasting takes what fits, whole characters only.
    SendMessageW(memo, EM_SETSEL, 0, 2);  // frees "あa": 3 bytes
    setClipboardText(L"いうえ");
    SendMessageW(memo, WM_PASTE, 0, 0);
    const std::optional<std::string> bytes = memoTextFromEdit(a());
    ASSERT_TRUE(bytes);
    EXPECT_EQ(bytes->size(), std::size_t(kMaxMemoBytes - 1));
    EXPECT_EQ(bytes->substr(0, 2), cp932FromWide(L"い"));
    EXPECT_EQ(wideFromCp932(bytes->substr(0, 3)), L"いa");

    // Full in bytes with room in characters: Ctrl+Enter types a line feed,
    // which the edit turns into a line break, so it is refused too.
    SetWindowTextW(memo, std::wstring(std::size_t(kMaxMemoBytes / 2), L'あ').c_str());
    SendMessageW(memo, EM_SETSEL, 10, 10);
    typeIntoMemo(L"\n");
    EXPECT_EQ(GetWindowTextLengthW(memo), kMaxMemoBytes / 2);

    // Text past the limit that came in another way is given back whole,
    // never cut short.
    const std::wstring over(std::size_t(kMaxMemoBytes / 2 + 10), L'あ');
    SetWindowTextW(memo, over.c_str());
    SendMessageW(memo, EM_SETMODIFY, TRUE, 0);
    EXPECT_EQ(memoTextFromEdit(a()), std::optional<std::string>(cp932FromWide(over)));
}

TEST_F(KeysTest, AnUntouchedMemoGivesBackTheFilesOwnBytes) {
    ASSERT_TRUE(start());
    // 0x85 0x40 has no character in cp932: it would not survive a round trip.
    const std::string stored = "x\x85\x40y\r\nz";
    a().document.setMemoText(stored);
    showMemoText(a());
    EXPECT_FALSE(a().file.modified);
    EXPECT_EQ(memoTextFromEdit(a()), std::optional<std::string>(stored));
    // Emptied by the user: no memo at all.
    SetWindowTextW(a().windows.memo, L"");
    SendMessageW(a().windows.memo, EM_SETMODIFY, TRUE, 0);
    EXPECT_EQ(memoTextFromEdit(a()), std::nullopt);
}

// Records the system commands the main window gets; the menu loop that
// F10 would enter is left out, since nobody would end it.
LRESULT CALLBACK recordSysCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) {
    if (message == WM_SYSCOMMAND) {
        reinterpret_cast<std::vector<WPARAM>*>(data)->push_back(wParam & 0xFFF0);
        if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(KeysTest, AltF4AndF10ReachTheWindowFromTheTree) {
    ASSERT_TRUE(start());
    const MainWindows& w = a().windows;
    std::vector<WPARAM> commands;
    SetWindowSubclass(w.main, recordSysCommand, 1, reinterpret_cast<DWORD_PTR>(&commands));
    SetFocus(w.tree);
    const auto sysKey = [&](UINT key, LPARAM altBit) {
        MSG down{w.tree, WM_SYSKEYDOWN, key, 1 | altBit, GetTickCount(), {}};
        routeMessage(down);
        MSG up{w.tree, WM_SYSKEYUP, key, LPARAM(0xC0000001) | altBit, GetTickCount(), {}};
        routeMessage(up);
        pumpMessages();
    };
    sysKey(VK_F10, 0);
    EXPECT_EQ(commands, std::vector<WPARAM>{SC_KEYMENU});

    // Alt+F4 closes, through the save-changes question.
    markModified();
    sysKey(VK_F4, LPARAM(KF_ALTDOWN) << 16);
    ASSERT_EQ(ui().messageBoxes.size(), 1u);  // cancelled: the window stays
    EXPECT_NE(ui().messageBoxes[0].text.find(L"保存しますか"), std::wstring::npos);
    EXPECT_TRUE(IsWindow(w.main));
    ui().messageBoxAnswers.push_back(IDNO);
    SetFocus(w.tree);
    sysKey(VK_F4, LPARAM(KF_ALTDOWN) << 16);
    EXPECT_FALSE(IsWindow(w.main));
}

TEST_F(KeysTest, TheFocusComesBackWhereTheUserWas) {
    ASSERT_TRUE(start());
    const MainWindows& w = a().windows;
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 100, 100,
                                 nullptr, nullptr, nullptr, nullptr);
    const auto leaveAndComeBack = [&] {
        SetActiveWindow(other);
        pumpMessages();
        EXPECT_NE(GetActiveWindow(), w.main);
        SetActiveWindow(w.main);
        pumpMessages();
    };
    SetFocus(w.memo);
    leaveAndComeBack();
    EXPECT_EQ(GetFocus(), w.memo);

    // A control that went away meanwhile: the tree.
    SetFocus(w.memo);
    SetActiveWindow(other);
    pumpMessages();
    ShowWindow(w.memo, SW_HIDE);
    SetActiveWindow(w.main);
    pumpMessages();
    EXPECT_EQ(GetFocus(), w.tree);
    DestroyWindow(other);
}

TEST_F(KeysTest, TextTheFileCannotHoldIsRefused) {
    ASSERT_TRUE(start());
    HWND memo = a().windows.memo;
    SetFocus(memo);
    // Hangul, e acute, sharp s and an emoji (a surrogate pair) have no cp932
    // code: typing them puts nothing in.
    typeIntoMemo(L"한글 é ß \xD83D\xDE00 end");
    EXPECT_EQ(windowText(memo), L"    end");
    EXPECT_TRUE(ui().messageBoxes.empty());

    // A paste keeps what cp932 holds and says so once.
    SendMessageW(memo, EM_SETSEL, 0, 0);
    setClipboardText(L"αб한\xD83D\xDE00ｶ\r\n");
    SendMessageW(memo, WM_PASTE, 0, 0);
    EXPECT_EQ(windowText(memo), L"αбｶ\r\n    end");
    ASSERT_EQ(ui().messageBoxes.size(), 1u);
    EXPECT_EQ(ui().messageBoxes[0].text, kCharactersLeftOutText);

    // What is saved is what the screen shows.
    ui().fileDialogAnswers.push_back(tempPath(L"held.tag").wstring());
    ASSERT_EQ(runCommand(IDM_FILE_SAVE), 1);
    Document loaded;
    ASSERT_TRUE(loadTagFile(loaded, tempPath(L"held.tag")));
    EXPECT_EQ(wideFromCp932(loaded.memoText()), L"αбｶ\r\n    end");
}

TEST_F(KeysTest, ToolbarTooltips) {
    ASSERT_TRUE(start());
    HWND toolbar = a().windows.toolbar;
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 16);
    EXPECT_STREQ(tooltipTextForCommand(IDM_EDIT_COPY_TREE), L"子構文も含めてコピー (Ctrl+C)");
    EXPECT_STREQ(tooltipTextForCommand(IDM_EDIT_NEW_CHILD), L"新規子構文 (Ctrl+M)");
    EXPECT_STREQ(tooltipTextForCommand(IDM_ORDER_DOWN), L"順位を下げる (Ctrl+D)");

    // As the tooltip asks the main window; an unknown id gets the first text.
    for (auto [id, expected] : {std::pair{IDM_EDIT_PASTE_CHILD, L"子構文として貼り付け (Ctrl+R)"},
                                std::pair{IDM_HELP_ABOUT, L"新規作成"}}) {
        NMTTDISPINFOW info{};
        info.hdr.hwndFrom = toolbar;
        info.hdr.idFrom = UINT_PTR(id);
        info.hdr.code = TTN_NEEDTEXTW;
        SendMessageW(a().windows.main, WM_NOTIFY, 0, reinterpret_cast<LPARAM>(&info));
        EXPECT_STREQ(info.lpszText, expected);
        EXPECT_EQ(info.hinst, nullptr);
    }
}

}  // namespace
}  // namespace lumaset::testing
