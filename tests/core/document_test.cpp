#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "document/document.h"

namespace lumaset {
namespace {

SyntaxRecord userRecord(const char* name, int depth) {
    SyntaxRecord r = blankSystemRecord();
    std::strncpy(r.name, name, kNameSize - 1);
    r.depth = std::uint8_t(depth);
    return r;
}

// A document with user records at positions 3 .. 3+n-1, all at depth 1.
void addUserRecords(Document& doc, int n) {
    for (int i = 0; i < n; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "u%d", 3 + i);
        ASSERT_TRUE(doc.insertSyntax(doc.syntaxCount(), userRecord(name, 1)));
    }
}

void addIndex(Document& doc, std::initializer_list<int> members) {
    IndexEntry e{};
    std::strcpy(e.name, "idx");
    for (int m : members) e.members[e.memberCount++] = std::uint8_t(m);
    ASSERT_TRUE(doc.indexTable.insertAt(doc.indexCount(), &e));
}

std::vector<int> membersOf(const Document& doc, int index) {
    const IndexEntry* e = doc.indexAt(index);
    return std::vector<int>(e->members, e->members + e->memberCount);
}

TEST(Document, NewDocumentHoldsTheThreeSystemRecords) {
    Document doc;
    ASSERT_EQ(doc.syntaxCount(), 3);
    EXPECT_EQ(doc.indexCount(), 0);
    EXPECT_FALSE(doc.hasMemo());
    EXPECT_EQ(doc.memoText(), "");
    EXPECT_STREQ(doc.syntaxAt(0)->name, "(sys)\x89\xbd\x82\xe0\x82\xc8\x82\xb5");
    EXPECT_STREQ(doc.syntaxAt(1)->name, "(sys)\x83\x4a\x83\x89\x81\x5b\x82\xcc\x91\xb1\x82\xab");
    EXPECT_STREQ(doc.syntaxAt(2)->name, "(sys)\x90\xda\x91\xb1\x8a\x4a\x8e\x6e");
    for (int i = 0; i < 3; ++i) {
        const SyntaxRecord* r = doc.syntaxAt(i);
        EXPECT_EQ(r->depth, 0);
        EXPECT_EQ(r->reservedA, 255);
        EXPECT_EQ(r->patternLines, 1);
        EXPECT_EQ(r->colourLines, 1);
        EXPECT_EQ(r->titleCode[0], 0);
        EXPECT_EQ(r->messageFormat.kind, 0);
    }
    // A used document becomes new again, memo and index gone.
    addIndex(doc, {3});
    doc.setMemoText(std::string("memo"));
    ASSERT_TRUE(doc.newDocument());
    EXPECT_EQ(doc.syntaxCount(), 3);
    EXPECT_EQ(doc.indexCount(), 0);
    EXPECT_FALSE(doc.hasMemo());
}

TEST(Document, SyntaxAtOutOfRangeGivesRecordZero) {
    Document doc;
    EXPECT_EQ(doc.syntaxAt(3), doc.syntaxAt(0));
    EXPECT_EQ(doc.syntaxAt(-1), doc.syntaxAt(0));
    doc.freeDocument();
    // Freed tables hand out a zeroed stand-in, never freed memory.
    EXPECT_EQ(doc.syntaxCount(), 0);
    EXPECT_EQ(doc.syntaxAt(0)->name[0], 0);
    EXPECT_FALSE(doc.hasChildren(0));
}

TEST(Document, InsertionRenumbersIndexMembers) {
    Document doc;
    addUserRecords(doc, 8);
    addIndex(doc, {3, 5, 9});
    ASSERT_TRUE(doc.insertSyntax(5, userRecord("new", 1)));
    EXPECT_EQ(membersOf(doc, 0), (std::vector<int>{3, 6, 10}));
    EXPECT_STREQ(doc.syntaxAt(5)->name, "new");
}

TEST(Document, RemovalDropsAndRenumbersIndexMembers) {
    Document doc;
    addUserRecords(doc, 8);
    addIndex(doc, {3, 5, 6, 9});
    addIndex(doc, {5});
    addIndex(doc, {4});
    doc.removeSyntax(5);
    EXPECT_EQ(membersOf(doc, 0), (std::vector<int>{3, 5, 8}));
    // An entry that held only the removed record stays, empty.
    ASSERT_EQ(doc.indexCount(), 3);
    EXPECT_EQ(doc.indexAt(1)->memberCount, 0);
    EXPECT_EQ(membersOf(doc, 2), (std::vector<int>{4}));
    EXPECT_STREQ(doc.syntaxAt(5)->name, "u6");
}

TEST(Document, HasChildren) {
    Document doc;
    ASSERT_TRUE(doc.insertSyntax(3, userRecord("a", 1)));
    ASSERT_TRUE(doc.insertSyntax(4, userRecord("a1", 2)));
    ASSERT_TRUE(doc.insertSyntax(5, userRecord("b", 1)));
    EXPECT_TRUE(doc.hasChildren(2));
    EXPECT_TRUE(doc.hasChildren(3));
    EXPECT_FALSE(doc.hasChildren(4));  // followed by a shallower record
    EXPECT_FALSE(doc.hasChildren(5));  // the last record
    ASSERT_TRUE(doc.insertSyntax(6, userRecord("b", 1)));
    EXPECT_FALSE(doc.hasChildren(5));  // followed by a sibling
}

TEST(Document, MemoEndsAtItsFirstNul) {
    Document doc;
    doc.setMemoText(std::string("ab\0cd", 5));
    EXPECT_EQ(doc.memoText(), "ab");
    doc.setMemoText(std::string());
    EXPECT_TRUE(doc.hasMemo());
    EXPECT_EQ(doc.memoText(), "");
    doc.setMemoText(std::nullopt);
    EXPECT_FALSE(doc.hasMemo());
}

TEST(Document, FailedInsertionLeavesTablesUnchanged) {
    Document doc;
    addUserRecords(doc, 17);  // 20 records: the next insertion must grow
    addIndex(doc, {3, 10, 22});
    allocationFaults() = {1, 0};
    EXPECT_FALSE(doc.insertSyntax(4, userRecord("x", 1)));
    allocationFaults() = {};
    EXPECT_EQ(doc.syntaxCount(), 20);
    EXPECT_STREQ(doc.syntaxAt(4)->name, "u4");
    EXPECT_EQ(membersOf(doc, 0), (std::vector<int>{3, 10, 22}));
}

// Stored depths as a damaged file holds them, and the tree's shape after
// the repair: the root at 0, users 1..8, no jump of more than one.
TEST(Document, RepairedDepthsFollowTheTreesRules) {
    struct Case {
        int root;
        std::vector<int> stored, repaired;
        int changed;
    };
    const std::vector<Case> cases = {
        {0, {1, 2, 1}, {1, 2, 1}, 0},
        {3, {1, 2}, {1, 2}, 1},
        {0, {0, 3, 9, 2}, {1, 2, 3, 2}, 3},
        {255, {}, {}, 1},
    };
    for (const Case& c : cases) {
        Document doc;
        doc.syntaxAt(kRootRecord)->depth = std::uint8_t(c.root);
        for (int depth : c.stored) ASSERT_TRUE(doc.insertSyntax(doc.syntaxCount(), userRecord("u", depth)));
        EXPECT_EQ(repairSyntaxDepths(doc), c.changed);
        EXPECT_EQ(doc.syntaxAt(kRootRecord)->depth, 0);
        std::vector<int> got;
        for (int p = kFirstUserRecord; p < doc.syntaxCount(); ++p) got.push_back(doc.syntaxAt(p)->depth);
        EXPECT_EQ(got, c.repaired);
    }
}

}  // namespace
}  // namespace lumaset
