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

// Positions after the move, as the table would read them.
std::vector<int> depthsAfter(const Document& doc, int dragged, const DropPlan& plan) {
    std::vector<int> depths;
    for (int p = kFirstUserRecord; p < doc.syntaxCount(); ++p) depths.push_back(depthAt(doc, p));
    const int from = dragged - kFirstUserRecord;
    const int length = subtreeLength(doc, dragged);
    std::vector<int> block(depths.begin() + from, depths.begin() + from + length);
    const int shift = plan.depth - block.front();
    for (int& d : block) d += shift;
    depths.erase(depths.begin() + from, depths.begin() + from + length);
    depths.insert(depths.begin() + (plan.position - kFirstUserRecord), block.begin(), block.end());
    return depths;
}

//            3  4  5  6  7  8  9 10
// depths:    1  2  3  2  1  2  1  1
TEST(TreePositions, ADropGoesAfterTheTargetsSubtreeAsChildOrSibling) {
    Document doc;
    fill(doc, {1, 2, 3, 2, 1, 2, 1, 1});
    // 9 onto 3: 3's last child, after 6, under 3.
    DropPlan plan = planDrop(doc, 9, 3, false);
    ASSERT_EQ(plan.outcome, DropOutcome::Move);
    EXPECT_EQ(plan.depth, 2);
    EXPECT_EQ(plan.position, 7);
    EXPECT_EQ(plan.parent, 3);
    EXPECT_EQ(plan.after, -1);
    EXPECT_EQ(depthsAfter(doc, 9, plan), (std::vector<int>{1, 2, 3, 2, 2, 1, 2, 1}));
    // 3's four records with Shift onto 9: once they are out, 9 stands at 5
    // and the block follows it, before 10.
    plan = planDrop(doc, 3, 9, true);
    ASSERT_EQ(plan.outcome, DropOutcome::Move);
    EXPECT_EQ(plan.depth, 1);
    EXPECT_EQ(plan.position, 6);
    EXPECT_EQ(plan.parent, 2);
    EXPECT_EQ(plan.after, 5);
    EXPECT_EQ(depthsAfter(doc, 3, plan), (std::vector<int>{1, 2, 1, 1, 2, 3, 2, 1}));
    // A subtree dropped deeper keeps its shape: 4 (with 5) onto 8.
    plan = planDrop(doc, 4, 8, false);
    ASSERT_EQ(plan.outcome, DropOutcome::Move);
    EXPECT_EQ(plan.depth, 3);
    EXPECT_EQ(plan.position, 7);
    EXPECT_EQ(plan.parent, 6);
    EXPECT_EQ(depthsAfter(doc, 4, plan), (std::vector<int>{1, 2, 1, 2, 3, 4, 1, 1}));
    // Onto record 2: its last child, at the table's end.
    plan = planDrop(doc, 3, 2, false);
    ASSERT_EQ(plan.outcome, DropOutcome::Move);
    EXPECT_EQ(plan.position, 7);
    EXPECT_EQ(plan.parent, 2);
    // Shallower: 5 with Shift onto 7 comes out to depth 1.
    plan = planDrop(doc, 5, 7, true);
    ASSERT_EQ(plan.outcome, DropOutcome::Move);
    EXPECT_EQ(depthsAfter(doc, 5, plan), (std::vector<int>{1, 2, 2, 1, 2, 1, 1, 1}));
}

TEST(TreePositions, DropsThatChangeNothingOrAreNotMovesAreTold) {
    Document doc;
    fill(doc, {1, 2, 3, 2, 1, 2, 1, 1});
    EXPECT_EQ(planDrop(doc, 4, 4, false).outcome, DropOutcome::OntoItself);
    EXPECT_EQ(planDrop(doc, 4, 4, true).outcome, DropOutcome::OntoItself);
    EXPECT_EQ(planDrop(doc, 3, 5, false).outcome, DropOutcome::IntoSubtree);
    EXPECT_EQ(planDrop(doc, 3, 6, true).outcome, DropOutcome::IntoSubtree);
    // Right after its subtree is not inside it.
    EXPECT_EQ(planDrop(doc, 3, 7, false).outcome, DropOutcome::Move);
    // Already there: the last child of its parent, the sibling right after.
    EXPECT_EQ(planDrop(doc, 8, 7, false).outcome, DropOutcome::Unchanged);
    EXPECT_EQ(planDrop(doc, 9, 7, true).outcome, DropOutcome::Unchanged);
    EXPECT_EQ(planDrop(doc, 10, 2, false).outcome, DropOutcome::Unchanged);
    // The same place at another depth is a move: 10 under 9.
    EXPECT_EQ(planDrop(doc, 10, 9, false).outcome, DropOutcome::Move);
    EXPECT_EQ(planDrop(doc, 4, 2, true).outcome, DropOutcome::NoSibling);
    EXPECT_EQ(planDrop(doc, 2, 4, false).outcome, DropOutcome::NotMovable);
    EXPECT_EQ(planDrop(doc, 0, 4, false).outcome, DropOutcome::NotMovable);
    EXPECT_EQ(planDrop(doc, 4, 0, false).outcome, DropOutcome::NotMovable);
    EXPECT_EQ(planDrop(doc, 4, 11, false).outcome, DropOutcome::NotMovable);
    EXPECT_EQ(planDrop(doc, -1, 4, false).outcome, DropOutcome::NotMovable);
}

TEST(TreePositions, DropsFollowTheNewChildRestrictions) {
    Document doc;
    //    3  4  5  6  7  8  9 10 11
    fill(doc, {1, 2, 3, 4, 5, 6, 7, 1, 2});
    // 10 has a child: onto 8 (depth 6) that child would be at 8.
    EXPECT_EQ(planDrop(doc, 10, 8, false).outcome, DropOutcome::TooDeep);
    EXPECT_EQ(planDrop(doc, 11, 8, false).outcome, DropOutcome::Move);
    EXPECT_EQ(planDrop(doc, 10, 9, true).outcome, DropOutcome::TooDeep);
    EXPECT_EQ(planDrop(doc, 10, 8, true).outcome, DropOutcome::Move);
    EXPECT_EQ(planDrop(doc, 11, 9, false).outcome, DropOutcome::TooDeep);

    // A flag is set by any value but 0, as a file may hold it.
    for (int flag : {1, 2, 255}) {
        doc.syntaxAt(4)->interrupting = std::uint8_t(flag);
        EXPECT_EQ(planDrop(doc, 11, 4, false).outcome, DropOutcome::Interrupting) << flag;
        EXPECT_EQ(planDrop(doc, 11, 4, true).outcome, DropOutcome::Move) << flag;
    }
    doc.syntaxAt(4)->interrupting = 0;
    doc.syntaxAt(4)->exitPattern[0] = 'x';
    EXPECT_EQ(planDrop(doc, 11, 4, false).outcome, DropOutcome::ExitPattern);
    doc.syntaxAt(4)->interrupting = 1;  // the interrupting message comes first
    EXPECT_EQ(planDrop(doc, 11, 4, false).outcome, DropOutcome::Interrupting);
}

}  // namespace
}  // namespace lumaset
