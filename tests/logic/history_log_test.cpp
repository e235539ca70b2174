#include "views/logic/history_log.h"

#include <gtest/gtest.h>

#include <cstring>

namespace lumaset {
namespace {

void addSyntax(Document& doc, const char* name) {
    SyntaxRecord record = blankSystemRecord();
    std::strncpy(record.name, name, kNameSize - 1);
    record.depth = 1;
    doc.insertSyntax(doc.syntaxCount(), record);
}

TEST(HistoryLogTest, StatesShareUnchangedRecordsAndRestoreExactly) {
    Document doc;
    addSyntax(doc, "a");
    addSyntax(doc, "b");
    setTreeItemSlot(*doc.syntaxAt(3), 7);
    const TableState first = captureTables(doc, nullptr);
    std::strcpy(doc.syntaxAt(4)->name, "changed");
    const TableState second = captureTables(doc, &first);
    EXPECT_EQ(second.syntaxes[3], first.syntaxes[3]) << "an unchanged record is shared";
    EXPECT_NE(second.syntaxes[4], first.syntaxes[4]);
    EXPECT_EQ(treeItemSlot(*reinterpret_cast<const SyntaxRecord*>(first.syntaxes[3]->data())), 0u);
    EXPECT_FALSE(sameTables(first, second));

    ASSERT_TRUE(restoreTables(doc, first));
    EXPECT_STREQ(doc.syntaxAt(4)->name, "b");
    EXPECT_TRUE(sameTables(captureTables(doc, nullptr), first));
}

TEST(HistoryLogTest, SavedPointRedoAndTheStepLimit) {
    Document doc;
    HistoryLog log;
    log.reset(captureTables(doc, nullptr));
    EXPECT_FALSE(log.push(captureTables(doc, &log.current()))) << "no change, no step";
    addSyntax(doc, "x");
    ASSERT_TRUE(log.push(captureTables(doc, &log.current())));
    EXPECT_FALSE(log.atSavedState());
    ASSERT_NE(log.undo(), nullptr);
    EXPECT_TRUE(log.atSavedState());
    EXPECT_TRUE(log.canRedo());
    // A new change drops the redo state.
    addSyntax(doc, "y");
    ASSERT_TRUE(log.push(captureTables(doc, &log.current())));
    EXPECT_FALSE(log.canRedo());

    for (int k = 0; k < HistoryLog::kMaxSteps + 10; ++k) {
        std::snprintf(doc.syntaxAt(3)->name, kNameSize, "n%d", k);
        log.push(captureTables(doc, &log.current()));
    }
    EXPECT_EQ(log.undoSteps(), HistoryLog::kMaxSteps);
    while (log.canUndo()) log.undo();
    EXPECT_FALSE(log.atSavedState()) << "the saved state was dropped with the oldest steps";
    EXPECT_LT(log.bytesHeld(), std::size_t(1) << 20);
}

}  // namespace
}  // namespace lumaset
