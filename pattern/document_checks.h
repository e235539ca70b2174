// What is probably wrong in a document: findings for the problems list,
// the pane and `tagtool check`. Nothing here changes the document.
#pragma once

#include <string>
#include <vector>

#include "document/document.h"

namespace lumaset {

// The field a finding concerns, so that the problems list can put the
// focus there.
enum class CheckField { Name, Pattern, ExitPattern, ColourLines, Title, MessageFormat, Index };

struct Finding {
    std::string code;         // stable short code: "pattern-fault", "same-pattern", ...
    int position = -1;        // SyntaxTable position of the syntax (-1: none, an index only)
    int indexPosition = -1;   // IndexTable position for index-duplicate / index-empty
    CheckField field = CheckField::Pattern;
    std::string path;         // tree path, names joined with "/", cp932
    std::string text;         // one-line explanation, UTF-8
};

// Every finding, in table order (syntaxes first, then indexes).
std::vector<Finding> checkDocument(const Document& doc);

// The tree path of a record: the names from the first user level down,
// joined with "/", cp932 bytes.
std::string syntaxTreePath(const Document& doc, int position);

}  // namespace lumaset
