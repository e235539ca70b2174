// Where a paste puts the records of a clipboard block: the table positions
// that new syntax and new child syntax would give them one by one, worked
// out on the table alone, so the tree gets its items in one pass after.
#pragma once

#include <vector>

#include "document/document.h"

namespace lumaset {

// Why a record of a paste could not be made.
enum class PasteStop {
    None,
    Quiet,           // nothing to paste onto (no syntax, or a sibling of record 2)
    NewSyntaxLimit,  // the table is full for a sibling
    NewChildLimit,   // ...for a child (one record fewer)
    Interrupting,    // the parent is an interrupting syntax
    ExitPattern,     // the parent has an exit pattern
    TooDeep,         // the parent is at kMaxDepth
    ClimbedOut,      // the block climbs above the top record
};

// What refuses the paste's first record, as a sibling of `selected` or
// (asChild) as its first child; None when it can be made.
PasteStop firstPasteStop(const Document& doc, int selected, bool asChild);

struct PasteResult {
    std::vector<int> positions;  // the records made, ascending
    PasteStop stop = PasteStop::None;
    int selection = -1;  // the record the paste ends on; -1 none
};

// Inserts the records into the table: the first one after `selected` (as a
// sibling, or asChild as its first child), each further one a child of the
// one before when its depth (`depths`, already repaired) is deeper, else a
// sibling of the ancestor on its level. Stops at the first record that
// cannot be made; the records made before it stay. Records keep their bytes
// but for the depth and the tree item slot.
PasteResult pasteIntoTable(Document& doc, int selected, bool asChild, const std::vector<SyntaxRecord>& records,
                           const std::vector<int>& depths);

}  // namespace lumaset
