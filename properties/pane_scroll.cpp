#include "properties/pane_scroll.h"

#include <algorithm>

#include "ui/dpi.h"

namespace lumaset {

namespace {

constexpr int kLinePixels = 16;  // one arrow click, at 96 DPI

// Under Wine the pane's erase of the uncovered band painted over the
// children moved into it, leaving the fields and ">>" cut at the old edge:
// the whole pane is painted again.
void scrollChildren(HWND pane, int dx, int dy) {
    ScrollWindowEx(pane, dx, dy, nullptr, nullptr, nullptr, nullptr, SW_SCROLLCHILDREN);
    RedrawWindow(pane, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

// Moves the view to the position, clamped by the bar, and the children with it.
void scrollTo(HWND pane, int bar, int position) {
    const int before = GetScrollPos(pane, bar);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_POS;
    info.nPos = position;
    SetScrollInfo(pane, bar, &info, TRUE);
    const int after = GetScrollPos(pane, bar);
    if (after == before) return;
    const int dx = bar == SB_HORZ ? before - after : 0, dy = bar == SB_VERT ? before - after : 0;
    scrollChildren(pane, dx, dy);
}

// The range and page of one bar; the system hides it when all fits.
void setRange(HWND pane, int bar, int content, int page) {
    const int before = GetScrollPos(pane, bar);
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_RANGE | SIF_PAGE;
    info.nMin = 0;
    info.nMax = std::max(content - 1, 0);
    info.nPage = UINT(std::max(page, 0));
    SetScrollInfo(pane, bar, &info, TRUE);
    // A shrinking range may have moved the position: the children follow.
    const int after = content > page ? GetScrollPos(pane, bar) : 0;
    if (after != before) {
        const int dx = bar == SB_HORZ ? before - after : 0, dy = bar == SB_VERT ? before - after : 0;
        scrollChildren(pane, dx, dy);
        if (content <= page) SetScrollPos(pane, bar, 0, FALSE);
    }
}

thread_local bool updating = false;

}  // namespace

void updatePaneScroll(HWND pane, const int& laidOutWidth, int contentHeight) {
    // Showing or hiding a bar resizes the client, which comes back here.
    if (updating) return;
    updating = true;
    for (int pass = 0; pass < 2; ++pass) {  // a bar that appears can call for the other
        RECT client{};
        GetClientRect(pane, &client);
        setRange(pane, SB_HORZ, std::max(int(client.right), laidOutWidth), client.right);
        setRange(pane, SB_VERT, contentHeight, client.bottom);
    }
    updating = false;
}

void onPaneScroll(HWND pane, int bar, WPARAM wParam) {
    SCROLLINFO info{};
    info.cbSize = sizeof(info);
    info.fMask = SIF_ALL;
    if (!GetScrollInfo(pane, bar, &info)) return;
    const int line = scaled(kLinePixels, dpiOf(pane));
    int position = info.nPos;
    switch (LOWORD(wParam)) {
    case SB_LINEUP: position -= line; break;
    case SB_LINEDOWN: position += line; break;
    case SB_PAGEUP: position -= int(info.nPage); break;
    case SB_PAGEDOWN: position += int(info.nPage); break;
    case SB_TOP: position = info.nMin; break;
    case SB_BOTTOM: position = info.nMax; break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: position = info.nTrackPos; break;
    default: return;
    }
    scrollTo(pane, bar, position);
}

void onPaneWheel(HWND pane, WPARAM wParam) {
    const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
    const int bar = (GetWindowLongW(pane, GWL_STYLE) & WS_VSCROLL) ? SB_VERT : SB_HORZ;
    scrollTo(pane, bar, GetScrollPos(pane, bar) - notches * 3 * scaled(kLinePixels, dpiOf(pane)));
}

void scrollPaneToShow(HWND pane, HWND child) {
    if (!pane || !child || GetParent(child) != pane) return;
    const DWORD style = GetWindowLongW(pane, GWL_STYLE);
    if (!(style & (WS_HSCROLL | WS_VSCROLL))) return;
    RECT client{}, r{};
    GetClientRect(pane, &client);
    GetWindowRect(child, &r);
    MapWindowPoints(nullptr, pane, reinterpret_cast<POINT*>(&r), 2);
    const auto shift = [](LONG low, LONG high, LONG size) {
        if (low < 0) return int(low);
        if (high > size) return int(std::min(high - size, low));
        return 0;
    };
    if (style & WS_HSCROLL) {
        if (const int d = shift(r.left, r.right, client.right)) scrollTo(pane, SB_HORZ, GetScrollPos(pane, SB_HORZ) + d);
    }
    if (style & WS_VSCROLL) {
        if (const int d = shift(r.top, r.bottom, client.bottom)) scrollTo(pane, SB_VERT, GetScrollPos(pane, SB_VERT) + d);
    }
}

}  // namespace lumaset
