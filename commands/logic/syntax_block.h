// The private clipboard block of syntaxes: a 4-byte little-endian record
// count N, then N whole 920-byte SyntaxRecord images (the selected syntax
// first, its descendants after it in table order). Any program can put
// such a block on the clipboard, so reading it trusts nothing.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "document/document.h"

namespace lumaset {

inline constexpr std::size_t kSyntaxBlockHeaderSize = 4;
// Every user syntax a document can hold: the table's 255 less the three
// system records.
inline constexpr std::uint32_t kMaxBlockRecords = kMaxSyntaxCount - kSystemRecordCount;

inline constexpr std::size_t syntaxBlockSize(std::size_t records) {
    return kSyntaxBlockHeaderSize + records * kSyntaxRecordSize;
}

// The block for `count` records from `position` on, byte for byte.
std::vector<std::uint8_t> makeSyntaxBlock(const Document& doc, int position, int count);

// The records of a block of `size` bytes (the size of the memory holding it,
// which may be rounded up). Refused (nullopt) when the count is 0 or above
// kMaxBlockRecords, or the bytes are fewer than the count needs. Text fields
// are cut to their widths, so each ends with a NUL inside its field; the
// tree item slot is cleared. Everything else comes as it stands.
std::optional<std::vector<SyntaxRecord>> parseSyntaxBlock(const std::uint8_t* data, std::size_t size);

}  // namespace lumaset
