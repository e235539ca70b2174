// The ">>" buttons' menus and the captures from the terminal, on a pane of
// dialog 104 whose procedure does what the property pane does for them.
#include <windows.h>

#include <fstream>
#include <functional>

#include "gui/gui_support.h"
#include "properties/pattern_help.h"
#include "properties/screen_capture.h"
#include "resources/resource_ids.h"
#include "ui/cp932_input.h"
#include "ui/text_convert.h"

namespace lumaset::testing {
namespace {

INT_PTR CALLBACK helpPaneProc(HWND pane, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        installCp932Input(GetDlgItem(pane, IDC_PATTERN), {199, true});
        installCp932Input(GetDlgItem(pane, IDC_EXIT_PATTERN), {98, false});
        installCp932Input(GetDlgItem(pane, IDC_TITLE), {119, false});
        createPatternHelpMenus(app(), pane);
        return TRUE;
    case WM_COMMAND:
        if (LOWORD(wParam) >= IDC_PATTERN_HELP && LOWORD(wParam) <= IDC_TITLE_HELP)
            PostMessageW(GetDlgItem(pane, LOWORD(wParam)), WMU_OPEN_HELP_MENU, 0, 0);
        return TRUE;
    case WM_DESTROY:
        destroyPatternHelpMenus(app());
        return FALSE;
    }
    return FALSE;
}

// Acts on the next popup menu once it is on screen: `onOpen` sees it and
// returns the keys to post to it. Counts the menus seen.
struct MenuDriver {
    std::function<std::vector<UINT>(HWND menuWindow)> onOpen;
    int opened = 0;
    int ticks = 0;
    HWND seen = nullptr;
};
MenuDriver* driver = nullptr;

BOOL CALLBACK findMenuWindow(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32768" && IsWindowVisible(window)) *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

void CALLBACK driveMenu(HWND, UINT, UINT_PTR, DWORD) {
    if (!driver) return;
    HWND menu = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findMenuWindow, reinterpret_cast<LPARAM>(&menu));
    if (!menu || menu == driver->seen) {
        if (menu && ++driver->ticks > 100) EndMenu();  // never leave a test hanging
        if (!menu) driver->seen = nullptr;
        return;
    }
    driver->seen = menu;
    driver->ticks = 0;
    ++driver->opened;
    for (UINT key : driver->onOpen(menu)) PostMessageW(menu, WM_KEYDOWN, key, 0);
}

class PatternHelpTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        ASSERT_TRUE(start());
        pane = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDD_PROPERTIES), a().windows.main,
                                  helpPaneProc, 0);
        ASSERT_TRUE(pane);
        ShowWindow(a().windows.propertyPane, SW_HIDE);
        a().windows.propertyPane = pane;
        ShowWindow(pane, SW_SHOW);
        timer = SetTimer(nullptr, 0, 20, driveMenu);
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        driver = nullptr;
        stopTerminal();
        GuiTest::TearDown();
    }

    HWND item(int id) const { return GetDlgItem(pane, id); }

    // Presses the mouse on the button; the driver answers the menu.
    void pressButton(int buttonId, MenuDriver& menuDriver) {
        driver = &menuDriver;
        SendMessageW(item(buttonId), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        pumpMessages();
    }
    // Chooses the item with the keyboard in a menu opened by a mouse press.
    void choose(int buttonId, UINT id) {
        HMENU menu = buttonId == IDC_TITLE_HELP ? a().patternHelp.titleHelpMenu : a().patternHelp.patternHelpMenu;
        std::vector<UINT> keys;
        for (int i = 0; i < GetMenuItemCount(menu); ++i) {
            if (GetMenuItemID(menu, i) == 0) continue;  // separators are skipped
            keys.push_back(VK_DOWN);
            if (GetMenuItemID(menu, i) == id) break;
        }
        keys.push_back(VK_RETURN);
        MenuDriver chooser{[&](HWND) { return keys; }};
        pressButton(buttonId, chooser);
    }
    void setField(int id, const wchar_t* text, int caret) {
        SetWindowTextW(item(id), text);
        SendMessageW(item(id), EM_SETSEL, caret, caret);
    }
    DWORD caret(int id) {
        DWORD start = 0;
        SendMessageW(item(id), EM_GETSEL, reinterpret_cast<WPARAM>(&start), 0);
        return start;
    }

    void startTerminal() {
        wchar_t exe[MAX_PATH];
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        const auto standin = std::filesystem::path(exe).parent_path() / L"terminal_standin.exe";
        std::wstring commandLine = L"\"" + standin.wstring() + L"\" --text \"" + tempPath(L"text").wstring() +
                                   L"\" --position \"" + tempPath(L"position").wstring() + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof(startup);
        ASSERT_TRUE(CreateProcessW(standin.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                   &startup, &terminal));
        CloseHandle(terminal.hThread);
        for (int i = 0; i < 200 && !FindWindowW(kTerminalWindowClass, nullptr); ++i) Sleep(25);
        ASSERT_TRUE(FindWindowW(kTerminalWindowClass, nullptr));
    }
    void stopTerminal() {
        if (!terminal.hProcess) return;
        TerminateProcess(terminal.hProcess, 0);
        WaitForSingleObject(terminal.hProcess, 5000);
        CloseHandle(terminal.hProcess);
        terminal = {};
    }
    // What the user selected on the terminal's screen.
    void select(const std::string& cp932Text, unsigned position = 0) {
        std::ofstream(tempPath(L"text"), std::ios::binary) << cp932Text;
        std::ofstream(tempPath(L"position"), std::ios::binary) << position;
    }

    HWND pane = nullptr;
    UINT_PTR timer = 0;
    PROCESS_INFORMATION terminal{};
};

std::wstring menuText(HMENU menu, UINT id) {
    wchar_t text[128] = {};
    GetMenuStringW(menu, id, text, 128, MF_BYCOMMAND);
    return text;
}

TEST_F(PatternHelpTest, MenusHoldTheTokensAndTheExitPatternGreysBreakAndSeparator) {
    HMENU patterns = a().patternHelp.patternHelpMenu;
    EXPECT_EQ(GetMenuItemCount(patterns), 14);
    EXPECT_EQ(menuText(patterns, 40019), L"\tTarvelonの画面から取り込む...");
    EXPECT_EQ(menuText(patterns, 40027), L"[^xxx]\t範囲外の文字");
    EXPECT_EQ(menuText(patterns, 40030), L"\\f\tタイトル取得用の区切り");
    HMENU titles = a().patternHelp.titleHelpMenu;
    EXPECT_EQ(GetMenuItemCount(titles), 10);
    EXPECT_EQ(menuText(titles, 40040), L"\t透明にする");
    EXPECT_EQ(menuText(titles, 40037), L"\\5\t５番めの区切りから６番目の区切りの間");

    for (int button : {IDC_EXIT_PATTERN_HELP, IDC_PATTERN_HELP}) {
        UINT breakState = 0, separatorState = 0;
        MenuDriver look{[&](HWND) {
            breakState = GetMenuState(patterns, 40028, MF_BYCOMMAND);
            separatorState = GetMenuState(patterns, 40030, MF_BYCOMMAND);
            return std::vector<UINT>{VK_ESCAPE};
        }};
        pressButton(button, look);
        EXPECT_EQ(look.opened, 1);
        const bool exit = button == IDC_EXIT_PATTERN_HELP;
        EXPECT_EQ((breakState & MF_GRAYED) != 0, exit);
        EXPECT_EQ((separatorState & MF_GRAYED) != 0, exit);
        // A dismissed menu leaves the focus in its field.
        EXPECT_EQ(GetFocus(), item(exit ? IDC_EXIT_PATTERN : IDC_PATTERN));
    }
}

TEST_F(PatternHelpTest, TokensAreTypedAtTheCaret) {
    setField(IDC_PATTERN, L"x\\n\r\nabc", 7);  // the caret in "abc"
    choose(IDC_PATTERN_HELP, 40020);
    EXPECT_EQ(windowText(item(IDC_PATTERN)), L"x\\n\r\n^abc");
    choose(IDC_PATTERN_HELP, 40021);
    EXPECT_EQ(windowText(item(IDC_PATTERN)), L"x\\n\r\n^abc$");

    setField(IDC_PATTERN, L"", 0);
    choose(IDC_PATTERN_HELP, 40027);
    EXPECT_EQ(windowText(item(IDC_PATTERN)), L"[^]");
    EXPECT_EQ(caret(IDC_PATTERN), 2u);
    choose(IDC_PATTERN_HELP, 40029);
    EXPECT_EQ(windowText(item(IDC_PATTERN)), L"[^\\v]");

    // The typed token replaces the selection and stops at the field's limit.
    setField(IDC_EXIT_PATTERN, (std::wstring(97, L'a')).c_str(), 97);
    choose(IDC_EXIT_PATTERN_HELP, 40026);
    EXPECT_EQ(windowText(item(IDC_EXIT_PATTERN)), std::wstring(97, L'a') + L"[");

    setField(IDC_TITLE, L"ab", 1);
    choose(IDC_TITLE_HELP, 40035);
    EXPECT_EQ(windowText(item(IDC_TITLE)), L"a\\3b");
    choose(IDC_TITLE_HELP, 40040);
    EXPECT_EQ(windowText(item(IDC_TITLE)), L"\\-");
}

TEST_F(PatternHelpTest, KeyboardOpensWithTheFirstItemHighlightedAndAClosingClickDoesNotReopen) {
    bool firstHighlighted = false;
    MenuDriver keyboard{[&](HWND) {
        firstHighlighted = (GetMenuState(a().patternHelp.titleHelpMenu, 0, MF_BYPOSITION) & MF_HILITE) != 0;
        return std::vector<UINT>{VK_ESCAPE};
    }};
    driver = &keyboard;
    SetFocus(item(IDC_TITLE_HELP));
    SendMessageW(item(IDC_TITLE_HELP), WM_KEYDOWN, VK_SPACE, 0);
    SendMessageW(item(IDC_TITLE_HELP), WM_KEYUP, VK_SPACE, 0xC0000001);
    pumpMessages();
    EXPECT_EQ(keyboard.opened, 1);
    EXPECT_EQ(firstHighlighted, a().windows.newShell);
    EXPECT_FALSE(a().windows.popupFirstItem);

    // The user clicks the button again while its menu is open.
    MenuDriver click{[&](HWND) {
        if (click.opened > 1) return std::vector<UINT>{VK_ESCAPE};  // reopened
        PostMessageW(item(IDC_PATTERN_HELP), WM_LBUTTONDOWN, MK_LBUTTON, 0);
        PostMessageW(item(IDC_PATTERN_HELP), WM_LBUTTONUP, 0, 0);
        return std::vector<UINT>{};
    }};
    pressButton(IDC_PATTERN_HELP, click);
    for (int i = 0; i < 10; ++i) {
        Sleep(20);
        pumpMessages();
    }
    EXPECT_EQ(click.opened, 1);
    EXPECT_EQ(GetFocus(), item(IDC_PATTERN));  // not the pane's first control
}

TEST_F(PatternHelpTest, CapturedTextIsPastedAsALiteralPattern) {
    startTerminal();
    select("a.b(1)");
    ui().messageBoxAnswers = {IDOK};
    captureScreenText(a(), item(IDC_PATTERN));
    EXPECT_EQ(windowText(item(IDC_PATTERN)), L"a\\.b\\(1\\)");
    ASSERT_EQ(ui().messageBoxes.size(), 1u);
    EXPECT_EQ(ui().messageBoxes[0].caption, L"画面から取り込み");
    EXPECT_EQ(ui().messageBoxes[0].type, UINT(MB_OKCANCEL | MB_ICONINFORMATION));

    // Two lines, and 表 (0x95 0x5C) whose second byte is a backslash.
    select("ab\r\ncd\x95\x5C");
    ui().messageBoxAnswers = {IDOK};
    SetWindowTextW(item(IDC_PATTERN), L"");
    captureScreenText(a(), item(IDC_PATTERN));
    std::wstring shown = windowText(item(IDC_PATTERN));
    std::erase(shown, L'\r');
    std::erase(shown, L'\n');
    EXPECT_EQ(shown, L"ab\\ncd表");
    ASSERT_TRUE(OpenClipboard(nullptr));
    EXPECT_FALSE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"TARVELON_TAGPROP")));
    HANDLE bytes = GetClipboardData(CF_TEXT);
    ASSERT_TRUE(bytes);
    EXPECT_STREQ(static_cast<const char*>(GlobalLock(bytes)), "ab\\ncd\x95\x5C");
    GlobalUnlock(bytes);
    CloseClipboard();

    // The exit pattern holds no line break: the first line, and a beep.
    int beeps = 0;
    uiHooks().beep = [&beeps] { ++beeps; };
    select("ab\r\ncd");
    ui().messageBoxAnswers = {IDOK};
    captureScreenText(a(), item(IDC_EXIT_PATTERN));
    EXPECT_EQ(windowText(item(IDC_EXIT_PATTERN)), L"ab");
    EXPECT_EQ(beeps, 1);

    // The paste keeps what fits in the field; Cancel captures nothing.
    setField(IDC_EXIT_PATTERN, std::wstring(95, L'x').c_str(), 95);
    select("a.b");
    ui().messageBoxAnswers = {IDOK, IDCANCEL};
    captureScreenText(a(), item(IDC_EXIT_PATTERN));
    captureScreenText(a(), item(IDC_EXIT_PATTERN));
    EXPECT_EQ(windowText(item(IDC_EXIT_PATTERN)), std::wstring(95, L'x') + L"a\\.");
}

TEST_F(PatternHelpTest, CapturedPositionIsTypedAsAPositionElement) {
    startTerminal();
    select("not this text", 3 | 10 << 8 | 5 << 16);
    ui().messageBoxAnswers = {IDOK};
    choose(IDC_TITLE_HELP, 40031);
    EXPECT_EQ(windowText(item(IDC_TITLE)), L"\\(3,10,5)");
    ASSERT_EQ(ui().messageBoxes.size(), 1u);
    EXPECT_EQ(ui().messageBoxes[0].caption, L"画面から位置の取り込み");

    setField(IDC_TITLE, L"", 0);
    select("", 3 | 10 << 8);
    ui().messageBoxAnswers = {IDOK};
    captureScreenPosition(a(), item(IDC_TITLE));
    EXPECT_EQ(windowText(item(IDC_TITLE)), L"\\(3,10)");
    select("", 0);
    ui().messageBoxAnswers = {IDOK};
    captureScreenPosition(a(), item(IDC_TITLE));
    EXPECT_EQ(windowText(item(IDC_TITLE)), L"\\(3,10)");
}

TEST_F(PatternHelpTest, WithoutTheTerminalBothCapturesSayItCannotBeFound) {
    ASSERT_FALSE(FindWindowW(kTerminalWindowClass, nullptr));
    setField(IDC_PATTERN, L"keep", 4);
    ui().messageBoxAnswers = {IDOK};
    captureScreenText(a(), item(IDC_PATTERN));
    ui().messageBoxAnswers = {IDOK};
    captureScreenPosition(a(), item(IDC_TITLE));
    ASSERT_EQ(ui().messageBoxes.size(), 4u);
    for (int i : {1, 3}) {
        EXPECT_EQ(ui().messageBoxes[i].text, L"Tarvelonが見つかりません。");
        EXPECT_EQ(ui().messageBoxes[i].owner, pane);
        EXPECT_EQ(ui().messageBoxes[i].type & MB_ICONMASK, UINT(MB_ICONERROR));
    }
    EXPECT_EQ(windowText(item(IDC_PATTERN)), L"keep");
    EXPECT_EQ(windowText(item(IDC_TITLE)), L"");
}

}  // namespace
}  // namespace lumaset::testing
