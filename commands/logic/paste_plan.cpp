#include "commands/logic/paste_plan.h"

#include "commands/logic/tree_positions.h"

namespace lumaset {

namespace {

PasteStop childStop(const Document& doc, int parent) {
    if (doc.syntaxCount() >= kNewChildRecordLimit) return PasteStop::NewChildLimit;
    if (parent <= 1 || parent >= doc.syntaxCount()) return PasteStop::Quiet;
    const SyntaxRecord& record = *doc.syntaxAt(parent);
    if (record.interrupting) return PasteStop::Interrupting;
    if (record.exitPattern[0] != '\0') return PasteStop::ExitPattern;
    if (record.depth >= kMaxDepth) return PasteStop::TooDeep;
    return PasteStop::None;
}

PasteStop siblingStop(const Document& doc, int sibling) {
    if (doc.syntaxCount() >= kNewSyntaxRecordLimit) return PasteStop::NewSyntaxLimit;
    if (sibling <= kRootRecord || sibling >= doc.syntaxCount()) return PasteStop::Quiet;
    return PasteStop::None;
}

}  // namespace

PasteStop firstPasteStop(const Document& doc, int selected, bool asChild) {
    if (asChild) return childStop(doc, selected);
    if (selected < kRootRecord) return PasteStop::Quiet;
    return siblingStop(doc, selected);
}

PasteResult pasteIntoTable(Document& doc, int selected, bool asChild, const std::vector<SyntaxRecord>& records,
                           const std::vector<int>& depths) {
    PasteResult result;
    int current = selected;
    const auto stopped = [&](PasteStop stop) {
        result.stop = stop;
        result.selection = current;
        return stop != PasteStop::None;
    };
    const auto place = [&](std::size_t k, int position, int depth) {
        SyntaxRecord record = records[k];
        record.depth = std::uint8_t(depth);
        setTreeItemSlot(record, 0);
        if (!doc.insertSyntax(position, record)) return stopped(PasteStop::Quiet), false;
        result.positions.push_back(position);
        current = position;
        return true;
    };
    if (records.empty() || stopped(firstPasteStop(doc, selected, asChild))) return result;
    if (asChild ? !place(0, current + 1, depthAt(doc, current) + 1)
                : !place(0, subtreeEnd(doc, current), depthAt(doc, current)))
        return result;

    for (std::size_t k = 1; k < records.size() && k < depths.size(); ++k) {
        if (depths[k] > depths[k - 1]) {
            if (stopped(childStop(doc, current)) || !place(k, current + 1, depthAt(doc, current) + 1)) break;
            continue;
        }
        // Up to the ancestor on this record's level; past record 2 there is none.
        for (int up = 0; up < depths[k - 1] - depths[k]; ++up) {
            if (depthAt(doc, current) == 0) {
                current = -1;
                stopped(PasteStop::ClimbedOut);
                return result;
            }
            current = parentPosition(doc, current);
        }
        if (stopped(siblingStop(doc, current)) || !place(k, subtreeEnd(doc, current), depthAt(doc, current))) break;
    }
    if (result.stop == PasteStop::None) result.selection = current;
    return result;
}

}  // namespace lumaset
