#include <gtest/gtest.h>

#include <cstring>

#include "document/document.h"

namespace lumaset {
namespace {

struct Item {
    std::uint8_t bytes[7];
};

Item item(int v) {
    Item i;
    std::memset(i.bytes, v, sizeof i.bytes);
    return i;
}

int valueAt(const RecordArray& a, int position) { return a.at(position)[0]; }

TEST(RecordArray, GrowsByTenAndKeepsContents) {
    RecordArray a;
    ASSERT_TRUE(a.reset(sizeof(Item)));
    EXPECT_EQ(a.capacity(), 20);
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(a.insertAt(i, item(i).bytes));
    EXPECT_EQ(a.capacity(), 20);
    ASSERT_TRUE(a.insertAt(20, item(20).bytes));
    EXPECT_EQ(a.capacity(), 30);
    for (int i = 21; i < 31; ++i) ASSERT_TRUE(a.insertAt(i, item(i).bytes));
    EXPECT_EQ(a.capacity(), 40);
    ASSERT_EQ(a.count(), 31);
    for (int i = 0; i < 31; ++i) {
        EXPECT_EQ(valueAt(a, i), i);
        EXPECT_EQ(a.at(i)[6], i);
    }
}

TEST(RecordArray, ResetToCountZeroHoldsOneSlot) {
    RecordArray a;
    ASSERT_TRUE(a.resetToCount(0, sizeof(Item)));
    EXPECT_EQ(a.count(), 0);
    EXPECT_EQ(a.capacity(), 1);
    ASSERT_TRUE(a.resetToCount(5, sizeof(Item)));
    EXPECT_EQ(a.count(), 5);
    EXPECT_EQ(a.capacity(), 5);
    // A full array grows on the next insertion.
    ASSERT_TRUE(a.insertAt(0, item(1).bytes));
    EXPECT_EQ(a.capacity(), 15);
}

TEST(RecordArray, InsertRemoveAndBounds) {
    RecordArray a;
    ASSERT_TRUE(a.reset(sizeof(Item)));
    ASSERT_TRUE(a.insertAt(0, item(1).bytes));
    ASSERT_TRUE(a.insertAt(99, item(3).bytes));  // past the end appends
    ASSERT_TRUE(a.insertAt(1, item(2).bytes));
    ASSERT_TRUE(a.insertAt(3, item(4).bytes));   // exactly at count appends
    ASSERT_EQ(a.count(), 4);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(valueAt(a, i), i + 1);
    EXPECT_EQ(a.at(4), nullptr);
    EXPECT_EQ(a.at(-1), nullptr);

    a.removeAt(3);  // last: only the count drops
    EXPECT_EQ(a.count(), 3);
    a.removeAt(0);
    ASSERT_EQ(a.count(), 2);
    EXPECT_EQ(valueAt(a, 0), 2);
    EXPECT_EQ(valueAt(a, 1), 3);
    a.removeAt(7);  // invalid positions change nothing
    EXPECT_EQ(a.count(), 2);
}

TEST(RecordArray, InsertingACopyOfItsOwnElementAcrossGrowth) {
    RecordArray a;
    ASSERT_TRUE(a.reset(sizeof(Item)));
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(a.insertAt(i, item(i).bytes));
    // The source lives in the block that is about to move and shift.
    ASSERT_TRUE(a.insertAt(0, a.at(19)));
    EXPECT_EQ(valueAt(a, 0), 19);
    EXPECT_EQ(valueAt(a, 1), 0);
    EXPECT_EQ(valueAt(a, 20), 19);
}

TEST(RecordArray, FailedGrowthLeavesTheArrayUnchanged) {
    RecordArray a;
    ASSERT_TRUE(a.reset(sizeof(Item)));
    for (int i = 0; i < 20; ++i) ASSERT_TRUE(a.insertAt(i, item(i).bytes));
    allocationFaults() = {1, 0};
    EXPECT_FALSE(a.insertAt(5, item(99).bytes));
    allocationFaults() = {};
    EXPECT_EQ(a.count(), 20);
    EXPECT_EQ(a.capacity(), 20);
    for (int i = 0; i < 20; ++i) EXPECT_EQ(valueAt(a, i), i);
}

}  // namespace
}  // namespace lumaset
