#include "gui/gui_support.h"

#include <commctrl.h>

#include <cstring>
#include <vector>

#include "properties/property_pane.h"
#include "resources/resource_ids.h"
#include "shell/logic/window_placement.h"
#include "shell/main_window.h"
#include "views/tree_mirror.h"

namespace lumaset::testing {
namespace {

class LayoutTest : public GuiTest {
protected:
    // A child's rectangle in main-window client coordinates.
    RECT placeOf(HWND child) {
        RECT r;
        GetWindowRect(child, &r);
        MapWindowPoints(nullptr, a().windows.main, reinterpret_cast<POINT*>(&r), 2);
        return r;
    }
    // Above the status bar, when it is shown.
    SIZE clientSize() {
        RECT r, status{};
        GetClientRect(a().windows.main, &r);
        if (a().windows.statusBar) GetWindowRect(a().windows.statusBar, &status);
        return {r.right, r.bottom - (status.bottom - status.top)};
    }
    void resizeMain(int width, int height) {
        SetWindowPos(a().windows.main, nullptr, 0, 0, width, height, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
        pumpMessages();
    }
    // Mouse messages to the splitter, x in main-window client coordinates.
    void mouse(UINT message, int clientX) {
        POINT p{clientX, 20};
        MapWindowPoints(a().windows.main, a().windows.splitter, &p, 1);
        SendMessageW(a().windows.splitter, message, message == WM_LBUTTONUP ? 0 : MK_LBUTTON,
                     MAKELPARAM(WORD(short(p.x)), WORD(short(p.y))));
    }
    void drag(int fromX, int toX) {
        mouse(WM_LBUTTONDOWN, fromX);
        mouse(WM_MOUSEMOVE, toX);
        mouse(WM_LBUTTONUP, toX);
        pumpMessages();
    }
    void expectLayout(int split) {
        const MainWindows& w = a().windows;
        const SIZE client = clientSize();
        const int top = paneTop(a());
        RECT toolbar;
        GetWindowRect(w.toolbar, &toolbar);
        EXPECT_EQ(top, toolbar.bottom - toolbar.top - 1);
        const RECT tree = placeOf(w.tree), bar = placeOf(w.splitter), memo = placeOf(w.memo);
        EXPECT_EQ(tree.left, 0);
        EXPECT_EQ(tree.top, top);
        EXPECT_EQ(tree.right, split - kSplitterWidth);
        EXPECT_EQ(tree.bottom, client.cy);
        EXPECT_EQ(bar.left, split - kSplitterWidth);
        EXPECT_EQ(bar.right, split);
        EXPECT_EQ(bar.top, top);
        EXPECT_EQ(memo.left, split);
        EXPECT_EQ(memo.right, client.cx);
        EXPECT_EQ(memo.top, top);
        EXPECT_EQ(memo.bottom, client.cy);
        // The pane is a child in the same rectangle as the memo.
        RECT pane;
        GetWindowRect(w.propertyPane, &pane);
        POINT corner{split, top};
        ClientToScreen(w.main, &corner);
        EXPECT_EQ(pane.left, corner.x);
        EXPECT_EQ(pane.top, corner.y);
        EXPECT_EQ(pane.right - pane.left, client.cx - split);
        EXPECT_EQ(pane.bottom - pane.top, client.cy - top);
    }
};

TEST_F(LayoutTest, StartsAtAThirdAndFollowsTheWindowSize) {
    ASSERT_TRUE(start());
    EXPECT_EQ(a().layout.splitPosition, clientSize().cx / 3);
    expectLayout(clientSize().cx / 3);
    resizeMain(900, 600);
    const int split = a().layout.splitPosition;
    expectLayout(split);
    // Shrinking past the split pulls it in, leaving the pane its width.
    resizeMain(500, 400);
    EXPECT_EQ(a().layout.splitPosition, std::min(split, int(clientSize().cx) - kMinimumPaneWidth));
    expectLayout(a().layout.splitPosition);
    // Too narrow for both sides: they share the width, neither vanishes.
    resizeMain(200, 400);
    const int tree = kMinimumTreeWidth + kSplitterWidth;
    EXPECT_NEAR(a().layout.splitPosition, clientSize().cx * tree / (tree + kMinimumPaneWidth), 1);
    expectLayout(a().layout.splitPosition);
}

TEST_F(LayoutTest, DraggingTheBarIsBoundedOnBothSides) {
    ASSERT_TRUE(start());
    resizeMain(900, 600);
    const int width = clientSize().cx;
    int split = a().layout.splitPosition;

    drag(split - 2, split + 98);
    EXPECT_EQ(a().layout.splitPosition, split + 100);
    expectLayout(split + 100);
    split = a().layout.splitPosition;

    // Far left: the tree keeps its usable width.
    drag(split - 1, -400);
    EXPECT_EQ(placeOf(a().windows.tree).right, kMinimumTreeWidth);
    expectLayout(kMinimumTreeWidth + kSplitterWidth);

    // Beyond the right edge: the pane keeps its usable width.
    drag(a().layout.splitPosition - 1, width + 300);
    EXPECT_EQ(a().layout.splitPosition, width - kMinimumPaneWidth);
    expectLayout(width - kMinimumPaneWidth);
    EXPECT_FALSE(a().layout.dragging);
    EXPECT_EQ(GetCapture(), nullptr);

    // Maximised, dragged far right, restored: the pane is still usable.
    ShowWindow(a().windows.main, SW_MAXIMIZE);
    pumpMessages();
    drag(a().layout.splitPosition - 1, clientSize().cx + 300);
    ShowWindow(a().windows.main, SW_RESTORE);
    pumpMessages();
    EXPECT_EQ(a().layout.splitPosition, int(clientSize().cx) - kMinimumPaneWidth);
    expectLayout(a().layout.splitPosition);
}

TEST_F(LayoutTest, AClickWithoutMovingKeepsTheSplitAndStillLaysOut) {
    ASSERT_TRUE(start());
    resizeMain(900, 600);
    const int split = a().layout.splitPosition;
    SetWindowPos(a().windows.memo, nullptr, 0, 0, 10, 10, SWP_NOZORDER);  // out of place
    SetFocus(a().windows.memo);
    mouse(WM_LBUTTONDOWN, split - 2);
    mouse(WM_LBUTTONUP, split - 2);
    EXPECT_EQ(a().layout.splitPosition, split);
    expectLayout(split);
    // The keys still go where the user was typing, not to the bar.
    EXPECT_EQ(GetFocus(), a().windows.memo);
}

TEST_F(LayoutTest, MinimiseLeavesTheLayoutAndRestoreLaysOutAgain) {
    ASSERT_TRUE(start());
    resizeMain(900, 600);
    const int split = a().layout.splitPosition;
    // The minimise notice may come while the client still has its size:
    // the panes stay where they were all the same.
    a().layout.splitPosition = split + 50;
    SendMessageW(a().windows.main, WM_SIZE, SIZE_MINIMIZED, MAKELPARAM(900, 600));
    EXPECT_EQ(placeOf(a().windows.memo).left, split);
    ShowWindow(a().windows.main, SW_MINIMIZE);
    pumpMessages();
    EXPECT_EQ(a().layout.splitPosition, split + 50);
    ShowWindow(a().windows.main, SW_RESTORE);
    pumpMessages();
    expectLayout(split + 50);
}

TEST_F(LayoutTest, MovingTheWindowCarriesThePane) {
    ASSERT_TRUE(start());
    resizeMain(900, 600);
    SetWindowPos(a().windows.main, nullptr, 137, 91, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    pumpMessages();
    expectLayout(a().layout.splitPosition);
}

TEST_F(LayoutTest, ANewDpiTakesTheSuggestedRectangleAndKeepsEveryPartWorking) {
    ASSERT_TRUE(start());
    const MainWindows& w = a().windows;
    RECT suggested{40, 30, 40 + 1000, 30 + 700};
    SendMessageW(w.main, WM_DPICHANGED, MAKEWPARAM(144, 144), reinterpret_cast<LPARAM>(&suggested));
    pumpMessages();
    RECT now{};
    GetWindowRect(w.main, &now);
    EXPECT_EQ(now.left, suggested.left);
    EXPECT_EQ(now.top, suggested.top);
    EXPECT_EQ(now.right - now.left, 1000);
    // A new toolbar, with its buttons, under which the panes are laid out.
    ASSERT_TRUE(IsWindow(w.toolbar) && IsWindowVisible(w.toolbar));
    EXPECT_EQ(SendMessageW(w.toolbar, TB_BUTTONCOUNT, 0, 0), 18);
    expectLayout(a().layout.splitPosition);
    EXPECT_EQ(reinterpret_cast<HFONT>(SendMessageW(w.memo, WM_GETFONT, 0, 0)), w.patternFont);
}

// The pane's template with its font scaled, as the system lays it out at
// 120, 144 or 192 DPI: the controls are placed in dialog units.
std::vector<BYTE> paneTemplateAtScale(int percent) {
    HMODULE module = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(module, MAKEINTRESOURCEW(IDD_PROPERTIES), MAKEINTRESOURCEW(5));
    const auto* data = static_cast<const BYTE*>(LockResource(LoadResource(module, res)));
    std::vector<BYTE> bytes(data, data + SizeofResource(module, res));
    std::size_t at = 26;  // DLGTEMPLATEEX up to the menu
    const auto skipText = [&] {
        WORD first = 0;
        std::memcpy(&first, &bytes[at], 2);
        if (first == 0xFFFF) {
            at += 4;
            return;
        }
        while (bytes[at] || bytes[at + 1]) at += 2;
        at += 2;
    };
    skipText();  // menu
    skipText();  // class
    skipText();  // caption
    WORD points = 0;
    std::memcpy(&points, &bytes[at], 2);
    points = WORD(points * percent / 100);
    std::memcpy(&bytes[at], &points, 2);
    return bytes;
}

// At every scale, in the first window, a narrow one and beside a dragged
// splitter, every control of the pane can be brought whole into view: what
// does not fit has a scroll bar in that direction reaching it, and the ">>"
// buttons never sit under the vertical bar.
TEST_F(LayoutTest, EveryPaneControlIsWholeOrScrollsIntoViewAtEveryScale) {
    ASSERT_TRUE(start());
    MainWindows& w = a().windows;
    for (int percent : {100, 125, 150, 200}) {
        SCOPED_TRACE(percent);
        DestroyWindow(w.propertyPane);
        const std::vector<BYTE> scaledTemplate = paneTemplateAtScale(percent);
        w.propertyPane = CreateDialogIndirectParamW(w.instance, reinterpret_cast<LPCDLGTEMPLATEW>(scaledTemplate.data()),
                                                    w.main, propertyPaneProc, 0);
        ASSERT_NE(w.propertyPane, nullptr);
        SendMessageW(w.tree, TVM_SELECTITEM, TVGN_CARET, 0);
        SendMessageW(w.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(itemForRecord(a(), 2)));
        pumpMessages();
        ASSERT_TRUE(IsWindowVisible(w.propertyPane));
        RECT pane{};
        GetClientRect(w.propertyPane, &pane);
        const SIZE needed{pane.right, pane.bottom};  // laid out for this, before any layout
        struct Place {
            int windowWidth, windowHeight, paneWidth;  // paneWidth 0: the split at a third
        };
        const Place places[] = {
            {kDefaultWindowWidth * percent / 100, kDefaultWindowHeight * percent / 100, 0},
            {640, kDefaultWindowHeight * percent / 100, 0},
            {kDefaultWindowWidth * percent / 100, kDefaultWindowHeight * percent / 100, 640},
            {420, 300, 0},
        };
        for (const Place& place : places) {
            SCOPED_TRACE(place.windowWidth * 10000 + place.paneWidth);
            resizeMain(place.windowWidth, place.windowHeight);
            if (place.paneWidth) {
                a().layout.splitPosition = clientSize().cx - place.paneWidth;
                layoutPanes(a());
                pumpMessages();
            }
            // The controls of the whole pane, at both ends of each bar.
            for (int end : {SB_TOP, SB_BOTTOM}) {
                SendMessageW(w.propertyPane, WM_HSCROLL, MAKEWPARAM(end, 0), 0);
                SendMessageW(w.propertyPane, WM_VSCROLL, MAKEWPARAM(end, 0), 0);
                pumpMessages();
                GetClientRect(w.propertyPane, &pane);
                const LONG_PTR style = GetWindowLongPtrW(w.propertyPane, GWL_STYLE);
                for (HWND c = GetWindow(w.propertyPane, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
                    if (!IsWindowVisible(c)) continue;
                    RECT r{};
                    GetWindowRect(c, &r);
                    MapWindowPoints(nullptr, w.propertyPane, reinterpret_cast<POINT*>(&r), 2);
                    SCOPED_TRACE(GetDlgCtrlID(c));
                    if (end == SB_BOTTOM) {  // scrolled right and down: the far side is in view
                        EXPECT_LE(r.right, pane.right);
                        EXPECT_LE(r.bottom, pane.bottom);
                    } else {
                        EXPECT_GE(r.left, 0);
                        EXPECT_GE(r.top, 0);
                        if (r.right > pane.right) EXPECT_TRUE(style & WS_HSCROLL);
                        if (r.bottom > pane.bottom) EXPECT_TRUE(style & WS_VSCROLL);
                    }
                }
            }
            // The first window shows the whole pane, with no bar at all.
            if (&place == &places[0]) {
                EXPECT_FALSE(GetWindowLongPtrW(w.propertyPane, GWL_STYLE) & (WS_HSCROLL | WS_VSCROLL));
                EXPECT_GE(pane.right, needed.cx);
                EXPECT_GE(pane.bottom, needed.cy);
            }
        }
    }
}

}  // namespace
}  // namespace lumaset::testing
