#include "commands/logic/tree_positions.h"

namespace lumaset {

int subtreeEnd(const Document& doc, int position) {
    const int depth = depthAt(doc, position);
    int end = position + 1;
    while (end < doc.syntaxCount() && depthAt(doc, end) > depth) ++end;
    return end;
}

int parentPosition(const Document& doc, int position) {
    const int depth = depthAt(doc, position);
    int parent = position - 1;
    while (parent > 0 && depthAt(doc, parent) != depth - 1) --parent;
    return parent < 0 ? 0 : parent;
}

int previousSibling(const Document& doc, int position) {
    const int depth = depthAt(doc, position);
    int before = position - 1;
    while (before > 1 && depthAt(doc, before) > depth) --before;
    if (before <= 1 || depthAt(doc, before) != depth) return -1;
    return before;
}

int nextSibling(const Document& doc, int position) {
    const int after = subtreeEnd(doc, position);
    if (after >= doc.syntaxCount() || depthAt(doc, after) != depthAt(doc, position)) return -1;
    return after;
}

int blockParentBefore(const Document& doc, int sibling, int depth) {
    int parent = sibling - 1;
    while (parent > 1 && depthAt(doc, parent) >= depth) --parent;
    return parent;
}

int blockPredecessorBefore(const Document& doc, int sibling, int depth) {
    int before = sibling - 1;
    while (before > 0 && depthAt(doc, before) > depth) --before;
    return depthAt(doc, before) == depth && before >= kRootRecord ? before : -1;
}

std::vector<int> blockParents(const std::vector<int>& depths) {
    std::vector<int> parents(depths.size(), -1);
    // open[k]: the block index of the last record seen on relative level k.
    std::vector<int> open;
    for (std::size_t i = 0; i < depths.size(); ++i) {
        if (i == 0) {
            open.push_back(0);
            continue;
        }
        int level = depths[i] - depths[0];
        if (level < 1) level = 1;  // nothing in a subtree is as shallow as its top
        if (level > int(open.size())) level = int(open.size());
        parents[i] = open[std::size_t(level - 1)];
        open.resize(std::size_t(level));
        open.push_back(int(i));
    }
    return parents;
}

}  // namespace lumaset
