// Timed runs of the largest edits in the real main window; they print their
// figures and assert nothing about time. Run with
// --gtest_also_run_disabled_tests --gtest_filter='*EditTiming*'.
#include "gui/edit_fixture.h"

#include <chrono>
#include <cstdio>

#include "commands/logic/syntax_block.h"
#include "resources/resource_ids.h"
#include "views/command_states.h"

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

    select(2);
    const double paste = millisecondsOf([&] {
        runCommand(IDM_EDIT_PASTE_CHILD);
        pumpMessages();
    });
    EXPECT_EQ(a().document.syntaxCount(), 255);
    EXPECT_EQ(treeMismatch(a()), "");
    std::printf("paste of 252 records into a new document: %.1f ms\n", paste);

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

}  // namespace
}  // namespace lumaset::testing
