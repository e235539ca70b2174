#include "views/logic/kept_records.h"

#include <cstddef>

namespace lumaset {

namespace {

bool sameImage(const TableState& a, int i, const TableState& b, int j) {
    const auto& x = a.syntaxes[std::size_t(i)];
    const auto& y = b.syntaxes[std::size_t(j)];
    return x == y || *x == *y;
}

int depthOf(const TableState& state, int position) {
    return static_cast<unsigned char>((*state.syntaxes[std::size_t(position)])[offsetof(SyntaxRecord, depth)]);
}

}  // namespace

int parentIn(const TableState& state, int position) {
    const int depth = depthOf(state, position);
    for (int before = position - 1; before >= kRootRecord; --before)
        if (depthOf(state, before) == depth - 1) return before;
    return -1;
}

int previousSiblingIn(const TableState& state, int position) {
    const int depth = depthOf(state, position);
    for (int before = position - 1; before >= kRootRecord; --before) {
        if (depthOf(state, before) < depth) return -1;
        if (depthOf(state, before) == depth) return before;
    }
    return -1;
}

KeptRecords keptRecords(const TableState& from, const TableState& to) {
    const int n = int(from.syntaxes.size());
    const int m = int(to.syntaxes.size());
    KeptRecords kept;
    while (kept.prefix < n && kept.prefix < m && sameImage(from, kept.prefix, to, kept.prefix)) ++kept.prefix;
    while (kept.suffix < n - kept.prefix && kept.suffix < m - kept.prefix &&
           sameImage(from, n - 1 - kept.suffix, to, m - 1 - kept.suffix))
        ++kept.suffix;
    // A suffix record whose parent is between the two parts in either
    // state gets a new item, and so does everything in front of it. Parents
    // come before children, so one pass in table order finds them all.
    for (int j = 0; j < kept.suffix;) {
        const int oldStart = n - kept.suffix, newStart = m - kept.suffix;
        const int oldParent = parentIn(from, oldStart + j);
        const int newParent = parentIn(to, newStart + j);
        const bool inSuffix = oldParent >= oldStart && newParent - newStart == oldParent - oldStart;
        const bool inPrefix = oldParent < kept.prefix && newParent == oldParent;
        if (inSuffix || inPrefix) {
            ++j;
            continue;
        }
        kept.suffix -= j + 1;
        j = 0;
    }
    return kept;
}

}  // namespace lumaset
