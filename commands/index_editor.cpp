#include "commands/index_editor.h"

#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "document/error_message.h"
#include "resources/resource_ids.h"
#include "ui/cp932_input.h"
#include "ui/dpi.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"
#include "ui/window_subclass.h"
#include "views/app.h"
#include "views/pane_steps.h"
#include "views/document_history.h"
#include "views/document_state.h"
#include "views/tree_mirror.h"

namespace lumaset {

namespace {

constexpr std::size_t kIndexNameBytes = kIndexNameSize - 2;  // 38: what the terminal takes
constexpr int kMarkSize = 16;
constexpr int kNotMemberImage = 0;
constexpr int kMemberImage = 1;
constexpr char kTooManyMembersText[] = "索引に入れられる構文は２０個までです。";

// What the index dialog works on: the entry the list hands it, and its
// tree's items by syntax position (from 2 on).
struct IndexDialogState {
    IndexEntry* working = nullptr;
    std::wstring shownName;  // the stored name as the field first showed it
    HIMAGELIST marks = nullptr;
    std::vector<HTREEITEM> items;
};

HINSTANCE programInstance() {
    return app().windows.instance ? app().windows.instance : GetModuleHandleW(nullptr);
}

std::wstring nameOf(const IndexEntry& entry) { return wideFromCp932(fieldText(entry.name, kIndexNameSize)); }

// An entry's members as the marks show them. A damaged entry (a count past
// the slots, positions out of order, system records or positions past the
// table) marks only the user syntaxes it names.
bool isMember(const IndexEntry& entry, int position, int syntaxCount) {
    if (position < kFirstUserRecord || position >= syntaxCount) return false;
    const int count = std::min<int>(entry.memberCount, kIndexMemberSlots);
    return std::find(entry.members, entry.members + count, std::uint8_t(position)) != entry.members + count;
}

// --- the index dialog --------------------------------------------------------------

IndexDialogState& stateOf(HWND dialog) {
    return *reinterpret_cast<IndexDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

int markOf(HWND tree, HTREEITEM item) {
    TVITEMW query{};
    query.mask = TVIF_HANDLE | TVIF_IMAGE;
    query.hItem = item;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return query.iImage;
}

void toggleMembership(HWND tree, HTREEITEM item) {
    const int mark = markOf(tree, item) == kNotMemberImage ? kMemberImage : kNotMemberImage;
    TVITEMW change{};
    change.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    change.hItem = item;
    change.iImage = mark;
    change.iSelectedImage = mark;
    SendMessageW(tree, TVM_SETITEMW, 0, reinterpret_cast<LPARAM>(&change));
}

HTREEITEM selectedItem(HWND tree) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
}

// Space marks the selected syntax (the tree would otherwise take it as
// typed text and search); a double-click never folds the tree.
LRESULT indexTreeProc(HWND tree, UINT message, WPARAM wParam, LPARAM lParam, SubclassLayer& layer) {
    switch (message) {
    case WM_KEYDOWN:
        if (wParam == VK_SPACE) {
            MSG typed;
            PeekMessageW(&typed, tree, WM_CHAR, WM_CHAR, PM_REMOVE);
            if (HTREEITEM item = selectedItem(tree)) {
                toggleMembership(tree, item);
                return 0;
            }
        }
        break;
    case WM_LBUTTONDBLCLK:
        return 0;
    default:
        break;
    }
    return layer.next(tree, message, wParam, lParam);
}

HTREEITEM insertSyntaxItem(HWND tree, HTREEITEM parent, int position, const SyntaxRecord& record, int mark) {
    const std::wstring label = wideFromCp932(fieldText(record.name, kNameSize));
    TVINSERTSTRUCTW insert{};
    insert.hParent = parent;
    insert.hInsertAfter = TVI_LAST;
    insert.item.mask = TVIF_TEXT | TVIF_PARAM | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    insert.item.pszText = const_cast<wchar_t*>(label.c_str());
    insert.item.lParam = position;
    insert.item.iImage = mark;
    insert.item.iSelectedImage = mark;
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_INSERTITEMW, 0, reinterpret_cast<LPARAM>(&insert)));
}

// The marks drawn nearest the dialog's DPI.
HIMAGELIST createMarks(HWND dialog) {
    const int dpi = dpiOf(dialog);
    const int size = kMarkSize * nearestDrawingPercent(dpi) / 100;
    HIMAGELIST marks = ImageList_Create(size, size, ILC_COLOR24, 2, 0);
    if (!marks) return nullptr;
    const int ids[] = {bitmapForDpi(dpi, IDB_INDEX_NOT_MEMBER, IDB_INDEX_NOT_MEMBER_150, IDB_INDEX_NOT_MEMBER_200),
                       bitmapForDpi(dpi, IDB_INDEX_MEMBER, IDB_INDEX_MEMBER_150, IDB_INDEX_MEMBER_200)};
    for (int id : ids) {  // image 0, image 1
        auto bitmap = static_cast<HBITMAP>(
            LoadImageW(programInstance(), MAKEINTRESOURCEW(id), IMAGE_BITMAP, size, size, 0));
        ImageList_Add(marks, bitmap, nullptr);
        if (bitmap) DeleteObject(bitmap);
    }
    return marks;
}

// The syntax tree as the main window shows it, from record 2 on. Depths
// are taken as the main tree takes them, so that a file with broken depths
// still shows every record in table order.
void fillSyntaxTree(HWND tree, IndexDialogState& state) {
    const Document& doc = app().document;
    std::array<HTREEITEM, kMaxDepth + 2> parents{};
    parents[0] = TVI_ROOT;
    int previousDepth = -1;
    for (int position = kRootRecord; position < doc.syntaxCount(); ++position) {
        const SyntaxRecord& record = *doc.syntaxAt(position);
        int depth = 0;
        if (position > kRootRecord) {
            depth = std::clamp(int(record.depth), 1, kMaxDepth);
            depth = std::min(depth, previousDepth + 1);
        }
        const int mark = isMember(*state.working, position, doc.syntaxCount()) ? kMemberImage : kNotMemberImage;
        HTREEITEM item = insertSyntaxItem(tree, parents[depth], position, record, mark);
        state.items.push_back(item);
        parents[depth + 1] = item;
        previousDepth = depth;
    }
}

void updateOkButton(HWND dialog) {
    EnableWindow(GetDlgItem(dialog, IDOK), GetWindowTextLengthW(GetDlgItem(dialog, IDC_INDEX_NAME)) > 0);
}

BOOL onIndexInit(HWND dialog, IndexDialogState* state) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(state));
    HWND name = GetDlgItem(dialog, IDC_INDEX_NAME);
    installCp932Input(name, {kIndexNameBytes});
    state->shownName = nameOf(*state->working);
    SetWindowTextW(name, state->shownName.c_str());

    HWND tree = GetDlgItem(dialog, IDC_INDEX_TREE);
    installSubclass<indexTreeProc>(tree, nullptr);
    state->marks = createMarks(dialog);
    SendMessageW(tree, TVM_SETIMAGELIST, TVSIL_NORMAL, reinterpret_cast<LPARAM>(state->marks));
    scaleTreeView(tree, dpiOf(dialog));
    fillSyntaxTree(tree, *state);
    if (!state->items.empty()) {
        expandSubtree(tree, state->items.front());
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(state->items.front()));
    }
    updateOkButton(dialog);
    return TRUE;
}

// The name as it goes into the entry: at most 38 bytes, cut on a character
// boundary. A name the user left alone keeps its stored bytes, even ones
// that no conversion would give back.
void storeName(HWND dialog, const IndexDialogState& state, IndexEntry& entry) {
    const std::wstring typed = windowText(GetDlgItem(dialog, IDC_INDEX_NAME));
    std::string bytes = typed == state.shownName ? std::string(fieldText(entry.name, kIndexNameSize))
                                                 : cp932FromWide(typed);
    bytes = std::string(cutCp932(bytes, kIndexNameBytes));
    std::memset(entry.name, 0, kIndexNameSize);
    std::memcpy(entry.name, bytes.data(), bytes.size());
}

void onIndexOk(HWND dialog) {
    IndexDialogState& state = stateOf(dialog);
    if (GetWindowTextLengthW(GetDlgItem(dialog, IDC_INDEX_NAME)) == 0) return;
    IndexEntry& entry = *state.working;
    storeName(dialog, state, entry);

    // Members in table order; the top record can be marked but is no
    // syntax of the user's, so it never becomes one.
    HWND tree = GetDlgItem(dialog, IDC_INDEX_TREE);
    entry.memberCount = 0;
    for (int position = kFirstUserRecord; position - kRootRecord < int(state.items.size()); ++position) {
        if (markOf(tree, state.items[std::size_t(position - kRootRecord)]) != kMemberImage) continue;
        if (entry.memberCount == kIndexMemberSlots) {
            showErrorMessage(kTooManyMembersText);
            break;
        }
        entry.members[entry.memberCount++] = std::uint8_t(position);
    }
    EndDialog(dialog, IDOK);
}

void onIndexNotify(HWND dialog, const NMHDR& header) {
    if (header.idFrom != IDC_INDEX_TREE || (header.code != NM_CLICK && header.code != NM_DBLCLK)) return;
    TVHITTESTINFO hit{};
    GetCursorPos(&hit.pt);
    ScreenToClient(header.hwndFrom, &hit.pt);
    SendMessageW(header.hwndFrom, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
    if (hit.hItem && (hit.flags & TVHT_ONITEMICON)) toggleMembership(header.hwndFrom, hit.hItem);
    (void)dialog;
}

INT_PTR CALLBACK indexDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return onIndexInit(dialog, reinterpret_cast<IndexDialogState*>(lParam));
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDC_INDEX_NAME:
            if (HIWORD(wParam) == EN_CHANGE) updateOkButton(dialog);
            return TRUE;
        case IDOK:
            onIndexOk(dialog);
            return TRUE;
        case IDCANCEL:
            EndDialog(dialog, IDCANCEL);
            return TRUE;
        default:
            return FALSE;
        }
    case WM_NOTIFY:
        onIndexNotify(dialog, *reinterpret_cast<const NMHDR*>(lParam));
        return FALSE;
    case WM_DESTROY:
        if (auto* state = reinterpret_cast<IndexDialogState*>(GetWindowLongPtrW(dialog, DWLP_USER))) {
            SendMessageW(GetDlgItem(dialog, IDC_INDEX_TREE), TVM_SETIMAGELIST, TVSIL_NORMAL, 0);
            if (state->marks) ImageList_Destroy(state->marks);
            state->marks = nullptr;
        }
        return FALSE;
    default:
        return FALSE;
    }
}

// Runs the index dialog on the working entry; true after OK.
bool editIndexEntry(HWND owner, IndexEntry& working) {
    IndexDialogState state;
    state.working = &working;
    return runModalDialog(programInstance(), IDD_INDEX, owner, indexDialogProc,
                          reinterpret_cast<LPARAM>(&state)) == IDOK;
}

// --- the index list dialog -----------------------------------------------------------

HWND listOf(HWND dialog) { return GetDlgItem(dialog, IDC_INDEX_LIST); }

int selectedRow(HWND dialog) {
    const auto row = int(SendMessageW(listOf(dialog), LB_GETCURSEL, 0, 0));
    return row >= 0 && row < app().document.indexCount() ? row : -1;
}

void selectRow(HWND dialog, int row) { SendMessageW(listOf(dialog), LB_SETCURSEL, WPARAM(row), 0); }

void updateListButtons(HWND dialog) {
    const bool any = app().document.indexCount() > 0;
    // A button that goes grey with the focus on it would leave the keyboard
    // nowhere: the focus moves on to the add button first.
    HWND focus = GetFocus();
    for (int id : {IDC_INDEX_PROPERTIES, IDC_INDEX_DELETE}) {
        HWND button = GetDlgItem(dialog, id);
        if (!any && focus == button) {
            SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(dialog, IDC_INDEX_ADD)), TRUE);
        }
        EnableWindow(button, any);
    }
}

void onListInit(HWND dialog) {
    const Document& doc = app().document;
    for (int i = 0; i < doc.indexCount(); ++i) {
        const std::wstring name = nameOf(*doc.indexAt(i));
        SendMessageW(listOf(dialog), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    }
    if (doc.indexCount() > 0) selectRow(dialog, 0);
    updateListButtons(dialog);
}

void onListProperties(HWND dialog) {
    const int row = selectedRow(dialog);
    if (row < 0) return;
    IndexEntry working;
    std::memcpy(&working, app().document.indexAt(row), sizeof working);
    if (!editIndexEntry(dialog, working)) return;
    beginStep(app());
    markModified();
    std::memcpy(app().document.indexAt(row), &working, sizeof working);
    endStep(app());
    const std::wstring name = nameOf(working);
    SendMessageW(listOf(dialog), LB_DELETESTRING, WPARAM(row), 0);
    SendMessageW(listOf(dialog), LB_INSERTSTRING, WPARAM(row), reinterpret_cast<LPARAM>(name.c_str()));
    selectRow(dialog, row);
    updateListButtons(dialog);
}

void onListAdd(HWND dialog) {
    IndexEntry working{};
    if (!editIndexEntry(dialog, working)) return;
    Document& doc = app().document;
    beginStep(app());
    const bool added = doc.indexTable.insertAt(doc.indexCount(), &working);
    if (added) markModified();
    endStep(app());
    if (!added) return;
    const std::wstring name = nameOf(working);
    const auto row = SendMessageW(listOf(dialog), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name.c_str()));
    selectRow(dialog, int(row));
    updateListButtons(dialog);
}

// No question: the entry is only a list of positions, and Close does not
// undo it either way.
void onListDelete(HWND dialog) {
    const int row = selectedRow(dialog);
    if (row < 0) return;
    Document& doc = app().document;
    beginStep(app());
    markModified();
    doc.indexTable.removeAt(row);
    endStep(app());
    SendMessageW(listOf(dialog), LB_DELETESTRING, WPARAM(row), 0);
    selectRow(dialog, row < doc.indexCount() ? row : row - 1);
    updateListButtons(dialog);
}

INT_PTR CALLBACK indexListDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        onListInit(dialog);
        return TRUE;
    case WM_COMMAND:
        switch (LOWORD(wParam)) {
        case IDOK:
        case IDCANCEL:
            EndDialog(dialog, 1);
            return TRUE;
        case IDC_INDEX_PROPERTIES:
            onListProperties(dialog);
            return TRUE;
        case IDC_INDEX_ADD:
            onListAdd(dialog);
            return TRUE;
        case IDC_INDEX_DELETE:
            onListDelete(dialog);
            return TRUE;
        case IDC_INDEX_LIST:
            // A double-click on a name opens it, as the properties button does.
            if (HIWORD(wParam) == LBN_DBLCLK) onListProperties(dialog);
            return TRUE;
        default:
            return FALSE;
        }
    default:
        return FALSE;
    }
}

}  // namespace

int editIndexes() {
    // The dialog lists the syntaxes by name: a pending rename is settled
    // first, once, so it shows what the user will keep.
    if (!settlePaneDraft(app())) return 0;
    runModalDialog(programInstance(), IDD_INDEX_LIST, app().windows.main, indexListDialogProc, 0);
    return 1;
}

}  // namespace lumaset
