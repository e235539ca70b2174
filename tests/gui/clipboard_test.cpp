#include "gui/edit_fixture.h"

#include <optional>

#include "commands/clipboard_transfer.h"
#include "commands/logic/syntax_block.h"
#include "commands/structure_edits.h"
#include "resources/resource_ids.h"
#include "views/command_states.h"

namespace lumaset::testing {
namespace {

class ClipboardTest : public EditTest {
protected:
    // Puts `bytes` on the clipboard under the private format, in memory of
    // exactly `size` bytes (the bytes are cut or zero-filled to it).
    void putOnClipboard(const std::vector<std::uint8_t>& bytes, std::size_t size) {
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, size);
        ASSERT_TRUE(memory);
        std::memcpy(GlobalLock(memory), bytes.data(), std::min(size, bytes.size()));
        GlobalUnlock(memory);
        ASSERT_TRUE(OpenClipboard(a().windows.main));
        EmptyClipboard();
        SetClipboardData(syntaxClipboardFormat(), memory);
        CloseClipboard();
        pumpMessages();
    }
    // A block of records "c1", "c2", ... with these depths.
    void putRecords(std::initializer_list<int> depths) {
        Document source;
        int n = 0;
        for (int depth : depths) appendSyntax(source, ("c" + std::to_string(++n)).c_str(), depth);
        const auto block = makeSyntaxBlock(source, kFirstUserRecord, n);
        putOnClipboard(block, block.size());
    }
    std::optional<std::vector<SyntaxRecord>> clipboardRecords() {
        std::optional<std::vector<SyntaxRecord>> records;
        if (!OpenClipboard(a().windows.main)) return records;
        if (HANDLE data = GetClipboardData(syntaxClipboardFormat())) {
            records = parseSyntaxBlock(static_cast<const std::uint8_t*>(GlobalLock(data)), GlobalSize(data));
            GlobalUnlock(data);
        }
        CloseClipboard();
        return records;
    }
    // The clipboard is free again: no command left it open.
    bool clipboardClosed() {
        if (!OpenClipboard(nullptr)) return false;
        CloseClipboard();
        return true;
    }
};

TEST_F(ClipboardTest, CopyOneOrWithChildrenAndCutThenPasteGiveTheShapeBack) {
    ASSERT_TRUE(start());
    load({1, 2, 3, 2, 1});
    std::strcpy(a().document.syntaxAt(5)->pattern, "abc\\n");
    a().document.syntaxAt(5)->interrupting = 1;
    select(4);
    EXPECT_EQ(run(IDM_EDIT_COPY_ONE), 1);
    EXPECT_TRUE(clipboardClosed());
    ASSERT_TRUE(clipboardRecords());
    EXPECT_EQ(clipboardRecords()->size(), 1u);
    EXPECT_EQ(run(IDM_EDIT_COPY_TREE), 1);
    ASSERT_TRUE(clipboardRecords());
    EXPECT_EQ(clipboardRecords()->size(), 2u);  // s2 and s3
    EXPECT_FALSE(a().file.modified);

    EXPECT_EQ(run(IDM_EDIT_CUT), 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s4:2", "s5:1"}));
    EXPECT_TRUE(clipboardClosed());
    EXPECT_EQ(treeMismatch(a()), "");
    select(3);
    EXPECT_EQ(run(IDM_EDIT_PASTE_CHILD), 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "s2:2", "s3:3", "s4:2", "s5:1"}));
    EXPECT_STREQ(a().document.syntaxAt(5)->pattern, "abc\\n");
    EXPECT_EQ(a().document.syntaxAt(5)->interrupting, 1);
    EXPECT_EQ(a().selection.selectionIndex, 5);  // the last pasted record
    EXPECT_EQ(GetFocus(), a().windows.tree);
    EXPECT_EQ(treeMismatch(a()), "");
    EXPECT_TRUE(clipboardClosed());
    EXPECT_TRUE(ui().messageBoxes.empty());
}

TEST_F(ClipboardTest, PasteKeepsRelativeDepthsFromTheSelection) {
    ASSERT_TRUE(start());
    load({1, 1});
    putRecords({3, 4, 5, 4, 3});  // copied from deep down
    select(3);
    EXPECT_EQ(run(IDM_EDIT_PASTE_CHILD), 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "c1:2", "c2:3", "c3:4", "c4:3", "c5:2", "s2:1"}));
    EXPECT_EQ(treeMismatch(a()), "");
    // The pane and the commands show the last record made, once the paste
    // is over, and leaving it asks nothing.
    EXPECT_EQ(a().selection.selectionIndex, 8);
    EXPECT_EQ(windowText(GetDlgItem(a().windows.propertyPane, IDC_NAME)), L"c5");
    EXPECT_TRUE(a().selection.commandFlags & kCanCutCopyDelete);
    select(2);  // paste on record 2 makes children of it
    EXPECT_EQ(run(IDM_EDIT_PASTE), 1);
    EXPECT_EQ(shape()[0], "c1:1");
    EXPECT_EQ(shape()[4], "c5:1");
    select(14);  // s2: paste as its next sibling
    EXPECT_EQ(run(IDM_EDIT_PASTE), 1);
    EXPECT_EQ(shape().size(), 17u);
    EXPECT_EQ(shape()[12], "c1:1");
    EXPECT_EQ(treeMismatch(a()), "");
    select(0);  // the memo takes nothing
    EXPECT_EQ(run(IDM_EDIT_PASTE), 0);
    EXPECT_EQ(run(IDM_EDIT_PASTE_CHILD), 0);
    EXPECT_EQ(shape().size(), 17u);
    EXPECT_TRUE(ui().messageBoxes.empty());
}

TEST_F(ClipboardTest, APasteEndsWhereARecordIsRefusedAndKeepsWhatCameBefore) {
    ASSERT_TRUE(start());
    // Depth 8 would be needed for c3.
    load({1, 2, 3, 4, 5, 6});
    putRecords({1, 2, 3});
    select(8);  // depth 6
    EXPECT_EQ(run(IDM_EDIT_PASTE_CHILD), 1);
    EXPECT_EQ(shape().back(), "c1:7");
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{kDepthLimitText});
    EXPECT_EQ(treeMismatch(a()), "");

    // A record shallower than the first climbs to record 2, which takes no
    // sibling: the paste ends quietly.
    ui().messageBoxes.clear();
    load({1});
    putRecords({2, 3, 1});
    select(3);
    EXPECT_EQ(run(IDM_EDIT_PASTE), 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "c1:1", "c2:2"}));
    EXPECT_TRUE(ui().messageBoxes.empty());
    EXPECT_EQ(treeMismatch(a()), "");

    // Climbing past the top of the tree.
    putRecords({3, 1});
    select(3);
    EXPECT_EQ(run(IDM_EDIT_PASTE), 1);
    EXPECT_EQ(shape().size(), 4u);
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{kPasteInternalErrorText});
    EXPECT_EQ(treeMismatch(a()), "");

    // 253 records: the top fits, its child meets the child limit.
    ui().messageBoxes.clear();
    loadFlat(253);
    putRecords({1, 2});
    select(3);
    EXPECT_EQ(run(IDM_EDIT_PASTE), 1);
    EXPECT_EQ(a().document.syntaxCount(), 254);
    EXPECT_STREQ(a().document.syntaxAt(4)->name, "c1");
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{kNewChildLimitText});
    EXPECT_EQ(treeMismatch(a()), "");
}

// A jump is mended as a loaded file's depths are: each record at most one
// level below the one before it.
TEST_F(ClipboardTest, AJumpOfTwoLevelsWarnsOnceAndIsMendedAsTheTreeShowsIt) {
    ASSERT_TRUE(start());
    load({1});
    putRecords({1, 3, 3, 2, 4});
    select(3);
    EXPECT_EQ(run(IDM_EDIT_PASTE), 1);
    EXPECT_EQ(shape(), (std::vector<std::string>{"s1:1", "c1:1", "c2:2", "c3:3", "c4:2", "c5:3"}));
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{kDepthJumpWarningText});
    EXPECT_EQ(treeMismatch(a()), "");
}

TEST_F(ClipboardTest, DamagedBlocksAreRefusedBeforeTheDocumentIsTouched) {
    ASSERT_TRUE(start());
    load({1});
    select(3);
    Document source;
    for (int k = 0; k < 253; ++k) appendSyntax(source, "c", 1);
    std::vector<std::uint8_t> block = makeSyntaxBlock(source, kFirstUserRecord, 2);
    putOnClipboard(block, syntaxBlockSize(1) + 100);  // short of the second record
    EXPECT_EQ(run(IDM_EDIT_PASTE), 0);
    block[0] = 0;
    putOnClipboard(block, block.size());  // a count of 0
    EXPECT_EQ(run(IDM_EDIT_PASTE_CHILD), 0);
    block = makeSyntaxBlock(source, kFirstUserRecord, 253);
    putOnClipboard(block, block.size());  // more than any document holds
    EXPECT_EQ(run(IDM_EDIT_PASTE), 0);
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>(3, kDamagedBlockText));
    EXPECT_EQ(shape(), std::vector<std::string>{"s1:1"});
    EXPECT_FALSE(a().file.modified);
    EXPECT_TRUE(clipboardClosed());

    // A name without its NUL is cut inside its field.
    SyntaxRecord* record = source.syntaxAt(3);
    std::memset(record->name, 'n', kNameSize);
    block = makeSyntaxBlock(source, kFirstUserRecord, 1);
    putOnClipboard(block, block.size());
    EXPECT_EQ(run(IDM_EDIT_PASTE), 1);
    EXPECT_EQ(shape().back(), std::string(kNameSize - 1, 'n') + ":1");
    EXPECT_EQ(treeMismatch(a()), "");
}

// With an edit pending in the pane, each paste asks once, before anything
// changes, and writes only the records it makes; what it refuses anyway it
// refuses without asking.
TEST_F(ClipboardTest, PasteWithAPendingEditAsksOnceAndEachAnswerGivesItsTables) {
    ASSERT_TRUE(start());
    const auto images = [this] {
        std::vector<std::string> out;
        for (int p = 0; p < a().document.syntaxCount(); ++p) {
            std::string image(reinterpret_cast<const char*>(a().document.syntaxAt(p)), kSyntaxRecordSize);
            if (p >= kRootRecord) std::memset(image.data() + offsetof(SyntaxRecord, treeItem), 0, 4);
            out.push_back(image);
        }
        return out;
    };
    const auto retype = [this](const wchar_t* text) {
        HWND edit = GetDlgItem(a().windows.propertyPane, IDC_NAME);
        SetFocus(edit);
        SendMessageW(edit, EM_SETSEL, 0, -1);
        for (const wchar_t* ch = text; *ch; ++ch) SendMessageW(edit, WM_CHAR, *ch, 1);
        pumpMessages();
    };
    for (int command : {IDM_EDIT_PASTE, IDM_EDIT_PASTE_CHILD}) {
        for (int answer : {IDYES, IDNO, IDCANCEL}) {
            SCOPED_TRACE(std::to_string(command) + " answered " + std::to_string(answer));
            load({1, 2, 1});
            putRecords({1, 2});
            const std::vector<SyntaxRecord> pasted = *clipboardRecords();
            select(3);
            std::vector<std::string> want = images();
            retype(L"edited");
            ui().messageBoxes.clear();
            ui().messageBoxAnswers.push_back(answer);
            const int result = run(command);
            EXPECT_EQ(ui().messageBoxes.size(), 1u) << "one question";
            if (answer == IDCANCEL) {
                EXPECT_EQ(result, 0);
                EXPECT_EQ(images(), want);
                EXPECT_EQ(a().selection.selectionIndex, 3);
                EXPECT_EQ(windowText(GetDlgItem(a().windows.propertyPane, IDC_NAME)), L"edited");
                EXPECT_EQ(treeMismatch(a()), "");
                ui().messageBoxAnswers.push_back(IDNO);  // the edit goes with the next load
                continue;
            }
            if (answer == IDYES) std::memcpy(want[3].data(), "edited", 7);
            // Paste: after s1's subtree; as child: s1's first children.
            const bool child = command == IDM_EDIT_PASTE_CHILD;
            const int at = child ? 4 : 5;
            for (int k = 0; k < 2; ++k) {
                SyntaxRecord record = pasted[std::size_t(k)];
                record.depth = std::uint8_t((child ? 2 : 1) + k);
                want.insert(want.begin() + at + k, std::string(reinterpret_cast<const char*>(&record), kSyntaxRecordSize));
            }
            EXPECT_EQ(result, 1);
            EXPECT_EQ(images(), want);
            EXPECT_EQ(a().selection.selectionIndex, at + 1);
            EXPECT_EQ(recordForItem(a(), caret()), at + 1);
            EXPECT_EQ(windowText(GetDlgItem(a().windows.propertyPane, IDC_NAME)), L"c2");
            EXPECT_TRUE(expanded(at) && expanded(3));
            EXPECT_EQ(treeMismatch(a()), "");
        }
    }
    // Refused anyway: the message, no question, nothing applied.
    load({1});
    putRecords({1});
    std::strcpy(a().document.syntaxAt(3)->exitPattern, "end");
    select(3);
    retype(L"edited");
    ui().messageBoxes.clear();
    const std::vector<std::string> before = images();
    EXPECT_EQ(run(IDM_EDIT_PASTE_CHILD), 0);
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{kExitPatternParentText});
    EXPECT_EQ(images(), before);
    ui().messageBoxAnswers.push_back(IDNO);
    loadFlat(kNewSyntaxRecordLimit);
    select(3);
    retype(L"edited");
    ui().messageBoxes.clear();
    EXPECT_EQ(run(IDM_EDIT_PASTE), 0);
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{kNewSyntaxLimitText});
    ui().messageBoxAnswers.push_back(IDNO);
}

}  // namespace
}  // namespace lumaset::testing
