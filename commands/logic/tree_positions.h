// Where things are in the flat, depth-first syntax table: subtrees,
// parents and siblings, as the structure edits and the paste need them.
// Plain functions over the document, so they are tested without windows.
#pragma once

#include <vector>

#include "document/document.h"

namespace lumaset {

inline int depthAt(const Document& doc, int position) { return doc.syntaxAt(position)->depth; }

// One past the last record of the subtree of `position`: the first record
// after it that is not deeper than it (or the table's end).
int subtreeEnd(const Document& doc, int position);
// The record and its descendants.
inline int subtreeLength(const Document& doc, int position) { return subtreeEnd(doc, position) - position; }

// The nearest record before `position` that is one level shallower; 0 when
// there is none.
int parentPosition(const Document& doc, int position);

// The sibling just before `position`: going back past deeper records, the
// first record reached, when it is at the same depth (and above record 1);
// -1 for a first child.
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

}  // namespace lumaset
