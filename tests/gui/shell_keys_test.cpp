#include "gui/gui_support.h"
#include "gui/dialog_driver.h"

#include <commctrl.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "commands/document_commands.h"
#include "document/tag_file.h"
#include "resources/resource_ids.h"
#include "shell/find_bar.h"
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
    // A syntax selected, so the pane shows, and the find bar open.
    void startWithEveryPlaceShown() {
        ASSERT_TRUE(start());
        appendSyntax(a().document, "alpha", 1);
        buildTree(a());
        selectRecord(3);
        showFindBar(a());
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

// Records the balloons an edit is asked to show.
LRESULT CALLBACK recordBalloon(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                               DWORD_PTR data) {
    if (message == EM_SHOWBALLOONTIP)
        reinterpret_cast<std::vector<std::wstring>*>(data)->push_back(
            reinterpret_cast<const EDITBALLOONTIP*>(lParam)->pszText);
    return DefSubclassProc(window, message, wParam, lParam);
}

TEST_F(KeysTest, TextTheFileCannotHoldIsRefused) {
    ASSERT_TRUE(start());
    HWND memo = a().windows.memo;
    SetFocus(memo);
    std::vector<std::wstring> balloons;
    SetWindowSubclass(memo, recordBalloon, 1, reinterpret_cast<DWORD_PTR>(&balloons));
    // Hangul, e acute, sharp s and an emoji (a surrogate pair) have no cp932
    // code: typing them puts nothing in, and a balloon says why once for each
    // run of refused keys.
    typeIntoMemo(L"한글 é ß \xD83D\xDE00 end");
    EXPECT_EQ(windowText(memo), L"    end");
    EXPECT_TRUE(ui().messageBoxes.empty());
    EXPECT_EQ(balloons, (std::vector<std::wstring>(4, kCannotStoreCharacterText)));
    RemoveWindowSubclass(memo, recordBalloon, 1);

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

// Records the accelerator commands the main window gets, without running them.
LRESULT CALLBACK recordAccelerator(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                   DWORD_PTR data) {
    if (message == WM_COMMAND && HIWORD(wParam) == 1) {
        reinterpret_cast<std::vector<int>*>(data)->push_back(LOWORD(wParam));
        return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

// The places where the keys went to a control of their own first.
struct FocusPlace {
    const char* name;
    std::function<HWND(const MainWindows&)> control;
    bool memo = false;  // shown with the root item selected; comes first
};

std::vector<FocusPlace> focusPlaces() {
    const auto pane = [](int id) { return [id](const MainWindows& w) { return GetDlgItem(w.propertyPane, id); }; };
    const auto bar = [](int id) { return [id](const MainWindows& w) { return GetDlgItem(w.findBar, id); }; };
    return {{"memo", [](const MainWindows& w) { return w.memo; }, true},
            {"tree", [](const MainWindows& w) { return w.tree; }},
            {"name", pane(IDC_NAME)},
            {"pattern", pane(IDC_PATTERN)},
            {"title", pane(IDC_TITLE)},
            {"lines", pane(IDC_COLOUR_LINES)},
            {"check box", pane(IDC_INTERRUPTING)},
            {"pattern >>", pane(IDC_PATTERN_HELP)},
            {"find text", bar(kFindTextId)},
            {"find check box", bar(kFindNameId)}};
}

TEST_F(KeysTest, TheMainWindowsKeysWorkWhereverTheFocusIsAndEditingKeysStayWithTheControl) {
    ASSERT_NO_FATAL_FAILURE(startWithEveryPlaceShown());
    const MainWindows& w = a().windows;
    std::vector<int> commands;
    SetWindowSubclass(w.main, recordAccelerator, 1, reinterpret_cast<DWORD_PTR>(&commands));
    struct Key {
        UINT key;
        bool control, shift;
        int command;  // 0: the focused control's own key, from the tree too
    };
    const Key commandKeys[] = {
        {'N', true, false, IDM_EDIT_NEW_SYNTAX}, {'M', true, false, IDM_EDIT_NEW_CHILD},
        {'U', true, false, IDM_ORDER_UP},        {'D', true, false, IDM_ORDER_DOWN},
        {'Q', true, false, IDM_EDIT_COPY_ONE},   {'R', true, false, IDM_EDIT_PASTE_CHILD},
        {'F', true, false, IDM_EDIT_FIND},       {VK_F3, false, false, IDM_EDIT_FIND_NEXT},
        {VK_F3, false, true, IDM_EDIT_FIND_PREVIOUS}, {'S', true, false, IDM_FILE_SAVE},
        {'O', true, false, IDM_FILE_OPEN},
    };
    const Key editingKeys[] = {{'C', true, false, 0},    {'X', true, false, 0},      {'V', true, false, 0},
                               {'Z', true, false, 0},    {'Y', true, false, 0},      {'A', true, false, 0},
                               {VK_DELETE, false, false, 0}, {VK_LEFT, false, false, 0}, {VK_HOME, false, true, 0}};
    const auto pressKey = [&](HWND target, const Key& key) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = key.control ? 0x80 : 0;
        keys[VK_SHIFT] = keys[VK_LSHIFT] = key.shift ? 0x80 : 0;
        SetKeyboardState(keys);
        MSG msg{target, WM_KEYDOWN, key.key, 1, GetTickCount(), {}};
        routeMessage(msg);
        keys[VK_CONTROL] = keys[VK_LCONTROL] = keys[VK_SHIFT] = keys[VK_LSHIFT] = 0;
        SetKeyboardState(keys);
        pumpMessages();
    };
    for (const FocusPlace& place : focusPlaces()) {
        selectRecord(place.memo ? 0 : 3);
        HWND control = place.control(w);
        ASSERT_TRUE(control && IsWindowVisible(control)) << place.name;
        for (const Key& key : commandKeys) {
            SCOPED_TRACE(std::string(place.name) + " key " + std::to_string(key.key));
            // Greyed, a command's key does nothing anywhere; here it counts
            // where the key went.
            EnableMenuItem(w.mainMenu, UINT(key.command), MF_BYCOMMAND | MF_ENABLED);
            commands.clear();
            SetFocus(control);
            pressKey(control, key);
            EXPECT_EQ(commands, std::vector<int>{key.command});
        }
        if (control == w.tree) continue;  // the tree has no text of its own
        for (const Key& key : editingKeys) {
            SCOPED_TRACE(std::string(place.name) + " editing key " + std::to_string(key.key));
            commands.clear();
            SetFocus(control);
            pressKey(control, key);
            EXPECT_TRUE(commands.empty());
        }
    }

    // The editing keys act on the text: Ctrl+V pastes into a pane field,
    // Delete takes a character out of the memo.
    setClipboardText(L"zz");
    HWND name = GetDlgItem(w.propertyPane, IDC_NAME);
    SetWindowTextW(name, L"ab");
    SetFocus(name);
    SendMessageW(name, EM_SETSEL, 2, 2);
    pressKey(name, {'V', true, false, 0});
    EXPECT_EQ(windowText(name), L"abzz");
    SetWindowTextW(w.memo, L"memo");  // hidden, but the keys go to it all the same
    SendMessageW(w.memo, EM_SETSEL, 0, 0);
    pressKey(w.memo, {VK_DELETE, false, false, 0});
    EXPECT_EQ(windowText(w.memo), L"emo");
    RemoveWindowSubclass(w.main, recordAccelerator, 1);
}

TEST_F(KeysTest, AfterABoxOrADialogTheFocusIsBackWhereItWas) {
    ASSERT_NO_FATAL_FAILURE(startWithEveryPlaceShown());
    const MainWindows& w = a().windows;
    // The index editor for real, opened from a pane field.
    const auto scriptedDialogs = uiHooks().modalDialog;
    {
        DialogDriver driver;
        driver.then([](HWND list) { testing::press(list, IDCANCEL); });
        HWND title = GetDlgItem(w.propertyPane, IDC_TITLE);
        SetFocus(title);
        runCommand(IDM_INDEX_EDIT);
        pumpMessages();
        EXPECT_EQ(driver.dialogsRun(), std::vector<int>{IDD_INDEX_LIST});
        EXPECT_EQ(GetFocus(), title);
    }
    uiHooks().modalDialog = scriptedDialogs;
    // A real box disables its owner, which leaves the focus nowhere, and
    // gives it back to whichever child the system picks: the tree, say.
    UiHooks& hooks = uiHooks();
    const auto stealFocus = [&] {
        EnableWindow(w.main, FALSE);
        EnableWindow(w.main, TRUE);
        SetFocus(w.tree);
    };
    const auto box = hooks.messageBox;
    hooks.messageBox = [&](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
        stealFocus();
        return box(owner, text, caption, type);
    };
    const auto file = hooks.fileDialog;
    hooks.fileDialog = [&](const FileDialogRequest& request) {
        stealFocus();
        return file(request);
    };
    const auto dialog = hooks.modalDialog;
    hooks.modalDialog = [&](HINSTANCE instance, int id, HWND owner, DLGPROC proc, LPARAM param) {
        stealFocus();
        return dialog(instance, id, owner, proc, param);
    };
    struct Asking {
        const char* name;
        int command;
        std::size_t boxes, files, dialogs;  // what it showed
    };
    const Asking commands[] = {
        {"close: the save question, cancelled", IDM_FILE_CLOSE, 1, 0, 0},
        {"save as: the file dialog, cancelled", IDM_FILE_SAVE_AS, 0, 1, 0},
        {"the index editor", IDM_INDEX_EDIT, 0, 0, 1},
        {"about", IDM_HELP_ABOUT, 0, 0, 1},
    };
    for (const FocusPlace& place : focusPlaces()) {
        selectRecord(place.memo ? 0 : 3);
        HWND control = place.control(w);
        for (const Asking& asking : commands) {
            SCOPED_TRACE(std::string(place.name) + ", " + asking.name);
            markModified();
            ui().messageBoxes.clear();
            ui().fileDialogs.clear();
            ui().dialogs.clear();
            SetFocus(control);
            runCommand(asking.command);
            pumpMessages();
            EXPECT_EQ(ui().messageBoxes.size(), asking.boxes);
            EXPECT_EQ(ui().fileDialogs.size(), asking.files);
            EXPECT_EQ(ui().dialogs.size(), asking.dialogs);
            EXPECT_EQ(GetFocus(), control);
        }
    }
}

TEST_F(KeysTest, ToolbarTooltips) {
    ASSERT_TRUE(start());
    HWND toolbar = a().windows.toolbar;
    ASSERT_EQ(SendMessageW(toolbar, TB_BUTTONCOUNT, 0, 0), 18);
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
