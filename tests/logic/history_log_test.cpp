#include "views/logic/history_log.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace lumaset {
namespace {

void addSyntax(Document& doc, const char* name) {
    SyntaxRecord record = blankSystemRecord();
    std::strncpy(record.name, name, kNameSize - 1);
    record.depth = 1;
    doc.insertSyntax(doc.syntaxCount(), record);
}

void addIndex(Document& doc, const char* name) {
    IndexEntry entry{};
    std::strncpy(entry.name, name, kIndexNameSize - 1);
    entry.memberCount = 1;
    entry.members[0] = 3;
    doc.indexTable.insertAt(doc.indexCount(), &entry);
}

std::string indexBytes(const Document& doc) {
    std::string bytes;
    for (int i = 0; i < doc.indexCount(); ++i)
        bytes.append(reinterpret_cast<const char*>(doc.indexAt(i)), kIndexEntrySize);
    return bytes;
}

TEST(HistoryLogTest, StatesShareUnchangedRecordsAndRestoreExactly) {
    Document doc;
    addSyntax(doc, "a");
    addSyntax(doc, "b");
    addIndex(doc, "idx");
    // Slots from record 2 on are the tree's; records 0 and 1 keep theirs.
    for (int position : {1, 2, 3}) setTreeItemSlot(*doc.syntaxAt(position), 7);
    const TableState first = captureTables(doc, nullptr);
    const std::string firstIndexes = indexBytes(doc);
    std::strcpy(doc.syntaxAt(4)->name, "changed");
    const TableState second = captureTables(doc, &first);
    EXPECT_EQ(second.syntaxes[3], first.syntaxes[3]) << "an unchanged record is shared";
    EXPECT_NE(second.syntaxes[4], first.syntaxes[4]);
    const auto slot = [&first](int position) {
        return treeItemSlot(*reinterpret_cast<const SyntaxRecord*>(first.syntaxes[std::size_t(position)]->data()));
    };
    EXPECT_EQ(slot(1), 7u);
    EXPECT_EQ(slot(2), 0u);
    EXPECT_EQ(slot(3), 0u);
    EXPECT_FALSE(sameTables(first, second));

    // The index table comes back too, its count and its bytes.
    std::strcpy(doc.indexAt(0)->name, "renamed");
    addIndex(doc, "second");
    EXPECT_FALSE(sameTables(captureTables(doc, &first), second)) << "an index rename is a change";
    ASSERT_TRUE(restoreTables(doc, first));
    EXPECT_STREQ(doc.syntaxAt(4)->name, "b");
    EXPECT_EQ(indexBytes(doc), firstIndexes);
    EXPECT_TRUE(sameTables(captureTables(doc, nullptr), first));
}

// Each way the log hands back the state on the other side of the step,
// with the view it had there; past either end it hands back nothing.
TEST(HistoryLogTest, UndoAndRedoHandBackTheNeighbouringState) {
    Document doc;
    addSyntax(doc, "a");
    addIndex(doc, "idx");
    HistoryLog log;
    log.reset(captureTables(doc, nullptr));
    const TableState loaded = captureTables(doc, nullptr);
    std::strcpy(doc.indexAt(0)->name, "renamed");  // only an index changes
    ASSERT_TRUE(log.push(captureTables(doc, &log.current())));
    const TableState renamed = captureTables(doc, nullptr);
    addSyntax(doc, "b");
    const TableState added = captureTables(doc, nullptr);
    ASSERT_TRUE(log.push(captureTables(doc, &log.current())));

    // Unchanged tables are no step, but what the tree shows is taken over.
    TableState view = captureTables(doc, &log.current());
    view.selection = 3;
    view.expanded = {0, 0, 1, 0, 0};
    EXPECT_FALSE(log.push(view));
    EXPECT_EQ(log.undoSteps(), 2);
    EXPECT_EQ(log.current().selection, 3);

    const TableState* state = log.undo();
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(sameTables(*state, renamed));
    ASSERT_TRUE(restoreTables(doc, *state));
    EXPECT_EQ(doc.syntaxCount(), 4);
    EXPECT_STREQ(doc.indexAt(0)->name, "renamed");
    state = log.undo();
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(sameTables(*state, loaded));
    EXPECT_TRUE(log.atSavedState());
    EXPECT_EQ(log.undo(), nullptr);
    EXPECT_EQ(log.redoSteps(), 2);

    state = log.redo();
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(sameTables(*state, renamed));
    state = log.redo();
    ASSERT_NE(state, nullptr);
    EXPECT_TRUE(sameTables(*state, added));
    EXPECT_EQ(state->selection, 3);
    EXPECT_EQ(state->expanded, view.expanded);
    EXPECT_EQ(log.redo(), nullptr);
    EXPECT_EQ(log.undoSteps(), 2);
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
