#include "commands/logic/tree_positions.h"

#include <algorithm>

namespace lumaset {

int subtreeEnd(const Document& doc, int position) {
    const int depth = depthAt(doc, position);
    int end = position + 1;
    while (end < doc.syntaxCount() && depthAt(doc, end) > depth) ++end;
    return end;
}

int parentPosition(const Document& doc, int position) {
    const int depth = depthAt(doc, position);
    if (position <= kRootRecord) return 0;
    // Records 0 to 2 are nobody's siblings: the search ends at the root.
    int parent = position - 1;
    while (parent > kRootRecord && depthAt(doc, parent) != depth - 1) --parent;
    return parent;
}

int previousSibling(const Document& doc, int position) {
    const int depth = depthAt(doc, position);
    int before = position - 1;
    while (before > kFirstUserRecord && depthAt(doc, before) > depth) --before;
    if (before < kFirstUserRecord || depthAt(doc, before) != depth) return -1;
    return before;
}

int nextSibling(const Document& doc, int position) {
    const int after = subtreeEnd(doc, position);
    if (after >= doc.syntaxCount() || depthAt(doc, after) != depthAt(doc, position)) return -1;
    return after;
}

int blockParentBefore(const Document& doc, int sibling, int depth) {
    int parent = sibling - 1;
    while (parent > kRootRecord && depthAt(doc, parent) >= depth) --parent;
    return parent;
}

int blockPredecessorBefore(const Document& doc, int sibling, int depth) {
    int before = sibling - 1;
    while (before > kRootRecord && depthAt(doc, before) > depth) --before;
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

namespace {

// A block's deepest record, as levels below its top.
int blockHeight(const Document& doc, int position, int end) {
    int height = 0;
    for (int k = position; k < end; ++k) height = std::max(height, depthAt(doc, k) - depthAt(doc, position));
    return height;
}

// A position in the table once the block [from, from + length) is out.
int withoutBlock(int position, int from, int length) { return position >= from + length ? position - length : position; }

}  // namespace

DropPlan planDrop(const Document& doc, int dragged, int target, bool asSibling) {
    DropPlan plan;
    const int count = doc.syntaxCount();
    if (dragged < kFirstUserRecord || dragged >= count || target < kRootRecord || target >= count) return plan;
    const int end = subtreeEnd(doc, dragged);
    if (target == dragged) {
        plan.outcome = DropOutcome::OntoItself;
        return plan;
    }
    if (target > dragged && target < end) {
        plan.outcome = DropOutcome::IntoSubtree;
        return plan;
    }
    const SyntaxRecord& onto = *doc.syntaxAt(target);
    if (asSibling && target == kRootRecord) {
        plan.outcome = DropOutcome::NoSibling;
        return plan;
    }
    // Like a new child: the checks on the parent, in the same order.
    if (!asSibling && onto.interrupting) {
        plan.outcome = DropOutcome::Interrupting;
        return plan;
    }
    if (!asSibling && onto.exitPattern[0] != '\0') {
        plan.outcome = DropOutcome::ExitPattern;
        return plan;
    }
    plan.depth = onto.depth + (asSibling ? 0 : 1);
    if (plan.depth + blockHeight(doc, dragged, end) > kMaxDepth) {
        plan.outcome = DropOutcome::TooDeep;
        return plan;
    }
    const int length = end - dragged;
    // Both ways the block follows the target's subtree.
    plan.position = withoutBlock(subtreeEnd(doc, target), dragged, length);
    if (plan.position == dragged && plan.depth == depthAt(doc, dragged)) {
        plan.outcome = DropOutcome::Unchanged;
        return plan;
    }
    const int parent = asSibling ? parentPosition(doc, target) : target;
    plan.parent = plan.depth == 0 ? -1 : withoutBlock(parent, dragged, length);
    plan.after = asSibling ? withoutBlock(target, dragged, length) : -1;
    plan.outcome = DropOutcome::Move;
    return plan;
}

}  // namespace lumaset
