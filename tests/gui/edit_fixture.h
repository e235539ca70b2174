// A GUI test fixture for the commands that edit the tree: a document of
// given depths, selection by position, commands run as the menu runs them.
#pragma once

#include "gui/gui_support.h"

#include <commctrl.h>

#include <cstring>
#include <string>
#include <vector>

#include "commands/document_commands.h"
#include "gui/tree_invariant.h"
#include "ui/text_convert.h"
#include "views/tree_mirror.h"

namespace lumaset::testing {

class EditTest : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        uiHooks().beep = [this] { ++beeps; };
    }

    // A fresh tree of user syntaxes named s1, s2, ... with these depths.
    void load(std::initializer_list<int> depths) {
        Document& doc = a().document;
        clearTreeSelection(a());
        doc.newDocument();
        int n = 0;
        for (int depth : depths) appendSyntax(doc, ("s" + std::to_string(++n)).c_str(), depth);
        buildTree(a());
        pumpMessages();
        a().file.modified = false;
    }
    // Flat depth-1 syntaxes up to `count` records in all.
    void loadFlat(int count) {
        Document& doc = a().document;
        clearTreeSelection(a());
        doc.newDocument();
        while (doc.syntaxCount() < count) appendSyntax(doc, "x", 1);
        buildTree(a());
        pumpMessages();
    }
    void select(int position) {
        SendMessageW(a().windows.tree, TVM_SELECTITEM, TVGN_CARET,
                     reinterpret_cast<LPARAM>(position == 0 ? a().tree.rootItem : itemForRecord(a(), position)));
        pumpMessages();
        ASSERT_EQ(a().selection.selectionIndex, position);
    }
    int run(int command) {
        const int result = runCommand(command);
        pumpMessages();
        return result;
    }
    // "name:depth" for every user syntax, the name as UTF-8.
    std::vector<std::string> shape() {
        std::vector<std::string> out;
        const Document& doc = a().document;
        for (int p = kFirstUserRecord; p < doc.syntaxCount(); ++p)
            out.push_back(utf8FromWide(wideFromCp932(fieldText(doc.syntaxAt(p)->name, kNameSize))) + ":" +
                          std::to_string(doc.syntaxAt(p)->depth));
        return out;
    }
    std::vector<std::uint8_t> tableBytes() {
        const Document& doc = a().document;
        std::vector<std::uint8_t> bytes;
        for (int p = 0; p < doc.syntaxCount(); ++p) {
            const auto* r = reinterpret_cast<const std::uint8_t*>(doc.syntaxAt(p));
            bytes.insert(bytes.end(), r, r + kSyntaxRecordSize);
        }
        return bytes;
    }
    void addIndex(std::initializer_list<int> members) {
        IndexEntry entry{};
        std::strcpy(entry.name, "idx");
        for (int m : members) entry.members[entry.memberCount++] = std::uint8_t(m);
        a().document.indexTable.insertAt(a().document.indexCount(), &entry);
    }
    std::vector<int> members(int index) {
        const IndexEntry* e = a().document.indexAt(index);
        return std::vector<int>(e->members, e->members + e->memberCount);
    }
    bool expanded(int position) {
        return (SendMessageW(a().windows.tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(itemForRecord(a(), position)),
                             TVIS_EXPANDED) & TVIS_EXPANDED) != 0;
    }
    HTREEITEM caret() { return treeItem(a().windows.tree, nullptr, TVGN_CARET); }
    // A mouse click on the item's [+]/[-] button.
    bool clickButton(HTREEITEM item) {
        HWND tree = a().windows.tree;
        RECT r{};
        *reinterpret_cast<HTREEITEM*>(&r) = item;
        if (!SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&r))) return false;
        const int y = (r.top + r.bottom) / 2;
        for (int x = 0; x < r.left; ++x) {
            TVHITTESTINFO hit{{x, y}, 0, nullptr};
            SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.hItem != item || !(hit.flags & TVHT_ONITEMBUTTON)) continue;
            SendMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
            SendMessageW(tree, WM_LBUTTONUP, 0, MAKELPARAM(x, y));
            pumpMessages();
            return true;
        }
        return false;
    }

    int beeps = 0;
};

}  // namespace lumaset::testing
