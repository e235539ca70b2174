#include "commands/clipboard_transfer.h"

#include <cstring>
#include <optional>
#include <vector>

#include "commands/document_commands.h"
#include "commands/logic/syntax_block.h"
#include "commands/logic/tree_positions.h"
#include "document/error_message.h"
#include "resources/resource_ids.h"
#include "views/command_states.h"
#include "views/pane_steps.h"
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

// The selected record just made by new syntax or new child syntax takes the
// pasted bytes, keeping its own depth and item.
void overwriteSelected(App& app, const SyntaxRecord& pasted) {
    const int position = app.selection.selectionIndex;
    SyntaxRecord* record = app.document.syntaxAt(position);
    const std::uint8_t depth = record->depth;
    std::uint8_t item[sizeof record->treeItem];
    std::memcpy(item, record->treeItem, sizeof item);
    std::memcpy(record, &pasted, kSyntaxRecordSize);
    record->depth = depth;
    std::memcpy(record->treeItem, item, sizeof item);
    if (!app.selection.pasting) refillPane(app);
    updateTreeLabel(app, position);
}

HTREEITEM parentItem(App& app, HTREEITEM item) {
    return reinterpret_cast<HTREEITEM>(
        SendMessageW(app.windows.tree, TVM_GETNEXTITEM, TVGN_PARENT, reinterpret_cast<LPARAM>(item)));
}

int pasteRecords(App& app, int commandId, const std::vector<SyntaxRecord>& records);

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
    case ReadResult::Unavailable: return 0;
    case ReadResult::Damaged: showErrorMessage(kDamagedBlockText); return 0;
    case ReadResult::Read: break;
    }

    // The tree repaints once, at the end, instead of once per record.
    // Nor does the focus go back and forth between the tree and the pane.
    SendMessageW(app.windows.tree, WM_SETREDRAW, FALSE, 0);
    app.selection.pasting = true;
    const int result = pasteRecords(app, commandId, records);
    app.selection.pasting = false;
    // The pane and the commands catch up with the last record made.
    if (app.selection.paneStale) showSelectedInPane(app);
    SendMessageW(app.windows.tree, WM_SETREDRAW, TRUE, 0);
    if (HTREEITEM last = itemForRecord(app, app.selection.selectionIndex))
        SendMessageW(app.windows.tree, TVM_ENSUREVISIBLE, 0, reinterpret_cast<LPARAM>(last));
    InvalidateRect(app.windows.tree, nullptr, TRUE);
    return result;
}

namespace {

int pasteRecords(App& app, int commandId, const std::vector<SyntaxRecord>& records) {
    const int selected = app.selection.selectionIndex;
    int created = 0;
    if (selected == kRootRecord || commandId == IDM_EDIT_PASTE_CHILD) {
        created = runCommand(IDM_EDIT_NEW_CHILD);
    } else if (selected < kRootRecord) {
        return 0;
    } else {
        created = runCommand(IDM_EDIT_NEW_SYNTAX);
    }
    if (!created) return 0;
    overwriteSelected(app, records.front());

    int previousDepth = records.front().depth;
    HTREEITEM current = itemForRecord(app, app.selection.selectionIndex);
    for (std::size_t k = 1; k < records.size(); ++k) {
        const int depth = records[k].depth;
        if (depth <= previousDepth) {
            bool climbed = true;
            for (int up = 0; up < previousDepth - depth; ++up) {
                current = parentItem(app, current);
                SendMessageW(app.windows.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(current));
                if (app.selection.selectionIndex <= 0) {
                    showErrorMessage(kPasteInternalErrorText);
                    climbed = false;
                    break;
                }
            }
            if (!climbed) break;
            created = runCommand(IDM_EDIT_NEW_SYNTAX);
        } else {
            if (depth > previousDepth + 1) showErrorMessage(kDepthJumpWarningText);
            created = runCommand(IDM_EDIT_NEW_CHILD);
        }
        if (!created) break;
        previousDepth = depth;
        overwriteSelected(app, records[k]);
        current = itemForRecord(app, app.selection.selectionIndex);
    }
    SetFocus(app.windows.tree);
    return 1;
}

}  // namespace

}  // namespace lumaset
