#include "gui/gui_support.h"

#include <commctrl.h>

#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "commands/document_commands.h"
#include "gui/dialog_driver.h"
#include "resources/resource_ids.h"
#include "ui/text_convert.h"

namespace lumaset::testing {
namespace {

std::vector<HTREEITEM> itemsInOrder(HWND tree, HTREEITEM first) {
    std::vector<HTREEITEM> items;
    for (HTREEITEM item = first; item; item = treeItem(tree, item, TVGN_NEXT)) {
        items.push_back(item);
        const auto below = itemsInOrder(tree, treeItem(tree, item, TVGN_CHILD));
        items.insert(items.end(), below.begin(), below.end());
    }
    return items;
}

// The index dialog's items, one per syntax from record 2 on.
std::vector<HTREEITEM> syntaxItems(HWND dialog) {
    HWND tree = GetDlgItem(dialog, IDC_INDEX_TREE);
    return itemsInOrder(tree, treeItem(tree, nullptr, TVGN_ROOT));
}

int markOf(HWND tree, HTREEITEM item) {
    TVITEMW query{};
    query.mask = TVIF_HANDLE | TVIF_IMAGE | TVIF_SELECTEDIMAGE;
    query.hItem = item;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    EXPECT_EQ(query.iImage, query.iSelectedImage);
    return query.iImage;
}

// The labels of the marked items, in tree order.
std::vector<std::wstring> markedNames(HWND dialog) {
    HWND tree = GetDlgItem(dialog, IDC_INDEX_TREE);
    std::vector<std::wstring> names;
    for (HTREEITEM item : syntaxItems(dialog))
        if (markOf(tree, item) == 1) names.push_back(treeItemText(tree, item));
    return names;
}

void select(HWND tree, HTREEITEM item) {
    SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(item));
}

// Space as the keyboard sends it: the key, and the character that the
// dialog's loop makes of it.
void pressSpace(HWND dialog) {
    HWND tree = GetDlgItem(dialog, IDC_INDEX_TREE);
    SetFocus(tree);
    PostMessageW(tree, WM_KEYDOWN, VK_SPACE, 0x00390001);
    pumpDialog(dialog);
    PostMessageW(tree, WM_KEYUP, VK_SPACE, 0xC0390001);
    pumpDialog(dialog);
}

std::vector<std::wstring> listRows(HWND dialog) {
    HWND list = GetDlgItem(dialog, IDC_INDEX_LIST);
    std::vector<std::wstring> rows;
    const auto count = int(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (int i = 0; i < count; ++i) {
        wchar_t text[64] = {};
        SendMessageW(list, LB_GETTEXT, WPARAM(i), reinterpret_cast<LPARAM>(text));
        rows.push_back(text);
    }
    return rows;
}

int selectedRow(HWND dialog) { return int(SendDlgItemMessageW(dialog, IDC_INDEX_LIST, LB_GETCURSEL, 0, 0)); }

class IndexEditorTest : public GuiTest {
protected:
    std::optional<DialogDriver> driving;

    void SetUp() override {
        GuiTest::SetUp();
        driving.emplace();
    }
    void TearDown() override {
        driving.reset();
        GuiTest::TearDown();
    }
    Document& doc() { return a().document; }
    void addEntry(const char* name, std::initializer_list<int> members) {
        IndexEntry entry{};
        std::strncpy(entry.name, name, kIndexNameSize - 1);
        for (int m : members) entry.members[entry.memberCount++] = std::uint8_t(m);
        doc().indexTable.insertAt(doc().indexCount(), &entry);
    }
    // User syntaxes s1, s2, ... at the given depths.
    void syntaxes(std::initializer_list<int> depths) {
        int n = 0;
        for (int depth : depths) {
            std::string name = "s";
            name += std::to_string(++n);
            appendSyntax(doc(), name.c_str(), depth);
        }
    }
    std::vector<int> membersOf(int row) {
        const IndexEntry& entry = *doc().indexAt(row);
        return std::vector<int>(entry.members, entry.members + entry.memberCount);
    }
    void runIndexEditor() {
        EXPECT_EQ(runCommand(IDM_INDEX_EDIT), 1);
        EXPECT_EQ(driving->leftOpen(), 0);
    }
};

TEST_F(IndexEditorTest, NewDocumentListsNothingAndAddingEnablesTheButtons) {
    ASSERT_TRUE(start());
    syntaxes({1});
    driving->then([](HWND list) {
        EXPECT_TRUE(listRows(list).empty());
        EXPECT_FALSE(isEnabled(list, IDC_INDEX_PROPERTIES));
        EXPECT_FALSE(isEnabled(list, IDC_INDEX_DELETE));
        EXPECT_TRUE(isEnabled(list, IDC_INDEX_ADD));
        press(list, IDC_INDEX_ADD);  // cancelled: nothing changes
        EXPECT_TRUE(listRows(list).empty());
        press(list, IDC_INDEX_ADD);
        EXPECT_EQ(listRows(list), std::vector<std::wstring>{L"日記"});
        EXPECT_EQ(selectedRow(list), 0);
        EXPECT_TRUE(isEnabled(list, IDC_INDEX_PROPERTIES));
        EXPECT_TRUE(isEnabled(list, IDC_INDEX_DELETE));
        press(list, IDCANCEL);  // Escape closes as Close does
    });
    driving->then([](HWND index) { press(index, IDCANCEL); });
    driving->then([](HWND index) {
        EXPECT_FALSE(isEnabled(index, IDOK)) << "no name yet";
        typeText(GetDlgItem(index, IDC_INDEX_NAME), L"日記");
        EXPECT_TRUE(isEnabled(index, IDOK));
        pressSpace(index);  // record 2, selected at first: marked, yet never a member
        HWND tree = GetDlgItem(index, IDC_INDEX_TREE);
        select(tree, syntaxItems(index)[1]);
        pressSpace(index);
        press(index, IDOK);
    });
    EXPECT_FALSE(a().file.modified);
    runIndexEditor();
    EXPECT_EQ(driving->dialogsRun(), (std::vector<int>{IDD_INDEX_LIST, IDD_INDEX, IDD_INDEX}));
    ASSERT_EQ(doc().indexCount(), 1);
    EXPECT_EQ(utf8FromWide(wideFromCp932(doc().indexAt(0)->name)), "日記");
    EXPECT_EQ(membersOf(0), std::vector<int>{3}) << "record 2 never becomes a member";
    EXPECT_TRUE(a().file.modified);
}

TEST_F(IndexEditorTest, TwentyOneMarksKeepTheLowestTwentyWithTheMessage) {
    ASSERT_TRUE(start());
    syntaxes({1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1});  // 3..24
    addEntry("many", {});
    driving->then([](HWND list) {
        press(list, IDC_INDEX_PROPERTIES);
        press(list, IDOK);
    });
    driving->then([](HWND index) {
        HWND tree = GetDlgItem(index, IDC_INDEX_TREE);
        const auto items = syntaxItems(index);
        ASSERT_EQ(items.size(), 23u);
        for (std::size_t i = 2; i < items.size(); ++i) {  // positions 4..24: 21 marks
            select(tree, items[i]);
            pressSpace(index);
        }
        select(tree, items[1]);
        pressSpace(index);
        pressSpace(index);  // and back: 3 stays unmarked
        EXPECT_EQ(markOf(tree, items[1]), 0);
        press(index, IDOK);
    });
    runIndexEditor();
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{"索引に入れられる構文は２０個までです。"});
    std::vector<int> expected;
    for (int p = 4; p <= 23; ++p) expected.push_back(p);
    EXPECT_EQ(membersOf(0), expected);
}

TEST_F(IndexEditorTest, SpaceTogglesOnlyOnceAndNeverReachesTheTreeAsText) {
    ASSERT_TRUE(start());
    syntaxes({1, 1});
    addEntry("top", {4});
    driving->then([](HWND list) {
        press(list, IDC_INDEX_PROPERTIES);
        press(list, IDOK);
    });
    driving->then([](HWND index) {
        HWND tree = GetDlgItem(index, IDC_INDEX_TREE);
        const auto items = syntaxItems(index);
        EXPECT_EQ(treeItem(tree, nullptr, TVGN_CARET), items[0]) << "record 2 selected first";
        EXPECT_EQ(markedNames(index), std::vector<std::wstring>{L"s2"});
        static int charsSeen;
        charsSeen = 0;
        SetWindowSubclass(
            tree,
            [](HWND w, UINT m, WPARAM wp, LPARAM lp, UINT_PTR, DWORD_PTR) -> LRESULT {
                if (m == WM_CHAR) ++charsSeen;
                return DefSubclassProc(w, m, wp, lp);
            },
            7, 0);
        pressSpace(index);
        EXPECT_EQ(markOf(tree, items[0]), 1);
        pressSpace(index);
        EXPECT_EQ(markOf(tree, items[0]), 0);
        pressSpace(index);
        EXPECT_EQ(charsSeen, 0);
        select(tree, items[2]);
        pressSpace(index);  // s2 out: record 2 is marked alone
        press(index, IDOK);
    });
    runIndexEditor();
    EXPECT_EQ(doc().indexAt(0)->memberCount, 0);
    EXPECT_TRUE(a().file.modified);
}

TEST_F(IndexEditorTest, IconClickFlipsTheMarkLabelClickOnlySelectsDoubleClickNeverFolds) {
    ASSERT_TRUE(start());
    syntaxes({1, 2, 1});
    addEntry("click", {});
    driving->then([](HWND list) {
        press(list, IDC_INDEX_PROPERTIES);
        press(list, IDOK);
    });
    driving->then([](HWND index) {
        HWND tree = GetDlgItem(index, IDC_INDEX_TREE);
        const auto items = syntaxItems(index);
        HTREEITEM s1 = items[1];  // has a child
        RECT text{};
        std::memcpy(&text, &s1, sizeof s1);  // TVM_GETITEMRECT takes the item in the rectangle
        ASSERT_TRUE(SendMessageW(tree, TVM_GETITEMRECT, TRUE, reinterpret_cast<LPARAM>(&text)));
        const int y = (text.top + text.bottom) / 2;
        // Find the icon left of the label by the tree's own hit test.
        POINT icon{-1, y};
        for (int x = 0; x < text.left; ++x) {
            TVHITTESTINFO hit{};
            hit.pt = {x, y};
            SendMessageW(tree, TVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit));
            if (hit.hItem == s1 && (hit.flags & TVHT_ONITEMICON)) {
                icon.x = x + 4;
                break;
            }
        }
        ASSERT_GE(icon.x, 0);
        auto clickAt = [&](POINT at, bool twice) {
            POINT screen = at;
            ClientToScreen(tree, &screen);
            SetCursorPos(screen.x, screen.y);
            const LPARAM where = MAKELPARAM(at.x, at.y);
            PostMessageW(tree, WM_LBUTTONDOWN, MK_LBUTTON, where);
            PostMessageW(tree, WM_LBUTTONUP, 0, where);
            if (twice) {
                PostMessageW(tree, WM_LBUTTONDBLCLK, MK_LBUTTON, where);
                PostMessageW(tree, WM_LBUTTONUP, 0, where);
            }
            pumpDialog(index);
        };
        auto expanded = [&] {
            return (SendMessageW(tree, TVM_GETITEMSTATE, reinterpret_cast<WPARAM>(s1), TVIS_EXPANDED) &
                    TVIS_EXPANDED) != 0;
        };
        ASSERT_TRUE(expanded());
        clickAt({text.left + 2, y}, false);
        EXPECT_EQ(treeItem(tree, nullptr, TVGN_CARET), s1);
        EXPECT_EQ(markOf(tree, s1), 0) << "a label click only selects";
        clickAt(icon, false);
        EXPECT_EQ(markOf(tree, s1), 1);
        clickAt({text.left + 2, y}, true);
        EXPECT_TRUE(expanded()) << "a double-click does not fold";
        EXPECT_EQ(markOf(tree, s1), 1);
        press(index, IDOK);
    });
    runIndexEditor();
    EXPECT_EQ(membersOf(0), std::vector<int>{3});
}

TEST_F(IndexEditorTest, NameTakesThirtyEightBytesAndOkNeedsOne) {
    ASSERT_TRUE(start());
    addEntry("old", {});
    driving->then([](HWND list) {
        press(list, IDC_INDEX_PROPERTIES);
        press(list, IDOK);
    });
    driving->then([](HWND index) {
        HWND name = GetDlgItem(index, IDC_INDEX_NAME);
        SetWindowTextW(name, L"");
        EXPECT_FALSE(isEnabled(index, IDOK));
        press(index, IDOK);  // Enter with no name does nothing
        EXPECT_TRUE(IsWindowVisible(index));
        typeText(name, L"한" + std::wstring(19, L'表') + L"x");  // Hangul: no cp932 code
        EXPECT_EQ(windowText(name), std::wstring(19, L'表'));
        press(index, IDOK);
    });
    runIndexEditor();
    const IndexEntry& entry = *doc().indexAt(0);
    EXPECT_EQ(std::string(fieldText(entry.name, kIndexNameSize)).size(), 38u);
    EXPECT_EQ(entry.name[38], '\0');
}

TEST_F(IndexEditorTest, DeletingTheLastRowSelectsTheOneBeforeAndTheOnlyRowNone) {
    ASSERT_TRUE(start());
    addEntry("a", {});
    addEntry("b", {});
    addEntry("c", {});
    driving->then([](HWND list) {
        SendDlgItemMessageW(list, IDC_INDEX_LIST, LB_SETCURSEL, 2, 0);
        press(list, IDC_INDEX_DELETE);
        EXPECT_EQ(listRows(list), (std::vector<std::wstring>{L"a", L"b"}));
        EXPECT_EQ(selectedRow(list), 1);
        SendDlgItemMessageW(list, IDC_INDEX_LIST, LB_SETCURSEL, 0, 0);
        press(list, IDC_INDEX_DELETE);
        EXPECT_EQ(listRows(list), std::vector<std::wstring>{L"b"});
        EXPECT_EQ(selectedRow(list), 0);
        SetFocus(GetDlgItem(list, IDC_INDEX_DELETE));
        press(list, IDC_INDEX_DELETE);
        EXPECT_TRUE(listRows(list).empty());
        EXPECT_EQ(selectedRow(list), LB_ERR);
        EXPECT_FALSE(isEnabled(list, IDC_INDEX_PROPERTIES));
        EXPECT_FALSE(isEnabled(list, IDC_INDEX_DELETE));
        EXPECT_EQ(GetFocus(), GetDlgItem(list, IDC_INDEX_ADD)) << "the keyboard keeps a place";
        press(list, IDC_INDEX_DELETE);  // nothing left: nothing happens
        press(list, IDOK);
    });
    runIndexEditor();
    EXPECT_EQ(doc().indexCount(), 0);
    EXPECT_TRUE(a().file.modified);
}

TEST_F(IndexEditorTest, MembersFollowTheirSyntaxesThroughInsertionsElsewhere) {
    ASSERT_TRUE(start());
    syntaxes({1, 1, 1, 1});  // s1..s4 at 3..6
    addEntry("kept", {4, 6});
    SyntaxRecord extra = blankSystemRecord();
    extra.depth = 1;
    std::strcpy(extra.name, "new1");
    doc().insertSyntax(3, extra);  // before both
    std::strcpy(extra.name, "new2");
    doc().insertSyntax(6, extra);  // between them
    driving->then([](HWND list) {
        EXPECT_EQ(listRows(list), std::vector<std::wstring>{L"kept"});
        press(list, IDC_INDEX_PROPERTIES);
        press(list, IDOK);
    });
    driving->then([](HWND index) {
        EXPECT_EQ(markedNames(index), (std::vector<std::wstring>{L"s2", L"s4"}));
        EXPECT_EQ(windowText(GetDlgItem(index, IDC_INDEX_NAME)), L"kept");
        press(index, IDOK);
    });
    runIndexEditor();
    EXPECT_EQ(membersOf(0), (std::vector<int>{5, 8}));
}

TEST_F(IndexEditorTest, DamagedEntryOpensWithItsValidMembersMarked) {
    ASSERT_TRUE(start());
    syntaxes({1, 1, 1, 1, 1});  // 3..7
    IndexEntry damaged;
    std::memset(&damaged, 0, sizeof damaged);
    std::memset(damaged.name, 'N', kIndexNameSize);  // no NUL at all
    damaged.memberCount = 200;                        // past the 20 slots
    const std::uint8_t members[] = {7, 2, 200, 4, 4, 0, 1};  // unordered, system, past the table, twice
    std::memcpy(damaged.members, members, sizeof members);
    doc().indexTable.insertAt(0, &damaged);
    driving->then([](HWND list) {
        EXPECT_EQ(listRows(list), std::vector<std::wstring>{std::wstring(40, L'N')});
        press(list, IDC_INDEX_PROPERTIES);
        press(list, IDOK);
    });
    driving->then([](HWND index) {
        EXPECT_EQ(markedNames(index), (std::vector<std::wstring>{L"s2", L"s5"}));
        press(index, IDOK);
    });
    runIndexEditor();
    EXPECT_EQ(membersOf(0), (std::vector<int>{4, 7}));
    EXPECT_EQ(std::string(fieldText(doc().indexAt(0)->name, kIndexNameSize)), std::string(38, 'N'));
}

}  // namespace
}  // namespace lumaset::testing
