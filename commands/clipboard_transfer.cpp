#include "commands/clipboard_transfer.h"

#include <cstring>
#include <optional>
#include <vector>

#include "commands/document_commands.h"
#include "commands/logic/paste_plan.h"
#include "commands/logic/syntax_block.h"
#include "commands/logic/tree_positions.h"
#include "commands/structure_edits.h"
#include "document/error_message.h"
#include "resources/resource_ids.h"
#include "views/command_states.h"
#include "views/document_state.h"
#include "views/pane_steps.h"
#include "views/status_line.h"
#include "views/tree_mirror.h"

namespace lumaset {

namespace {

// The block as movable global memory that the clipboard can own.
HGLOBAL globalCopy(const std::vector<std::uint8_t>& bytes) {
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes.size());
    if (!memory) return nullptr;
    void* target = GlobalLock(memory);
    if (!target) {
        GlobalFree(memory);
        return nullptr;
    }
    std::memcpy(target, bytes.data(), bytes.size());
    GlobalUnlock(memory);
    return memory;
}

enum class ReadResult { Unavailable, Damaged, Read };

// Copies the private block out of the clipboard; the clipboard is open only
// for that.
ReadResult readClipboardBlock(App& app, std::vector<SyntaxRecord>& records) {
    if (!OpenClipboard(app.windows.main)) return ReadResult::Unavailable;
    ReadResult result = ReadResult::Unavailable;
    if (HANDLE data = GetClipboardData(syntaxClipboardFormat())) {
        result = ReadResult::Damaged;
        if (const void* bytes = GlobalLock(data)) {
            if (auto parsed = parseSyntaxBlock(static_cast<const std::uint8_t*>(bytes), GlobalSize(data))) {
                records = std::move(*parsed);
                result = ReadResult::Read;
            }
            GlobalUnlock(data);
        }
    }
    CloseClipboard();
    return result;
}

// The message of a record the paste cannot make; null for a quiet stop.
const char* stopMessage(PasteStop stop) {
    switch (stop) {
    case PasteStop::NewSyntaxLimit: return kNewSyntaxLimitText;
    case PasteStop::NewChildLimit: return kNewChildLimitText;
    case PasteStop::Interrupting: return kInterruptingParentText;
    case PasteStop::ExitPattern: return kExitPatternParentText;
    case PasteStop::TooDeep: return kDepthLimitText;
    case PasteStop::ClimbedOut: return kPasteInternalErrorText;
    default: return nullptr;
    }
}

// True when the first record cannot be made, after saying why.
bool refusedAtFirst(const App& app, bool asChild) {
    const PasteStop stop = firstPasteStop(app.document, app.selection.selectionIndex, asChild);
    if (stop == PasteStop::None) return false;
    if (const char* text = stopMessage(stop)) showErrorMessage(text);
    return true;
}

// Items for the records a paste made, in table order, each with its final
// label and open state; a record it made has only children it made too.
void insertPastedItems(App& app, const std::vector<int>& positions) {
    const Document& doc = app.document;
    for (int position : positions) {
        const int parent = parentPosition(doc, position);
        const int sibling = previousSibling(doc, position);
        insertRecordItem(app, position, itemForRecord(app, parent),
                         sibling < 0 ? TVI_FIRST : itemForRecord(app, sibling), doc.hasChildren(position));
        // A syntax that had no children, or was closed, opens to show them.
        if (!recordExpanded(app, parent)) setRecordExpanded(app, parent, true);
    }
}

// The paste ends on `position` (-1: nothing): the pane and the commands
// follow it once, through the selection change or here when it stays. The
// question was asked at the paste's start: leaving the syntax asks nothing.
void selectAfterPaste(App& app, int position) {
    HWND tree = app.windows.tree;
    HTREEITEM item = itemForRecord(app, position);
    const auto current = reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
    app.selection.selectionIndex = -1;
    if (item && item == current) {
        app.selection.selectionIndex = position;
        showSelectedInPane(app);
    } else {
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
    }
}

}  // namespace

int copySyntaxes(App& app, int commandId) {
    const Document& doc = app.document;
    const int selected = app.selection.selectionIndex;
    // Only a user syntax can be copied; record 2 is the whole tree.
    if (selected < kFirstUserRecord || selected >= doc.syntaxCount()) return 0;
    const int count = commandId == IDM_EDIT_COPY_ONE ? 1 : subtreeLength(doc, selected);

    // Built before the clipboard is emptied, so a failure leaves it as it was.
    HGLOBAL block = globalCopy(makeSyntaxBlock(doc, selected, count));
    if (!block) return 0;
    if (!OpenClipboard(app.windows.main)) {
        GlobalFree(block);
        return 0;
    }
    EmptyClipboard();
    const bool handed = SetClipboardData(syntaxClipboardFormat(), block) != nullptr;
    CloseClipboard();
    if (!handed) {
        GlobalFree(block);
        return 0;
    }
    if (commandId == IDM_EDIT_CUT) return runCommand(IDM_EDIT_DELETE);
    return 1;
}

int pasteSyntaxes(App& app, int commandId) {
    std::vector<SyntaxRecord> records;
    switch (readClipboardBlock(app, records)) {
    case ReadResult::Unavailable: noteRefusedCommand(app, commandId); return 0;
    case ReadResult::Damaged: showErrorMessage(kDamagedBlockText); return 0;
    case ReadResult::Read: break;
    }
    Document& doc = app.document;
    const int selected = app.selection.selectionIndex;
    // Record 2 takes no siblings: a paste onto it makes children.
    const bool asChild = selected == kRootRecord || commandId == IDM_EDIT_PASTE_CHILD;
    // What is refused anyway asks nothing; what the answer applied may
    // refuse it still.
    if (refusedAtFirst(app, asChild) || !settlePaneDraft(app) || refusedAtFirst(app, asChild)) return 0;

    // Depths that jump are mended as a loaded file's are: only the steps
    // between records count, one level down at most.
    std::vector<int> depths;
    for (const SyntaxRecord& record : records) depths.push_back(record.depth);
    if (repairDepths(depths, kMaxDepth) > 0) showErrorMessage(kDepthJumpWarningText);

    // The table first, then every item at once with its final text and
    // state, and one repaint: item by item is what made a paste slow.
    HWND tree = app.windows.tree;
    SendMessageW(tree, WM_SETREDRAW, FALSE, 0);
    const PasteResult result = pasteIntoTable(doc, selected, asChild, records, depths);
    insertPastedItems(app, result.positions);
    if (!result.positions.empty()) markModified();
    selectAfterPaste(app, result.selection);
    SendMessageW(tree, WM_SETREDRAW, TRUE, 0);
    if (HTREEITEM last = itemForRecord(app, result.selection))
        SendMessageW(tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(last));
    InvalidateRect(tree, nullptr, TRUE);
    if (const char* text = stopMessage(result.stop)) showErrorMessage(text);
    if (result.positions.empty()) return 0;
    SetFocus(tree);
    return 1;
}

}  // namespace lumaset
