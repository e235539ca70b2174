// The index editor: the index list dialog (108), which lists, adds, edits
// and deletes index entries, and the index dialog (109), which edits one
// entry's name and members by marking syntaxes in a tree.
#pragma once

namespace lumaset {

// Runs the index list modally over the main window (command 40039).
// Always 1: closing the list is no failure.
int editIndexes();

}  // namespace lumaset
