// A syntax set as text: the one readable, editable and complete form of a
// document. `tagtool source` writes it, `tagtool build` reads it back, and
// building what source wrote gives the same bytes as saving the document.
//
//   syntax DEPTH NAME           a syntax, after its parent (DEPTH 1 to 7)
//     pattern TEXT              match pattern, stored as text
//     exit TEXT                 exit pattern
//     lines N                   lines to colour (default 1)
//     interrupting              flags (a number after one sets another value)
//     jump-to-child
//     title TEXT                title pattern, compiled
//     message checked|unchecked makes it a message syntax
//     number TEXT               message-format patterns, compiled
//     check-date
//     date TEXT
//     allow-comment
//     comment TEXT
//     up-arrow-comment
//   index NAME                  an index
//     member NAME               a syntax by its name
//   memo                        the rest of the text is the memo, its lines
//                               joined with CR LF
//
// Attributes are indented; a value is the rest of the line after its key,
// taken literally, or a "quoted" string with \\, \" and \xNN escapes. Lines
// starting with '#' outside the memo are comments. What only a file can
// hold comes in forms of its own, which build takes as they stand:
// `syntax 3! NAME` (a depth the editor would not make), "TEXT" (no NUL),
// "TEXT" (after NUL: HEX), "TEXT" (as stored), code fields as [HEX] or
// "TEXT" (after the code: HEX), `member "NAME" #2` (the second syntax of
// that name), `members N: HEX`, `unused HEX`, `system N NAME` blocks for
// changed system records, `treeItems numbered`, `memo escaped`, and the
// keys patternLines, titleMaxSecond, patternNoSep, legacyTitleSeparator,
// reservedA, reservedB, reservedC, treeItem, reserved, reservedWord and
// (in system blocks) depth.
#pragma once

#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace lumaset {

// Writes the document as text.
void writeSyntaxText(const Document& doc, std::ostream& out);

// Builds a document from text. Every problem is appended to errors as
// "sourceName:LINE:COLUMN: message"; the document is only meaningful when
// there are none.
void buildSyntaxText(std::string_view text, const std::string& sourceName, Document& doc,
                     std::vector<std::string>& errors);

// Why a syntax at this depth, after the given record, is not what the
// editor would make; nullptr when it is.
const char* depthProblem(const SyntaxRecord& previous, int depth);

}  // namespace lumaset
