#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "commands/logic/syntax_block.h"

namespace lumaset {
namespace {

SyntaxRecord named(const char* name, int depth) {
    SyntaxRecord record = blankSystemRecord();
    std::strncpy(record.name, name, kNameSize - 1);
    record.depth = std::uint8_t(depth);
    return record;
}

std::vector<std::uint8_t> blockOfCount(std::uint32_t count, std::size_t records) {
    std::vector<std::uint8_t> block(syntaxBlockSize(records), 0);
    for (int i = 0; i < 4; ++i) block[std::size_t(i)] = std::uint8_t(count >> (8 * i));
    return block;
}

TEST(SyntaxBlock, CarriesWholeRecordsFromThePosition) {
    Document doc;
    doc.insertSyntax(3, named("top", 1));
    doc.insertSyntax(4, named("child", 2));
    SyntaxRecord* child = doc.syntaxAt(4);
    child->interrupting = 2;  // flags come as they stand, not as 0 or 1
    child->titleCode[0] = 0x42;
    child->messageFormat.reservedWord[1] = 0x77;
    setTreeItemSlot(*child, 9);

    const std::vector<std::uint8_t> block = makeSyntaxBlock(doc, 3, 2);
    ASSERT_EQ(block.size(), 4u + 2u * 920u);
    EXPECT_EQ(block[0], 2);
    EXPECT_EQ(block[1] | block[2] | block[3], 0);
    EXPECT_EQ(std::memcmp(block.data() + 4 + 920, doc.syntaxAt(4), 920), 0);

    const auto records = parseSyntaxBlock(block.data(), block.size());
    ASSERT_TRUE(records);
    ASSERT_EQ(records->size(), 2u);
    const SyntaxRecord& back = (*records)[1];
    EXPECT_STREQ(back.name, "child");
    EXPECT_EQ(back.depth, 2);
    EXPECT_EQ(back.interrupting, 2);
    EXPECT_EQ(back.titleCode[0], 0x42);
    EXPECT_EQ(back.messageFormat.reservedWord[1], 0x77);
    EXPECT_EQ(treeItemSlot(back), 0u);  // the source's item means nothing here
}

TEST(SyntaxBlock, RefusesCountsAndSizesNoEditorWrites) {
    std::vector<std::uint8_t> block = blockOfCount(0, 1);
    EXPECT_FALSE(parseSyntaxBlock(block.data(), block.size()));  // count 0
    block = blockOfCount(3, 3);
    EXPECT_FALSE(parseSyntaxBlock(block.data(), block.size() - 1));  // one byte short
    EXPECT_TRUE(parseSyntaxBlock(block.data(), block.size()));
    EXPECT_TRUE(parseSyntaxBlock(block.data(), block.size() + 16));  // memory rounded up
    EXPECT_FALSE(parseSyntaxBlock(block.data(), 3));                 // not even a count
    EXPECT_FALSE(parseSyntaxBlock(nullptr, 0));
    block = blockOfCount(252, 252);
    EXPECT_TRUE(parseSyntaxBlock(block.data(), block.size()));
    block = blockOfCount(253, 253);
    EXPECT_FALSE(parseSyntaxBlock(block.data(), block.size()));  // more than a document holds
    block = blockOfCount(0xFFFFFFFFu, 1);
    EXPECT_FALSE(parseSyntaxBlock(block.data(), block.size()));
}

TEST(SyntaxBlock, TextFieldsEndInsideTheirWidths) {
    std::vector<std::uint8_t> block = blockOfCount(2, 2);
    SyntaxRecord raw;
    std::memset(&raw, 'a', sizeof raw);
    // The name ends in a two-byte character that the cut would split.
    raw.name[kNameSize - 2] = char(0x82);
    raw.name[kNameSize - 1] = char(0xA0);
    std::memcpy(block.data() + 4, &raw, sizeof raw);
    raw.exitPattern[10] = '\0';  // a field with its NUL keeps its bytes after it
    std::memcpy(block.data() + 4 + sizeof raw, &raw, sizeof raw);

    const auto records = parseSyntaxBlock(block.data(), block.size());
    ASSERT_TRUE(records);
    const SyntaxRecord& r = records->front();
    EXPECT_EQ(fieldText(r.name, kNameSize), std::string(kNameSize - 2, 'a'));
    EXPECT_EQ(r.name[kNameSize - 1], '\0');
    EXPECT_EQ(fieldText(r.pattern, kPatternSize), std::string(kPatternSize - 1, 'a'));
    EXPECT_EQ(fieldText(r.exitPattern, kExitPatternSize), std::string(kExitPatternSize - 1, 'a'));
    EXPECT_EQ(fieldText(r.patternNoSep, kPatternNoSepSize), std::string(kPatternNoSepSize - 1, 'a'));
    EXPECT_EQ(r.titleCode[kTitleCodeSize - 1], 'a');  // codes come as they stand
    const SyntaxRecord& withNul = (*records)[1];
    EXPECT_EQ(fieldText(withNul.exitPattern, kExitPatternSize).size(), 10u);
    EXPECT_EQ(withNul.exitPattern[kExitPatternSize - 1], 'a');
}

}  // namespace
}  // namespace lumaset
