#include "gui/tree_invariant.h"

#include <commctrl.h>

#include <vector>

#include "gui/gui_support.h"
#include "ui/text_convert.h"
#include "views/tree_mirror.h"

namespace lumaset::testing {

namespace {

struct Shown {
    HTREEITEM item;
    HTREEITEM parent;
};

void walk(HWND tree, HTREEITEM first, HTREEITEM parent, std::vector<Shown>& out) {
    for (HTREEITEM item = first; item; item = treeItem(tree, item, TVGN_NEXT)) {
        out.push_back({item, parent});
        walk(tree, treeItem(tree, item, TVGN_CHILD), item, out);
    }
}

}  // namespace

std::string treeMismatch(const App& app) {
    HWND tree = app.windows.tree;
    const Document& doc = app.document;
    std::vector<Shown> shown;
    walk(tree, treeItem(tree, nullptr, TVGN_ROOT), nullptr, shown);
    if (shown.empty() || shown.front().item != app.tree.rootItem) return "the first item is not Copyright";
    if (treeItem(tree, shown.front().item, TVGN_CHILD)) return "Copyright has children";
    shown.erase(shown.begin());
    if (int(shown.size()) != doc.syntaxCount() - kRootRecord)
        return "items " + std::to_string(shown.size()) + ", records from 2 on " +
               std::to_string(doc.syntaxCount() - kRootRecord);

    // lastAt[d]: the item of the last record seen at depth d.
    std::vector<HTREEITEM> lastAt(kMaxDepth + 2, nullptr);
    for (int position = kRootRecord; position < doc.syntaxCount(); ++position) {
        const SyntaxRecord& record = *doc.syntaxAt(position);
        const Shown& s = shown[std::size_t(position - kRootRecord)];
        const std::string at = "record " + std::to_string(position) + ": ";
        if (itemForRecord(app, position) != s.item) return at + "treeItem names another item";
        if (treeItemText(tree, s.item) != wideFromCp932(fieldText(record.name, kNameSize)))
            return at + "label is not the name";
        const int depth = record.depth;
        if (position == kRootRecord ? depth != 0 : (depth < 1 || depth > kMaxDepth)) return at + "bad depth";
        const HTREEITEM wanted = position == kRootRecord ? nullptr : lastAt[std::size_t(depth - 1)];
        if (position > kRootRecord && !wanted) return at + "no record one level up before it";
        if (s.parent != wanted) return at + "shown under the wrong item";
        lastAt[std::size_t(depth)] = s.item;
        for (std::size_t d = std::size_t(depth) + 1; d < lastAt.size(); ++d) lastAt[d] = nullptr;
    }
    return {};
}

}  // namespace lumaset::testing
