// Finding a syntax by the text of its fields, as the find bar and F3 do.
#pragma once

#include <string_view>

#include "document/document.h"

namespace lumaset {

// Which fields of a syntax are searched.
struct SearchFields {
    bool name = true;
    bool pattern = true;
    bool exitPattern = true;
    bool title = true;  // the title code rendered back to text
};

// True when the cp932 text holds the needle. ASCII letters match in either
// case and nothing else is folded; a double-byte character is one unit, so a
// needle never starts or ends inside one.
bool containsCp932(std::string_view text, std::string_view needle);

// True when one of the chosen fields of the record holds the needle.
bool syntaxMatches(const SyntaxRecord& record, std::string_view needle, SearchFields fields);

struct SearchHit {
    int position = -1;     // -1: nothing found
    bool wrapped = false;  // found only after passing the end (or the start)
};

// Walks the user syntaxes (record 3 up) from the one after `from` (before it
// when backward) to the end of the table, then wraps round to `from` itself.
// A `from` that is no user syntax (the memo, record 2, nothing) starts at the
// first syntax (the last when backward) and has nothing to wrap to.
SearchHit findSyntax(const Document& document, std::string_view needle, SearchFields fields, int from,
                     bool backward);

}  // namespace lumaset
