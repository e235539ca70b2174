// Timed runs of the largest edits in the real main window; they print their
// figures and assert nothing about time. Run with
// --gtest_also_run_disabled_tests --gtest_filter='*EditTiming*'.
#include "gui/edit_fixture.h"

#include <chrono>
#include <cstdio>

#include "commands/logic/syntax_block.h"
#include "resources/resource_ids.h"
#include "views/command_states.h"
#include "views/document_history.h"

namespace lumaset::testing {
namespace {

using EditTimingTest = EditTest;

double millisecondsOf(const std::function<void()>& work) {
    const auto begin = std::chrono::steady_clock::now();
    work();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

TEST_F(EditTimingTest, DISABLED_LargestPasteAndLargestMove) {
    ASSERT_TRUE(start());
    // 252 records, nested a few levels deep, on the clipboard.
    Document source;
    // The last one a sibling: a child would meet the child limit at 254.
    for (int k = 0; k < int(kMaxBlockRecords); ++k)
        appendSyntax(source, "p", k == 0 ? 1 : k == int(kMaxBlockRecords) - 1 ? 2 : 2 + (k - 1) % 5);
    const auto block = makeSyntaxBlock(source, kFirstUserRecord, int(kMaxBlockRecords));
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
    std::memcpy(GlobalLock(memory), block.data(), block.size());
    GlobalUnlock(memory);
    ASSERT_TRUE(OpenClipboard(a().windows.main));
    EmptyClipboard();
    SetClipboardData(syntaxClipboardFormat(), memory);
    CloseClipboard();
    pumpMessages();

    // Five times, each into a new document: one figure is at the mercy of
    // whatever else the machine does.
    for (int round = 0; round < 5; ++round) {
        load({});
        select(2);
        const double paste = millisecondsOf([&] {
            runCommand(IDM_EDIT_PASTE_CHILD);
            pumpMessages();
        });
        EXPECT_EQ(a().document.syntaxCount(), 255);
        EXPECT_EQ(treeMismatch(a()), "");
        std::printf("paste of 252 records into a new document: %.1f ms\n", paste);
    }

    // A subtree of 250 records and a sibling of one record before and after it.
    load({});
    appendSyntax(a().document, "before", 1);
    for (int k = 0; k < 250; ++k) appendSyntax(a().document, "m", k == 0 ? 1 : 2 + (k - 1) % 5);
    appendSyntax(a().document, "after", 1);
    buildTree(a());
    pumpMessages();
    select(4);
    for (int round = 0; round < 3; ++round) {
        const double up = millisecondsOf([&] {
            runCommand(IDM_ORDER_UP);
            pumpMessages();
        });
        const double down = millisecondsOf([&] {
            runCommand(IDM_ORDER_DOWN);
            pumpMessages();
        });
        std::printf("move of 250 records: up %.1f ms, down %.1f ms\n", up, down);
    }
    EXPECT_EQ(a().selection.selectionIndex, 4);
    EXPECT_EQ(treeMismatch(a()), "");
}

TEST_F(EditTimingTest, DISABLED_UndoAndRedoOfTheLargestPasteAndTheFullHistory) {
    ASSERT_TRUE(start());
    Document source;
    for (int k = 0; k < int(kMaxBlockRecords); ++k)
        appendSyntax(source, "p", k == 0 ? 1 : k == int(kMaxBlockRecords) - 1 ? 2 : 2 + (k - 1) % 5);
    const auto block = makeSyntaxBlock(source, kFirstUserRecord, int(kMaxBlockRecords));
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, block.size());
    std::memcpy(GlobalLock(memory), block.data(), block.size());
    GlobalUnlock(memory);
    ASSERT_TRUE(OpenClipboard(a().windows.main));
    EmptyClipboard();
    SetClipboardData(syntaxClipboardFormat(), memory);
    CloseClipboard();
    pumpMessages();

    select(2);
    runCommand(IDM_EDIT_PASTE_CHILD);
    pumpMessages();
    ASSERT_EQ(a().document.syntaxCount(), 255);
    for (int round = 0; round < 3; ++round) {
        const double undo = millisecondsOf([&] {
            runCommand(IDM_EDIT_UNDO);
            pumpMessages();
        });
        EXPECT_EQ(a().document.syntaxCount(), 3);
        const double redo = millisecondsOf([&] {
            runCommand(IDM_EDIT_REDO);
            pumpMessages();
        });
        EXPECT_EQ(a().document.syntaxCount(), 255);
        EXPECT_EQ(treeMismatch(a()), "");
        std::printf("paste of 252 records: undo %.1f ms, redo %.1f ms\n", undo, redo);
    }

    // 200 steps over a full table, each renaming a different record through
    // the pane, as edits spread over a whole document would.
    HistoryLog& log = a().history.log;
    const double steps = millisecondsOf([&] {
        for (int k = 0; k < HistoryLog::kMaxSteps; ++k) {
            const int position = kFirstUserRecord + k % 252;
            beginStep(a());
            std::snprintf(a().document.syntaxAt(position)->name, kNameSize, "renamed %d", k);
            endStep(a());
        }
    });
    EXPECT_EQ(log.undoSteps(), HistoryLog::kMaxSteps);
    std::printf("200 steps over 255 records: %.1f ms in all, history holds %.2f MB\n", steps,
                double(log.bytesHeld()) / (1024.0 * 1024.0));
    // The worst case: every step changes every record (200 pastes of 252).
    for (int k = 0; k < HistoryLog::kMaxSteps; ++k) {
        beginStep(a());
        for (int p = kFirstUserRecord; p < a().document.syntaxCount(); ++p)
            std::snprintf(a().document.syntaxAt(p)->name, kNameSize, "all %d", k);
        endStep(a());
    }
    std::printf("200 steps each changing all 255 records: history holds %.2f MB, %d steps kept\n",
                double(log.bytesHeld()) / (1024.0 * 1024.0), log.undoSteps());
}

}  // namespace
}  // namespace lumaset::testing
