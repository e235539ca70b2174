#include "commands/logic/syntax_block.h"

#include <cstring>

namespace lumaset {

namespace {

// A field without a NUL is cut to width - 1 bytes, never inside a
// two-byte character.
void endField(char* field, std::size_t width) {
    if (std::memchr(field, 0, width)) return;
    std::size_t end = 0;
    while (end < width - 1) {
        const std::size_t step = isLeadByte(static_cast<unsigned char>(field[end])) ? 2 : 1;
        if (end + step > width - 1) break;
        end += step;
    }
    std::memset(field + end, 0, width - end);
}

}  // namespace

std::vector<std::uint8_t> makeSyntaxBlock(const Document& doc, int position, int count) {
    std::vector<std::uint8_t> block(syntaxBlockSize(std::size_t(count)));
    const std::uint32_t n = std::uint32_t(count);
    for (int i = 0; i < 4; ++i) block[std::size_t(i)] = std::uint8_t(n >> (8 * i));
    for (int k = 0; k < count; ++k)
        std::memcpy(block.data() + syntaxBlockSize(std::size_t(k)), doc.syntaxAt(position + k), kSyntaxRecordSize);
    return block;
}

std::optional<std::vector<SyntaxRecord>> parseSyntaxBlock(const std::uint8_t* data, std::size_t size) {
    if (!data || size < kSyntaxBlockHeaderSize) return std::nullopt;
    const std::uint32_t count = std::uint32_t(data[0]) | std::uint32_t(data[1]) << 8 |
                                std::uint32_t(data[2]) << 16 | std::uint32_t(data[3]) << 24;
    // The count is checked against the limit before it sizes anything.
    if (count == 0 || count > kMaxBlockRecords) return std::nullopt;
    if (size < syntaxBlockSize(count)) return std::nullopt;

    std::vector<SyntaxRecord> records(count);
    for (std::uint32_t k = 0; k < count; ++k) {
        SyntaxRecord& record = records[k];
        std::memcpy(&record, data + syntaxBlockSize(k), kSyntaxRecordSize);
        endField(record.name, kNameSize);
        endField(record.pattern, kPatternSize);
        endField(record.exitPattern, kExitPatternSize);
        endField(record.patternNoSep, kPatternNoSepSize);
        // The source's item slot means nothing here.
        setTreeItemSlot(record, 0);
    }
    return records;
}

}  // namespace lumaset
