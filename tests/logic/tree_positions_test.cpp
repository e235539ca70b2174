#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "commands/logic/tree_positions.h"

namespace lumaset {
namespace {

// A new document with user syntaxes of these depths from position 3 on.
void fill(Document& doc, std::initializer_list<int> depths) {
    doc.newDocument();
    for (int depth : depths) {
        SyntaxRecord record = blankSystemRecord();
        record.depth = std::uint8_t(depth);
        doc.insertSyntax(doc.syntaxCount(), record);
    }
}

//            3  4  5  6  7  8  9 10
// depths:    1  2  3  2  1  2  1  1
TEST(TreePositions, SubtreesAndParentsFollowTheDepths) {
    Document doc;
    fill(doc, {1, 2, 3, 2, 1, 2, 1, 1});
    EXPECT_EQ(subtreeLength(doc, 3), 4);   // 3..6
    EXPECT_EQ(subtreeLength(doc, 4), 2);   // 4, 5
    EXPECT_EQ(subtreeLength(doc, 5), 1);
    EXPECT_EQ(subtreeEnd(doc, 10), 11);    // the last record
    EXPECT_EQ(subtreeEnd(doc, 2), 11);     // record 2 holds everything
    EXPECT_EQ(parentPosition(doc, 3), 2);
    EXPECT_EQ(parentPosition(doc, 5), 4);
    EXPECT_EQ(parentPosition(doc, 6), 3);  // past the deeper 5
    EXPECT_EQ(parentPosition(doc, 8), 7);
    EXPECT_EQ(parentPosition(doc, 2), 0);  // nothing above the top
}

TEST(TreePositions, SiblingsSkipSubtreesAndStopAtTheEnds) {
    Document doc;
    fill(doc, {1, 2, 3, 2, 1, 2, 1, 1});
    EXPECT_EQ(previousSibling(doc, 3), -1);  // first child of record 2
    EXPECT_EQ(previousSibling(doc, 7), 3);   // past 3's subtree
    EXPECT_EQ(previousSibling(doc, 6), 4);
    EXPECT_EQ(previousSibling(doc, 4), -1);
    EXPECT_EQ(previousSibling(doc, 8), -1);  // first child of 7
    EXPECT_EQ(nextSibling(doc, 3), 7);
    EXPECT_EQ(nextSibling(doc, 4), 6);
    EXPECT_EQ(nextSibling(doc, 6), -1);      // last child: a shallower record follows
    EXPECT_EQ(nextSibling(doc, 10), -1);     // the table ends
    EXPECT_EQ(nextSibling(doc, 9), 10);
}

TEST(TreePositions, AMovedBlockHangsUnderTheSiblingsParent) {
    Document doc;
    fill(doc, {1, 2, 3, 2, 1, 2, 1, 1});
    // Moving 9 up in front of 7: under record 2, after 3.
    EXPECT_EQ(blockParentBefore(doc, 7, 1), 2);
    EXPECT_EQ(blockPredecessorBefore(doc, 7, 1), 3);
    // Moving 7 up in front of 3: the first child of record 2.
    EXPECT_EQ(blockParentBefore(doc, 3, 1), 2);
    EXPECT_EQ(blockPredecessorBefore(doc, 3, 1), -1);
    // Moving 6 up in front of 4: the first child of 3.
    EXPECT_EQ(blockParentBefore(doc, 4, 2), 3);
    EXPECT_EQ(blockPredecessorBefore(doc, 4, 2), -1);
}

TEST(TreePositions, BlockParentsNestByRelativeDepth) {
    // A subtree copied from depth 3: its shape, not its depths, counts.
    EXPECT_EQ(blockParents({3, 4, 5, 4, 5, 5, 4}), (std::vector<int>{-1, 0, 1, 0, 3, 3, 0}));
    EXPECT_EQ(blockParents({2}), (std::vector<int>{-1}));
    // A jump of two levels goes under the record just before; a record as
    // shallow as the top stays inside the block.
    EXPECT_EQ(blockParents({1, 3, 4, 1, 2}), (std::vector<int>{-1, 0, 1, 0, 0}));
}

}  // namespace
}  // namespace lumaset
