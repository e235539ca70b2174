// The floor for the editor's tree edits: a window with one tree view and
// nothing else doing the same item work as the editor's timed runs, so both
// can be measured in one Wine session (bench/tree_ratios.sh). Prints medians.
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace {

HWND tree = nullptr;

double millisecondsOf(const std::function<void()>& work) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    LARGE_INTEGER t0, t1;
    QueryPerformanceCounter(&t0);
    work();
    QueryPerformanceCounter(&t1);
    return double(t1.QuadPart - t0.QuadPart) * 1000.0 / frequency;
}

void pumpMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
}

HTREEITEM insert(HTREEITEM parent, HTREEITEM after, const wchar_t* text, bool open) {
    TVINSERTSTRUCTW item{};
    item.hParent = parent;
    item.hInsertAfter = after;
    item.item.mask = TVIF_TEXT | TVIF_STATE;
    item.item.state = open ? TVIS_EXPANDED : 0;
    item.item.stateMask = TVIS_EXPANDED;
    item.item.pszText = const_cast<wchar_t*>(text);
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&item)));
}

void paintingOff() { SendMessageW(tree, WM_SETREDRAW, FALSE, 0); }

void paintOnce() {
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(tree, nullptr, TRUE);
    pumpMessages();
}

// Depths of the editor's largest paste: a top item, then 2..6 in turns.
std::vector<int> pasteDepths(int count) {
    std::vector<int> depths;
    for (int k = 0; k < count; ++k) depths.push_back(k == 0 ? 1 : k == count - 1 ? 2 : 2 + (k - 1) % 5);
    return depths;
}

// Inserts one item per depth, each under the last item one level up, the
// first under `parent` after `after`; items with children go in open.
// Returns the first item; `last` gets the last one.
HTREEITEM insertBlock(HTREEITEM parent, HTREEITEM after, const std::vector<int>& depths, const wchar_t* text,
                      HTREEITEM* last = nullptr) {
    std::array<HTREEITEM, 16> parents{};
    const int base = depths.front();
    parents[0] = parent;
    HTREEITEM top = nullptr;
    for (std::size_t k = 0; k < depths.size(); ++k) {
        const int level = depths[k] - base;
        const bool open = k + 1 < depths.size() && depths[k + 1] > depths[k];
        HTREEITEM item = insert(parents[std::size_t(level)], k == 0 ? after : TVI_LAST, text, open);
        if (k == 0) top = item;
        if (last) *last = item;
        parents[std::size_t(level) + 1] = item;
    }
    return top;
}

// The editor's fresh document: "Copyright" and the top record.
HTREEITEM freshTree() {
    paintingOff();
    SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(TVI_ROOT));
    HTREEITEM copyright = insert(TVI_ROOT, TVI_LAST, L"Copyright", false);
    HTREEITEM top = insert(TVI_ROOT, TVI_LAST, L"(sys)接続開始", true);
    paintOnce();
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(copyright));
    pumpMessages();
    return top;
}

double median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

void report(const char* what, const std::vector<double>& times) {
    std::printf("bare tree: %s: median %.1f ms\n", what, median(times));
    std::fflush(stdout);
}

constexpr int kRounds = 7;

void benchInsertAndRemove() {
    const std::vector<int> depths = pasteDepths(252);
    std::vector<double> inserting, removing;
    for (int round = 0; round < kRounds; ++round) {
        HTREEITEM top = freshTree();
        HTREEITEM block = nullptr;
        inserting.push_back(millisecondsOf([&] {
            // As a paste ends: the last item selected and in view.
            paintingOff();
            HTREEITEM last = nullptr;
            block = insertBlock(top, TVI_FIRST, depths, L"p", &last);
            SendMessageW(tree, TVM_EXPAND, TVE_EXPAND, reinterpret_cast<LPARAM>(top));
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(last));
            SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
            SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(last));
            paintOnce();
        }));
        removing.push_back(millisecondsOf([&] {
            paintingOff();
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
            SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(block));
            paintOnce();
        }));
    }
    report("insert 252 items, nested 1-6 deep, painting off, one repaint", inserting);
    report("remove those 252 items", removing);
}

void benchSubtreeMove() {
    // "before", a 250-item subtree, "after", as in the editor's move run.
    HTREEITEM top = freshTree();
    paintingOff();
    insert(top, TVI_LAST, L"before", false);
    std::vector<int> depths;
    for (int k = 0; k < 250; ++k) depths.push_back(k == 0 ? 1 : 2 + (k - 1) % 5);
    HTREEITEM block = insertBlock(top, TVI_LAST, depths, L"m");
    HTREEITEM after = insert(top, TVI_LAST, L"after", false);
    paintOnce();
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(block));
    pumpMessages();
    std::vector<double> moving;
    for (int round = 0; round < kRounds; ++round) {
        moving.push_back(millisecondsOf([&] {
            paintingOff();
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, 0);
            SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(block));
            block = insertBlock(top, after, depths, L"m");
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(block));
            paintOnce();
            SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(block));
        }));
        // Back up again, as the editor's rounds go down and up.
        paintingOff();
        SendMessageW(tree, TVM_DELETEITEM, 0, reinterpret_cast<LPARAM>(after));
        after = insert(top, TVI_LAST, L"after", false);
        paintOnce();
    }
    report("take out a 250-item subtree and put it back one place down", moving);
}

void benchSelection() {
    // A full document: 252 items in runs of parent, child, grandchild.
    HTREEITEM top = freshTree();
    paintingOff();
    std::vector<HTREEITEM> items;
    std::array<HTREEITEM, 4> parents{top};
    for (int k = 0; k < 252; ++k) {
        const int depth = 1 + k % 3;
        wchar_t name[32];
        std::swprintf(name, 32, L"syntax %03d", k);
        HTREEITEM item = insert(parents[std::size_t(depth) - 1], TVI_LAST, name, depth < 3);
        parents[std::size_t(depth)] = item;
        items.push_back(item);
    }
    paintOnce();
    std::vector<double> selecting;
    for (int k = 0; k < 100; ++k) {
        selecting.push_back(millisecondsOf([&] {
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(items[std::size_t(k * 37 % 250)]));
        }));
        pumpMessages();
    }
    report("the tree's own selection change", selecting);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TREEVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = DefWindowProcW;
    windowClass.hInstance = instance;
    windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"BareTreeBench";
    RegisterClassW(&windowClass);
    HWND main = CreateWindowExW(0, windowClass.lpszClassName, L"bare tree", WS_OVERLAPPEDWINDOW, CW_USEDEFAULT,
                                CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    RECT client;
    GetClientRect(main, &client);
    // The editor's tree: the left third of the window, same styles.
    tree = CreateWindowExW(WS_EX_CLIENTEDGE, WC_TREEVIEWW, L"",
                           WS_CHILD | WS_VISIBLE | WS_BORDER | TVS_HASBUTTONS | TVS_HASLINES | TVS_LINESATROOT |
                               TVS_SHOWSELALWAYS,
                           0, 0, (client.right - client.left) / 3, client.bottom - client.top, main, nullptr, instance,
                           nullptr);
    ShowWindow(main, SW_SHOWNORMAL);
    UpdateWindow(main);
    pumpMessages();
    benchInsertAndRemove();
    benchSubtreeMove();
    benchSelection();
    DestroyWindow(main);
    return 0;
}
