#include "views/logic/syntax_search.h"

#include "pattern/pattern_code.h"

namespace lumaset {

namespace {

int unitLength(std::string_view text, std::size_t at) {
    return isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

char foldAscii(char c) { return c >= 'a' && c <= 'z' ? char(c - 'a' + 'A') : c; }

// The needle starts at `at`, a character boundary of the text.
bool matchesAt(std::string_view text, std::size_t at, std::string_view needle) {
    std::size_t t = at, n = 0;
    while (n < needle.size()) {
        if (t >= text.size()) return false;
        const int textUnit = unitLength(text, t), needleUnit = unitLength(needle, n);
        if (textUnit != needleUnit) return false;
        if (textUnit == 1) {
            if (foldAscii(text[t]) != foldAscii(needle[n])) return false;
        } else if (text.compare(t, 2, needle, n, 2) != 0) {
            return false;
        }
        t += textUnit;
        n += needleUnit;
    }
    return true;
}

}  // namespace

bool containsCp932(std::string_view text, std::string_view needle) {
    if (needle.empty()) return true;
    for (std::size_t at = 0; at < text.size(); at += unitLength(text, at))
        if (matchesAt(text, at, needle)) return true;
    return false;
}

bool syntaxMatches(const SyntaxRecord& record, std::string_view needle, SearchFields fields) {
    if (fields.name && containsCp932(fieldText(record.name, kNameSize), needle)) return true;
    if (fields.pattern && containsCp932(fieldText(record.pattern, kPatternSize), needle)) return true;
    if (fields.exitPattern && containsCp932(fieldText(record.exitPattern, kExitPatternSize), needle)) return true;
    if (fields.title) {
        char area[kRenderAreaSize] = {};
        // A code that does not render has no title to find.
        if (renderPattern(record.titleCode, kTitleCodeSize, area) > 0 &&
            containsCp932(fieldText(area, kRenderAreaSize), needle))
            return true;
    }
    return false;
}

SearchHit findSyntax(const Document& document, std::string_view needle, SearchFields fields, int from,
                     bool backward) {
    const int first = kFirstUserRecord, end = document.syntaxCount();
    if (needle.empty() || end <= first) return {};
    const bool inside = from >= first && from < end;
    const int count = end - first;
    // Without a syntax to start from, the walk begins just outside the table.
    const int start = inside ? from : (backward ? end : first - 1);
    for (int step = 1; step <= count; ++step) {
        int position = backward ? start - step : start + step;
        bool wrapped = false;
        if (position >= end) {
            position -= count;
            wrapped = true;
        } else if (position < first) {
            position += count;
            wrapped = true;
        }
        if (syntaxMatches(*document.syntaxAt(position), needle, fields)) return {position, wrapped};
    }
    return {};
}

}  // namespace lumaset
