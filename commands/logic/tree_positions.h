// Where things are in the flat, depth-first syntax table: subtrees,
// parents and siblings, as the structure edits and the paste need them.
// Plain functions over the document, so they are tested without windows.
#pragma once

#include <vector>

#include "document/document.h"

namespace lumaset {

// New syntax is refused from this many records on; new child syntax from
// one fewer.
inline constexpr int kNewSyntaxRecordLimit = 255;
inline constexpr int kNewChildRecordLimit = 254;

inline int depthAt(const Document& doc, int position) { return doc.syntaxAt(position)->depth; }

// One past the last record of the subtree of `position`: the first record
// after it that is not deeper than it (or the table's end).
int subtreeEnd(const Document& doc, int position);
// The record and its descendants.
inline int subtreeLength(const Document& doc, int position) { return subtreeEnd(doc, position) - position; }

// The nearest record before `position` that is one level shallower; the root
// record when none is (0 for the system records themselves).
int parentPosition(const Document& doc, int position);

// The sibling just before `position`: going back past deeper records, the
// first record reached, when it is a user syntax at the same depth; -1 for a
// first child.
int previousSibling(const Document& doc, int position);
// The record right after the subtree, when it is at the same depth; -1 for
// a last child.
int nextSibling(const Document& doc, int position);

// A moved block of `depth` that goes in front of its sibling `sibling`:
// the record whose item the block hangs under...
int blockParentBefore(const Document& doc, int sibling, int depth);
// ...and the sibling before `sibling` whose item it follows, or -1 when it
// becomes the first child.
int blockPredecessorBefore(const Document& doc, int sibling, int depth);

// For each record of a block (depth-first, first record on top), the index
// in the block of the record its item goes under; -1 for the top record.
// A depth that jumps by more than one goes under the record just before it.
std::vector<int> blockParents(const std::vector<int>& depths);

// A syntax dragged onto another in the tree.
enum class DropOutcome {
    Move,          // the plan below holds
    Unchanged,     // the block would land where it stands
    NotMovable,    // the root or record 2 dragged, the root item as target, or no such record
    OntoItself,    // dropped on itself: nothing to do
    IntoSubtree,   // dropped into its own subtree
    Interrupting,  // the new parent is an interrupting syntax
    ExitPattern,   // the new parent has an exit pattern
    TooDeep,       // a record of the block would go past kMaxDepth
    NoSibling,     // record 2 takes no siblings
};

// Where a dragged block goes. Positions count in the table as it is once
// the block is taken out: the block's first record goes to `position`,
// its item hangs under the item of `parent` (-1: the tree's root) after the
// item of `after` (-1: as the last child).
struct DropPlan {
    DropOutcome outcome = DropOutcome::NotMovable;
    int depth = 0;  // the top record's new depth
    int position = 0;
    int parent = -1;
    int after = -1;
};

// `dragged` dropped on `target`: as its last child, or with asSibling as
// its next sibling after its subtree.
DropPlan planDrop(const Document& doc, int dragged, int target, bool asSibling);

}  // namespace lumaset
