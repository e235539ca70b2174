// Which records two table states share where the tree is concerned, so an
// undo or redo re-makes only the items of the records between them.
#pragma once

#include "views/logic/history_log.h"

namespace lumaset {

// Records [0, prefix) are the same in both states; so are the last `suffix`
// records of each, and each of those hangs under the same record in both
// (one of the prefix, or the suffix record at the same offset). Their items
// can stay; the records between are taken out and put in. The prefix
// counts from record 0: it is kRootRecord or less when record 2 differs.
struct KeptRecords {
    int prefix = 0;
    int suffix = 0;
};

KeptRecords keptRecords(const TableState& from, const TableState& to);

// In a state's table: the nearest record before `position` one level
// shallower (-1: none), and the sibling just before it (-1: a first child).
int parentIn(const TableState& state, int position);
int previousSiblingIn(const TableState& state, int position);

}  // namespace lumaset
