#include "gui/gui_support.h"

#include <commctrl.h>

#include <vector>

#include "pattern/derived_fields.h"
#include "resources/resource_ids.h"
#include "shell/find_bar.h"
#include "shell/main_window.h"
#include "views/document_state.h"
#include "views/tree_mirror.h"

namespace lumaset::testing {
namespace {

// Records the system commands the main window gets; the menu loop is left
// out, since nobody would end it.
LRESULT CALLBACK recordSysCommand(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                                  DWORD_PTR data) {
    if (message == WM_SYSCOMMAND) {
        reinterpret_cast<std::vector<std::pair<WPARAM, LPARAM>>*>(data)->push_back({wParam & 0xFFF0, lParam});
        if ((wParam & 0xFFF0) == SC_KEYMENU) return 0;
    }
    return DefSubclassProc(window, message, wParam, lParam);
}

constexpr LPARAM kAltDown = LPARAM(KF_ALTDOWN) << 16;

class PaneKeysTest : public GuiTest {
protected:
    HWND field(int id) { return GetDlgItem(a().windows.propertyPane, id); }
    // Keys as the message loop gets them, sent to whatever has the focus.
    void sysKey(UINT key, LPARAM altBit) {
        MSG down{GetFocus(), WM_SYSKEYDOWN, key, 1 | altBit, GetTickCount(), {}};
        routeMessage(down);
        MSG up{GetFocus(), WM_SYSKEYUP, key, LPARAM(0xC0000001) | altBit, GetTickCount(), {}};
        routeMessage(up);
        pumpMessages();
    }
    void altLetter(wchar_t letter) {
        MSG ch{GetFocus(), WM_SYSCHAR, letter, 1 | kAltDown, GetTickCount(), {}};
        routeMessage(ch);
        pumpMessages();
    }
};

TEST_F(PaneKeysTest, TheWindowsKeysWorkWithTheFocusInThePane) {
    ASSERT_TRUE(start());
    appendSyntax(a().document, "alpha", 1);
    deriveRecordFields(a().document, 3);
    buildTree(a());
    SendMessageW(a().windows.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(itemForRecord(a(), 3)));
    pumpMessages();
    const MainWindows& w = a().windows;
    std::vector<std::pair<WPARAM, LPARAM>> commands;
    SetWindowSubclass(w.main, recordSysCommand, 1, reinterpret_cast<DWORD_PTR>(&commands));

    showFindBar(a());
    pumpMessages();
    // Every pane control, the find bar and (with the root item selected)
    // the memo.
    std::vector<HWND> places = {GetDlgItem(w.findBar, kFindTextId), GetDlgItem(w.findBar, kFindNameId)};
    for (HWND child = GetWindow(w.propertyPane, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT))
        if (IsWindowVisible(child) && IsWindowEnabled(child) &&
            (GetWindowLongW(child, GWL_STYLE) & WS_TABSTOP))
            places.push_back(child);
    ASSERT_GE(places.size(), 12u);
    places.push_back(w.memo);
    for (HWND place : places) {
        SCOPED_TRACE(GetDlgCtrlID(place));
        if (place == w.memo)
            SendMessageW(w.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a().tree.rootItem));
        commands.clear();
        SetFocus(place);
        ASSERT_EQ(GetFocus(), place);
        sysKey(VK_F10, 0);
        sysKey(VK_MENU, kAltDown);
        // A menu's access key that no pane control has opens that menu.
        altLetter(L'e');
        using Commands = std::vector<std::pair<WPARAM, LPARAM>>;
        EXPECT_EQ(commands, (Commands{{SC_KEYMENU, 0}, {SC_KEYMENU, 0}, {SC_KEYMENU, L'e'}}));
        EXPECT_EQ(GetFocus(), place);
    }
    SendMessageW(w.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(itemForRecord(a(), 3)));
    pumpMessages();

    // The pane's own access keys stay in the pane.
    commands.clear();
    SetFocus(field(IDC_NAME));
    altLetter(L'f');
    EXPECT_EQ(GetFocus(), field(IDC_COLOUR_LINES));
    altLetter(L'T');
    EXPECT_EQ(GetFocus(), field(IDC_TITLE));
    altLetter(L'a');
    EXPECT_EQ(GetFocus(), field(IDC_NAME));
    EXPECT_TRUE(commands.empty());

    // Alt+F4 from a pane field closes the window, through the question.
    markModified();
    SetFocus(field(IDC_PATTERN));
    sysKey(VK_F4, kAltDown);
    ASSERT_EQ(ui().messageBoxes.size(), 1u);
    EXPECT_NE(ui().messageBoxes[0].text.find(L"保存しますか"), std::wstring::npos);
    EXPECT_TRUE(IsWindow(w.main));
    ui().messageBoxAnswers.push_back(IDNO);
    SetFocus(field(IDC_PATTERN));
    sysKey(VK_F4, kAltDown);
    EXPECT_FALSE(IsWindow(w.main));
}

}  // namespace
}  // namespace lumaset::testing
