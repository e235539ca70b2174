// The tree's context menu from the keyboard and the mouse: the edit
// commands with the menu bar's texts and states, and the chosen one run.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "gui/edit_fixture.h"
#include "resources/resource_ids.h"

namespace lumaset::testing {
namespace {

struct MenuItem {
    UINT id;
    std::wstring text;
    bool greyed;
};

struct SeenMenu {
    std::vector<MenuItem> items;
    RECT rect{};
    int count = 0;
};

// While a test waits in TrackPopupMenu's own loop, this timer reads the
// popup once it is on screen and then posts the keys the test wants.
struct MenuReader {
    SeenMenu seen;
    std::vector<UINT> chars;  // typed into the menu; none: Escape
    HWND lastWindow = nullptr;
    int ticks = 0;
};
MenuReader* reader = nullptr;

BOOL CALLBACK findMenuWindow(HWND window, LPARAM found) {
    wchar_t name[16] = {};
    GetClassNameW(window, name, 16);
    if (std::wstring(name) == L"#32768" && IsWindowVisible(window)) *reinterpret_cast<HWND*>(found) = window;
    return TRUE;
}

void CALLBACK readMenu(HWND, UINT, UINT_PTR, DWORD) {
    if (!reader) return;
    HWND window = nullptr;
    EnumThreadWindows(GetCurrentThreadId(), findMenuWindow, reinterpret_cast<LPARAM>(&window));
    if (!window || window == reader->lastWindow) {
        if (window && ++reader->ticks > 100) EndMenu();  // never leave a test hanging
        if (!window) reader->lastWindow = nullptr;
        return;
    }
    reader->lastWindow = window;
    reader->ticks = 0;
    ++reader->seen.count;
    HMENU menu = reinterpret_cast<HMENU>(SendMessageW(window, MN_GETHMENU, 0, 0));
    reader->seen.items.clear();
    for (int i = 0; i < GetMenuItemCount(menu); ++i) {
        MenuItem item{GetMenuItemID(menu, i), {}, false};
        wchar_t text[128] = {};
        GetMenuStringW(menu, UINT(i), text, 128, MF_BYPOSITION);
        item.text = text;
        item.greyed = (GetMenuState(menu, UINT(i), MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED)) != 0;
        reader->seen.items.push_back(item);
    }
    GetWindowRect(window, &reader->seen.rect);
    if (reader->chars.empty())
        PostMessageW(window, WM_KEYDOWN, VK_ESCAPE, 0);
    else
        for (UINT ch : reader->chars) PostMessageW(window, WM_CHAR, ch, 0);
}

class ContextMenuTest : public EditTest {
protected:
    void SetUp() override {
        EditTest::SetUp();
        ASSERT_TRUE(start());
        load({1, 1, 2, 1});  // s1; s2 with s3 under it; s4
        timer = SetTimer(nullptr, 0, 20, readMenu);
    }
    void TearDown() override {
        KillTimer(nullptr, timer);
        reader = nullptr;
        setShift(false);
        EditTest::TearDown();
    }
    static void setShift(bool down) {
        BYTE keys[256];
        GetKeyboardState(keys);
        keys[VK_SHIFT] = down ? 0x80 : 0;
        SetKeyboardState(keys);
    }
    // Opens the menu as the user does and lets the reader answer it.
    SeenMenu open(const std::function<void()>& how, std::vector<UINT> chars = {}) {
        MenuReader menuReader;
        menuReader.chars = std::move(chars);
        reader = &menuReader;
        how();
        pumpMessages();
        reader = nullptr;
        return menuReader.seen;
    }
    SeenMenu shiftF10(std::vector<UINT> chars = {}) {
        return open(
            [&] {
                setShift(true);
                PostMessageW(a().windows.tree, WM_SYSKEYDOWN, VK_F10, 1);
                pumpMessages();
                PostMessageW(a().windows.tree, WM_SYSKEYUP, VK_F10, 0xC0000001);
                setShift(false);
            },
            std::move(chars));
    }
    // The menu mirrors the menu bar item for item.
    void expectLikeTheMenuBar(const SeenMenu& seen) {
        const UINT expected[] = {IDM_EDIT_UNDO,       IDM_EDIT_REDO,   0, IDM_EDIT_CUT,        IDM_EDIT_COPY_TREE,
                                 IDM_EDIT_COPY_ONE,   IDM_EDIT_PASTE,  IDM_EDIT_PASTE_CHILD, IDM_EDIT_DELETE, 0,
                                 IDM_EDIT_NEW_SYNTAX, IDM_EDIT_NEW_CHILD, 0, IDM_ORDER_UP,     IDM_ORDER_DOWN,
                                 0,                   IDM_TOOLS_TEST_SYNTAX};
        ASSERT_EQ(seen.items.size(), std::size(expected));
        HMENU bar = a().windows.mainMenu;
        std::wstring keys;
        for (std::size_t i = 0; i < seen.items.size(); ++i) {
            const MenuItem& item = seen.items[i];
            EXPECT_EQ(item.id, expected[i]) << i;
            if (!expected[i]) continue;
            wchar_t text[128] = {};
            GetMenuStringW(bar, expected[i], text, 128, MF_BYCOMMAND);
            // Move down trades the bar's D, which delete has here too.
            EXPECT_EQ(item.text, expected[i] == IDM_ORDER_DOWN ? L"下げる(&W)\tCtrl+D" : text) << i;
            const std::size_t amp = item.text.find(L'&');
            ASSERT_NE(amp, std::wstring::npos) << i;
            EXPECT_EQ(keys.find(item.text[amp + 1]), std::wstring::npos) << "key used twice: " << i;
            keys += item.text[amp + 1];
            EXPECT_EQ(item.greyed, (GetMenuState(bar, expected[i], MF_BYCOMMAND) & MF_GRAYED) != 0) << i;
        }
    }
    bool greyed(const SeenMenu& seen, UINT id) {
        for (const MenuItem& item : seen.items)
            if (item.id == id) return item.greyed;
        ADD_FAILURE() << "no item " << id;
        return false;
    }

    UINT_PTR timer = 0;
};

TEST_F(ContextMenuTest, ShiftF10ShowsTheEditCommandsAsTheMenuBarHasThem) {
    select(0);  // the "Copyright" item: nothing to edit
    SeenMenu root = shiftF10();
    ASSERT_EQ(root.count, 1);
    expectLikeTheMenuBar(root);
    EXPECT_EQ(root.items[3].text, L"切り取り(&T)\tCtrl+X");
    for (UINT id : {IDM_EDIT_CUT, IDM_EDIT_DELETE, IDM_EDIT_NEW_SYNTAX, IDM_EDIT_NEW_CHILD, IDM_ORDER_UP})
        EXPECT_TRUE(greyed(root, id)) << id;

    select(kRootRecord);
    SeenMenu top = shiftF10();
    expectLikeTheMenuBar(top);
    EXPECT_TRUE(greyed(top, IDM_EDIT_CUT));
    EXPECT_TRUE(greyed(top, IDM_EDIT_DELETE));
    EXPECT_TRUE(greyed(top, IDM_EDIT_NEW_SYNTAX));
    EXPECT_FALSE(greyed(top, IDM_EDIT_NEW_CHILD));

    select(4);  // s2: depth 1, siblings on both sides
    SeenMenu syntax = shiftF10();
    expectLikeTheMenuBar(syntax);
    for (UINT id : {IDM_EDIT_CUT, IDM_EDIT_COPY_TREE, IDM_EDIT_COPY_ONE, IDM_EDIT_DELETE, IDM_EDIT_NEW_SYNTAX,
                    IDM_EDIT_NEW_CHILD, IDM_ORDER_UP, IDM_ORDER_DOWN})
        EXPECT_FALSE(greyed(syntax, id)) << id;
    // Shown at the item, under its label.
    RECT item{};
    *reinterpret_cast<HTREEITEM*>(&item) = itemForRecord(a(), 4);
    SendMessageW(a().windows.tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&item));
    MapWindowPoints(a().windows.tree, nullptr, reinterpret_cast<POINT*>(&item), 2);
    EXPECT_NEAR(syntax.rect.left, item.left, 4);
    EXPECT_NEAR(syntax.rect.top, item.bottom, 4);
    // Escape chose nothing.
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s2:1", "s3:2", "s4:1"}));

    // Once the clipboard holds a syntax, the paste items follow the bar.
    run(IDM_EDIT_COPY_ONE);
    SeenMenu afterCopy = shiftF10();
    expectLikeTheMenuBar(afterCopy);
    EXPECT_FALSE(greyed(afterCopy, IDM_EDIT_PASTE));
}

TEST_F(ContextMenuTest, TheAppsKeyAndARightClickRunTheChosenCommand) {
    select(6);
    // Apps key, then the access key of 新規構文: a new syntax after s4.
    SeenMenu apps = open([&] { PostMessageW(a().windows.tree, WM_KEYDOWN, VK_APPS, 1); }, {'n'});
    EXPECT_EQ(apps.count, 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s2:1", "s3:2", "s4:1", "(新規):1"}));
    EXPECT_EQ(a().selection.selectionIndex, 7);
    EXPECT_EQ(beeps, 0);

    // A right-click on s1 selects it first, and 下げる moves it down.
    RECT item{};
    *reinterpret_cast<HTREEITEM*>(&item) = itemForRecord(a(), 3);
    SendMessageW(a().windows.tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&item));
    POINT click{item.left + 2, item.top + 2};
    ClientToScreen(a().windows.tree, &click);
    SeenMenu mouse = open([&] {
        SendMessageW(a().windows.tree, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(a().windows.tree),
                     MAKELPARAM(click.x, click.y));
    });
    EXPECT_EQ(mouse.count, 1);
    EXPECT_EQ(a().selection.selectionIndex, 3);
    EXPECT_NEAR(mouse.rect.left, click.x, 4);
    EXPECT_TRUE(greyed(mouse, IDM_ORDER_UP));
    EXPECT_FALSE(greyed(mouse, IDM_ORDER_DOWN));

    // A right-click beside the items shows nothing.
    RECT client{};
    GetClientRect(a().windows.tree, &client);
    POINT empty{client.right - 2, client.bottom - 2};
    ClientToScreen(a().windows.tree, &empty);
    SeenMenu none = open([&] {
        SendMessageW(a().windows.tree, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(a().windows.tree),
                     MAKELPARAM(empty.x, empty.y));
    });
    EXPECT_EQ(none.count, 0);
}

}  // namespace
}  // namespace lumaset::testing
