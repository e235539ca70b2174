// Byte layouts of the three record types. They are storage formats too: the
// first 684 bytes of a SyntaxRecord, a whole MessageFormat and a whole
// IndexEntry go to .tag files as they stand, whole SyntaxRecords go to the
// clipboard. Every member is a byte or a byte array, so there is no padding
// and no alignment requirement.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace lumaset {

inline constexpr int kSyntaxRecordSize = 920;
inline constexpr int kStoredSyntaxRecordSize = 684;  // what a .tag file holds per record
inline constexpr int kMessageFormatSize = 234;
inline constexpr int kIndexEntrySize = 61;

inline constexpr int kNameSize = 50;           // 49 bytes of text + NUL
inline constexpr int kPatternSize = 200;       // 199 + NUL
inline constexpr int kExitPatternSize = 99;    // 98 + NUL
inline constexpr int kTitleCodeSize = 120;
inline constexpr int kPatternNoSepSize = 200;
inline constexpr int kMessageCodeSize = 50;
inline constexpr int kIndexNameSize = 40;      // 38 bytes of text + NUL
inline constexpr int kIndexMemberSlots = 20;

inline constexpr int kMaxSyntaxCount = 255;    // positions fit one unsigned byte
inline constexpr int kSystemRecordCount = 3;   // records 0..2
inline constexpr int kRootRecord = 2;          // "(sys)接続開始"
inline constexpr int kFirstUserRecord = 3;
inline constexpr int kMaxDepth = 7;

inline constexpr std::uint8_t kReservedAValue = 255;
inline constexpr std::uint8_t kNoLegacyTitle = 255;
inline constexpr std::uint8_t kTitleSecondOpen = 255;

enum MessageKind : std::uint8_t {
    kNotMessage = 0,
    kMessageNumberChecked = 1,
    kMessageNumberUnchecked = 2,
};

struct MessageFormat {
    std::uint8_t kind;
    std::uint8_t numberCode[kMessageCodeSize];
    std::uint8_t checkDate;
    std::uint8_t dateCode[kMessageCodeSize];
    std::uint8_t allowComment;
    std::uint8_t commentCode[kMessageCodeSize];
    std::uint8_t upArrowIsComment;
    std::uint8_t reserved[78];
    std::uint8_t reservedWord[2];
};

struct SyntaxRecord {
    char name[kNameSize];
    std::uint8_t depth;
    char pattern[kPatternSize];
    std::uint8_t interrupting;
    char exitPattern[kExitPatternSize];
    std::uint8_t colourLines;           // older files: offset 351 is the third title number
    std::uint8_t legacyTitleSeparator;  // offset 352
    std::uint8_t titleMaxSecond;        // offset 353
    std::uint8_t patternLines;          // offset 354
    std::uint8_t reservedA;
    std::uint8_t jumpToChild;
    std::uint8_t messageFormatOrdinal;
    std::uint8_t reservedB;
    std::uint8_t reservedC;
    std::uint8_t treeItem[4];           // little-endian; slot number of the tree mirror
    std::uint8_t titleCode[kTitleCodeSize];
    char patternNoSep[kPatternNoSepSize];
    MessageFormat messageFormat;
    std::uint8_t padding[2];
};

struct IndexEntry {
    char name[kIndexNameSize];
    std::uint8_t memberCount;
    std::uint8_t members[kIndexMemberSlots];
};

static_assert(sizeof(MessageFormat) == kMessageFormatSize);
static_assert(offsetof(MessageFormat, kind) == 0);
static_assert(offsetof(MessageFormat, numberCode) == 1);
static_assert(offsetof(MessageFormat, checkDate) == 51);
static_assert(offsetof(MessageFormat, dateCode) == 52);
static_assert(offsetof(MessageFormat, allowComment) == 102);
static_assert(offsetof(MessageFormat, commentCode) == 103);
static_assert(offsetof(MessageFormat, upArrowIsComment) == 153);
static_assert(offsetof(MessageFormat, reserved) == 154);
static_assert(offsetof(MessageFormat, reservedWord) == 232);

static_assert(sizeof(SyntaxRecord) == kSyntaxRecordSize);
static_assert(offsetof(SyntaxRecord, name) == 0);
static_assert(offsetof(SyntaxRecord, depth) == 50);
static_assert(offsetof(SyntaxRecord, pattern) == 51);
static_assert(offsetof(SyntaxRecord, interrupting) == 251);
static_assert(offsetof(SyntaxRecord, exitPattern) == 252);
static_assert(offsetof(SyntaxRecord, colourLines) == 351);
static_assert(offsetof(SyntaxRecord, legacyTitleSeparator) == 352);
static_assert(offsetof(SyntaxRecord, titleMaxSecond) == 353);
static_assert(offsetof(SyntaxRecord, patternLines) == 354);
static_assert(offsetof(SyntaxRecord, reservedA) == 355);
static_assert(offsetof(SyntaxRecord, jumpToChild) == 356);
static_assert(offsetof(SyntaxRecord, messageFormatOrdinal) == 357);
static_assert(offsetof(SyntaxRecord, reservedB) == 358);
static_assert(offsetof(SyntaxRecord, reservedC) == 359);
static_assert(offsetof(SyntaxRecord, treeItem) == 360);
static_assert(offsetof(SyntaxRecord, titleCode) == 364);
static_assert(offsetof(SyntaxRecord, patternNoSep) == 484);
static_assert(offsetof(SyntaxRecord, patternNoSep) + kPatternNoSepSize == kStoredSyntaxRecordSize);
static_assert(offsetof(SyntaxRecord, messageFormat) == 684);
static_assert(offsetof(SyntaxRecord, padding) == 918);

static_assert(sizeof(IndexEntry) == kIndexEntrySize);
static_assert(offsetof(IndexEntry, name) == 0);
static_assert(offsetof(IndexEntry, memberCount) == 40);
static_assert(offsetof(IndexEntry, members) == 41);

// A text field ends at its first NUL or at its width, whichever comes first:
// fields read from files or the clipboard need not hold a NUL.
inline std::string_view fieldText(const char* field, std::size_t width) {
    std::size_t n = 0;
    while (n < width && field[n] != '\0') ++n;
    return std::string_view(field, n);
}

inline bool isLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || c >= 0xE0;
}

inline std::uint32_t treeItemSlot(const SyntaxRecord& r) {
    return std::uint32_t(r.treeItem[0]) | std::uint32_t(r.treeItem[1]) << 8 |
           std::uint32_t(r.treeItem[2]) << 16 | std::uint32_t(r.treeItem[3]) << 24;
}

inline void setTreeItemSlot(SyntaxRecord& r, std::uint32_t slot) {
    for (int i = 0; i < 4; ++i) r.treeItem[i] = std::uint8_t(slot >> (8 * i));
}

}  // namespace lumaset
