// The undo history as plain data: one state of the tables per step
// boundary. Records that a step leaves alone are shared with the state
// before it, so a step costs its changed records and a few kilobytes of
// pointers, not a copy of the whole table.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "document/document.h"

namespace lumaset {

// The tables as a step leaves them, with what the tree showed then.
struct TableState {
    // One 920-byte image per record; treeItem is zero from record 2 on
    // (the tree mirror re-makes those slots), records 0 and 1 keep theirs.
    std::vector<std::shared_ptr<const std::string>> syntaxes;
    std::string indexes;                // every IndexEntry, byte for byte
    std::vector<std::uint8_t> expanded; // per record position: 1 when its item was expanded
    int selection = -1;                 // selection index to restore
    std::size_t ownBytes = 0;           // bytes this state holds that the state before it does not
};

// The tables of doc, sharing the images of `like` that are unchanged
// (null: share nothing). The expanded bits and selection stay empty.
TableState captureTables(const Document& doc, const TableState* like);
// True when both states hold the same records and index entries.
bool sameTables(const TableState& a, const TableState& b);
// Puts the state's tables into doc; false when a table block cannot be
// had (checked before the tables are touched).
bool restoreTables(Document& doc, const TableState& state);

class HistoryLog {
public:
    static constexpr int kMaxSteps = 200;
    // Far above 200 steps of whole 255-record tables with sharing; a guard
    // against pathological documents only.
    static constexpr std::size_t kByteBudget = std::size_t(48) << 20;

    // One state, nothing to undo or redo; that state is the saved one.
    void reset(TableState initial);
    const TableState& current() const { return states_[cursor_]; }
    // The current state seen again just before a step or an undo: what the
    // tree shows now, and bookkeeping bytes the apply step keeps quietly.
    void replaceCurrent(TableState state);
    // Only what the tree shows (expanded items, selection) of the current
    // state: before an undo or redo, whose target is exact bytes.
    void updateView(const TableState& state);
    // A step that led to `after`: drops the redo states and, past the
    // limits, the oldest ones. False (nothing pushed, the view info of the
    // current state taken over) when the tables did not change.
    bool push(TableState after);
    // The state to show after moving back or forward; null when there is
    // none.
    const TableState* undo();
    const TableState* redo();

    bool canUndo() const { return cursor_ > 0; }
    bool canRedo() const { return cursor_ + 1 < int(states_.size()); }
    int undoSteps() const { return cursor_; }
    int redoSteps() const { return int(states_.size()) - 1 - cursor_; }
    void markSaved() { savedAt_ = cursor_; }
    // No state of the history is what the file holds (a repaired load, a
    // recovered copy).
    void forgetSaved() { savedAt_ = -1; }
    bool atSavedState() const { return savedAt_ == cursor_; }
    // Bytes held by the states: record images counted once however many
    // states share them, plus each state's own vectors.
    std::size_t bytesHeld() const;

private:
    void dropOldest();
    std::size_t budgetBytes() const;

    std::deque<TableState> states_{TableState{}};
    int cursor_ = 0;
    int savedAt_ = 0;  // -1: the saved state is no longer in the history
};

}  // namespace lumaset
