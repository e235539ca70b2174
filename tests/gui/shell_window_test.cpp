#include "gui/gui_support.h"

#include <vector>

#include "resources/resource_ids.h"
#include "shell/main_window.h"

namespace lumaset::testing {
namespace {

using MainWindowTest = GuiTest;

// A window that records the clipboard-chain messages it gets.
struct ChainRecorder {
    static inline std::vector<std::pair<UINT, std::pair<WPARAM, LPARAM>>> received;
    static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        if (message == WM_CHANGECBCHAIN || message == WM_DRAWCLIPBOARD) {
            received.push_back({message, {wParam, lParam}});
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }
    static HWND create() {
        WNDCLASSW windowClass{};
        windowClass.lpfnWndProc = proc;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.lpszClassName = L"LumasetChainRecorder";
        RegisterClassW(&windowClass);
        return CreateWindowW(L"LumasetChainRecorder", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
    }
};

TEST_F(MainWindowTest, ClipboardChainMessagesGoOnToTheNextViewer) {
    ASSERT_TRUE(start());
    HWND main = a().windows.main;
    HWND next = ChainRecorder::create();
    HWND other = ChainRecorder::create();
    ChainRecorder::received.clear();
    a().windows.nextClipboardViewer = next;

    // Someone further down leaves: the message travels on.
    SendMessageW(main, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(other), 0);
    ASSERT_EQ(ChainRecorder::received.size(), 1u);
    EXPECT_EQ(ChainRecorder::received[0].first, UINT(WM_CHANGECBCHAIN));
    EXPECT_EQ(ChainRecorder::received[0].second.first, reinterpret_cast<WPARAM>(other));
    // A change of contents is passed on too.
    SendMessageW(main, WM_DRAWCLIPBOARD, 0, 0);
    ASSERT_EQ(ChainRecorder::received.size(), 2u);
    EXPECT_EQ(ChainRecorder::received[1].first, UINT(WM_DRAWCLIPBOARD));

    // Our next viewer leaves: its successor becomes ours, nothing is sent.
    SendMessageW(main, WM_CHANGECBCHAIN, reinterpret_cast<WPARAM>(next), reinterpret_cast<LPARAM>(other));
    EXPECT_EQ(a().windows.nextClipboardViewer, other);
    EXPECT_EQ(ChainRecorder::received.size(), 2u);

    a().windows.nextClipboardViewer = nullptr;
    DestroyWindow(next);
    DestroyWindow(other);
}

TEST_F(MainWindowTest, ActivatePaneMessageAndCloseWithoutChanges) {
    ASSERT_TRUE(start());
    const MainWindows& w = a().windows;
    EXPECT_EQ(GetMenu(w.main), w.mainMenu);
    ShowWindow(w.propertyPane, SW_SHOWNOACTIVATE);
    // The pane's last focused control gets the keys back, its name field
    // when it never had them.
    SendMessageW(w.main, WMU_ACTIVATE_PANE, 0, 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(w.propertyPane, IDC_NAME));
    a().windows.paneLastFocus = GetDlgItem(w.propertyPane, IDC_TITLE);
    SendMessageW(w.main, WMU_ACTIVATE_PANE, 0, 0);
    EXPECT_EQ(GetFocus(), GetDlgItem(w.propertyPane, IDC_TITLE));
    // An unchanged document closes without a question.
    SendMessageW(w.main, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w.main));
    EXPECT_TRUE(ui().messageBoxes.empty());
    MSG msg;
    ASSERT_TRUE(PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 0u);
}

}  // namespace
}  // namespace lumaset::testing
