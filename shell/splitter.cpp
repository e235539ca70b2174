#include "shell/main_window.h"
#include "shell/find_bar.h"

#include <windowsx.h>

#include <algorithm>

#include "ui/dpi.h"

namespace lumaset {

namespace {

constexpr int kDragBarWidth = 3;
constexpr int kNarrowestLayout = 20;

POINT toMainClient(const App& app, HWND from, POINT point) {
    MapWindowPoints(from, app.windows.main, &point, 1);
    return point;
}

void paint(App& app, HWND window) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    if (app.windows.newShell) {
        FillRect(dc, &ps.rcPaint, GetSysColorBrush(COLOR_BTNFACE));
    } else {
        const int top = ps.rcPaint.top, bottom = ps.rcPaint.bottom;
        const RECT edges[] = {{0, top, 1, bottom}, {3, top, 4, bottom}};
        const RECT middle{1, top, 3, bottom};
        for (const RECT& edge : edges) FillRect(dc, &edge, GetSysColorBrush(COLOR_WINDOWTEXT));
        FillRect(dc, &middle, GetSysColorBrush(COLOR_WINDOW));
    }
    EndPaint(window, &ps);
}

void onButtonDown(App& app, HWND window, LPARAM lParam) {
    LayoutState& layout = app.layout;
    // The keys go back where the user was typing once the drag ends.
    layout.focusBeforeDrag = GetFocus();
    SetCapture(window);
    layout.dragging = true;
    const POINT mouse = toMainClient(app, window, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    layout.dragPosition = layout.splitPosition;
    drawDragBar(app, layout.dragPosition);
    layout.grabOffset = mouse.x - layout.dragPosition;
}

int clientWidth(const App& app) {
    RECT client{};
    GetClientRect(app.windows.main, &client);
    return client.right - client.left;
}

void onMouseMove(App& app, HWND window, LPARAM lParam) {
    LayoutState& layout = app.layout;
    if (!layout.dragging) return;
    const POINT mouse = toMainClient(app, window, {GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
    // The bar stops where the release would put it.
    const int candidate = boundedSplit(int(mouse.x) - layout.grabOffset, clientWidth(app), dpiOf(app.windows.main));
    if (candidate == layout.dragPosition) return;
    drawDragBar(app, layout.dragPosition);
    drawDragBar(app, candidate);
    layout.dragPosition = candidate;
}

void onButtonUp(App& app) {
    LayoutState& layout = app.layout;
    restoreFocus(app, layout.focusBeforeDrag);
    layout.focusBeforeDrag = nullptr;
    if (!layout.dragging) return;
    layout.dragging = false;
    ReleaseCapture();
    drawDragBar(app, layout.dragPosition);
    layout.splitPosition = layout.dragPosition;
    layoutPanes(app);
}

// Capture taken away mid-drag (another window, a message box): the drag is
// dropped and the split stays where it was.
void onCaptureLost(App& app) {
    LayoutState& layout = app.layout;
    if (!layout.dragging) return;
    layout.dragging = false;
    drawDragBar(app, layout.dragPosition);
}

}  // namespace

int boundedSplit(int split, int clientWidth, int dpi) {
    const int tree = scaled(kMinimumTreeWidth, dpi) + scaled(kSplitterWidth, dpi);
    const int pane = scaled(kMinimumPaneWidth, dpi);
    if (clientWidth >= tree + pane) return std::clamp(split, tree, clientWidth - pane);
    // Too narrow for both: each side its share of what there is.
    return MulDiv(clientWidth, tree, tree + pane);
}

int paneTop(const App& app) {
    RECT bar{};
    if (app.windows.toolbar) GetWindowRect(app.windows.toolbar, &bar);
    return (bar.bottom - bar.top) - 1;
}

void layoutPanes(App& app) {
    const MainWindows& w = app.windows;
    if (!w.main || !w.tree || !w.splitter || !w.memo || !w.propertyPane) return;
    RECT client;
    GetClientRect(w.main, &client);
    const int width = client.right - client.left, height = client.bottom - client.top;
    if (width <= kNarrowestLayout) return;
    LayoutState& layout = app.layout;
    const int dpi = dpiOf(w.main);
    const int bar = scaled(kSplitterWidth, dpi);
    layout.splitPosition = boundedSplit(layout.splitPosition, width, dpi);
    const int split = layout.splitPosition;
    const int top = layout.paneTop = paneTop(app);
    RECT status{};
    if (w.statusBar) GetWindowRect(w.statusBar, &status);
    const int paneHeight = std::max(int(height - top - (status.bottom - status.top)), 0);

    constexpr UINT kKeepOrder = SWP_NOZORDER | SWP_NOACTIVATE;
    const int treeWidth = split - bar;
    const int barHeight = std::min(findBarHeight(app, treeWidth), paneHeight);
    SetWindowPos(w.tree, nullptr, 0, top, treeWidth, paneHeight - barHeight, kKeepOrder);
    if (barHeight) placeFindBar(app, 0, top + paneHeight - barHeight, treeWidth, barHeight);
    // Not copied: bits moved from the old place showed the wrong scale or the
    // frame's background.
    SetWindowPos(w.splitter, nullptr, split - bar, top, bar, paneHeight, kKeepOrder | SWP_NOCOPYBITS);
    InvalidateRect(w.splitter, nullptr, TRUE);
    SetWindowPos(w.propertyPane, nullptr, split, top, width - split, paneHeight, kKeepOrder);
    SetWindowPos(w.memo, nullptr, split, top, width - split, paneHeight, kKeepOrder);
}

void drawDragBar(App& app, int clientX) {
    RECT client;
    GetClientRect(app.windows.main, &client);
    const int top = paneTop(app);
    POINT corner{clientX, top};
    ClientToScreen(app.windows.main, &corner);
    HDC screen = GetDC(nullptr);
    const int width = scaled(kDragBarWidth, dpiOf(app.windows.main));
    RECT bar{};
    GetWindowRect(app.windows.splitter, &bar);
    const int height = bar.bottom > bar.top ? int(bar.bottom - bar.top) : int(client.bottom - top);
    PatBlt(screen, corner.x - width / 2, corner.y, width, height, DSTINVERT);
    ReleaseDC(nullptr, screen);
}

LRESULT CALLBACK splitterWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    App& a = app();
    switch (message) {
    case WM_PAINT:
        paint(a, window);
        return 0;
    case WM_LBUTTONDOWN:
        onButtonDown(a, window, lParam);
        return 0;
    case WM_MOUSEMOVE:
        onMouseMove(a, window, lParam);
        return 0;
    case WM_LBUTTONUP:
        onButtonUp(a);
        return 0;
    case WM_CAPTURECHANGED:
        onCaptureLost(a);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace lumaset
