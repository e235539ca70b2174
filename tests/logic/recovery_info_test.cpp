// The side file of a recovery copy is read by another process after a
// crash: what is written comes back whole, and anything cut, grown or
// foreign is refused rather than half-read.
#include <gtest/gtest.h>

#include "views/logic/recovery_info.h"

namespace lumaset {
namespace {

RecoveryInfo sample(bool withDraft) {
    RecoveryInfo info;
    info.processId = 4242;
    info.processStart = 0x01DB123456789ABCULL;
    info.changedAt = 0x01DB2222333344ULL;
    info.documentPath = u"C:\\作業\\bbs session.tag";
    info.copySize = 1234;
    if (withDraft) {
        info.copyChecksum = 0xFEDCBA9876543210ULL;
        info.original = FileStamp{56789, 0x01DB000011112222ULL};
        RecoveryDraft d;
        d.selection = 7;
        d.name = u"電報";
        d.pattern = u"^\\d+ ";
        d.title = u"\\1 xyz";
        d.colourLines = u"3";
        d.jumpToChild = true;
        d.messageSyntax = true;
        for (std::size_t i = 0; i < d.messageFormat.size(); ++i) d.messageFormat[i] = std::uint8_t(i * 7);
        info.draft = d;
    }
    return info;
}

TEST(RecoveryInfo, RoundTripsAndRefusesEveryCutOrGrownFile) {
    for (bool withDraft : {false, true}) {
        const RecoveryInfo info = sample(withDraft);
        const std::vector<std::uint8_t> bytes = encodeRecoveryInfo(info);
        RecoveryInfo back;
        ASSERT_TRUE(decodeRecoveryInfo(bytes, back));
        EXPECT_EQ(back, info);
        for (std::size_t n = 0; n < bytes.size(); ++n)
            EXPECT_FALSE(decodeRecoveryInfo({bytes.data(), n}, back)) << "cut at " << n;
        std::vector<std::uint8_t> grown = bytes;
        grown.push_back(0);
        EXPECT_FALSE(decodeRecoveryInfo(grown, back));
        EXPECT_EQ(back, info) << "a refused file leaves the result alone";
    }
    // A text count far beyond the bytes present, and stamps of a later
    // layout (random damage is the fuzz target's part).
    std::vector<std::uint8_t> bytes = encodeRecoveryInfo(RecoveryInfo{});
    RecoveryInfo back;
    for (std::size_t at : {16 + 4 + 4 + 8 + 8 + 2, 16 + 4 + 4 + 8 + 8 + 4 + 8}) {
        std::vector<std::uint8_t> damaged = bytes;
        damaged[at] = 0xFF;
        EXPECT_FALSE(decodeRecoveryInfo(damaged, back)) << at;
    }
}

// Side files of the first layout (no checksum, no stamp of the file) are
// still read, as what they are: the reader makes no stamp up.
TEST(RecoveryInfo, ReadsTheFirstLayout) {
    for (bool withDraft : {false, true}) {
        RecoveryInfo info = sample(withDraft);
        info.copyChecksum.reset();
        info.original.reset();
        std::vector<std::uint8_t> bytes = encodeRecoveryInfo(info);
        const std::size_t stamps = 16 + 4 + 4 + 8 + 8 + 4 + 2 * info.documentPath.size() + 8;
        ASSERT_EQ(bytes[stamps], 0);
        bytes.erase(bytes.begin() + std::ptrdiff_t(stamps));
        bytes[16] = 1;
        RecoveryInfo back;
        ASSERT_TRUE(decodeRecoveryInfo(bytes, back));
        EXPECT_EQ(back, info);
        bytes[16] = 3;
        EXPECT_FALSE(decodeRecoveryInfo(bytes, back)) << "a layout this editor does not know";
    }
}

TEST(RecoveryInfo, NamesTellOwnersAndKeptCopiesApart) {
    const RecoveryOwner owner{4294967295u, 0x01DB0000ABCDEF12ULL};
    const std::u16string stem = recoveryStem(owner);
    EXPECT_EQ(stem, u"4294967295-01db0000abcdef12");
    EXPECT_EQ(ownerOfStem(stem), owner);
    EXPECT_EQ(ownerOfStem(recoveryStem({0, 0})), (RecoveryOwner{0, 0}));
    const std::u16string kept = keptStem(stem, 0x01DC000000000001ULL);
    EXPECT_FALSE(ownerOfStem(kept)) << "a kept copy is never offered again";
    EXPECT_EQ(keptTimeOfStem(kept), 0x01DC000000000001ULL);
    for (std::u16string_view other : {u"", u"-01db0000abcdef12", u"12-01DB0000ABCDEF12", u"12-01db0000abcdef1",
                                      u"99999999999-01db0000abcdef12", u"12x-01db0000abcdef12", u"notes"}) {
        EXPECT_FALSE(ownerOfStem(other)) << std::string(other.begin(), other.end());
        EXPECT_FALSE(keptTimeOfStem(other));
    }
    // What a save leaves beside the document while it writes.
    const std::u16string_view doc = u"作業.tag";
    EXPECT_EQ(ownerOfSaveTemporary(doc, u"作業.tag.lumaset-4242-01db0000abcdef12-0.tmp"),
              (RecoveryOwner{4242, 0x01DB0000ABCDEF12ULL}));
    EXPECT_EQ(ownerOfSaveTemporary(doc, u"作業.tag.lumaset-4242-17.tmp"), (RecoveryOwner{4242, 0}));
    for (std::u16string_view other :
         {u"作業.tag", u"作業.tag.lumaset-.tmp", u"作業.tag.lumaset-4242-.tmp", u"作業.tag.lumaset-4242-0.tmp.bak",
          u"作業.tag.lumaset-4242-01db0000abcdef12-.tmp", u"作業.tag.lumaset-4242-0000000000000000-0.tmp",
          u"作業.tag.lumaset-4242-01DB0000ABCDEF12-0.tmp", u"作業.tag.lumaset-4242-01db0000abcdef12-0-1.tmp",
          u"別.tag.lumaset-4242-0.tmp", u"作業.TAG.lumaset-4242-0.tmp", u"x作業.tag.lumaset-4242-0.tmp"})
        EXPECT_FALSE(ownerOfSaveTemporary(doc, other)) << std::string(other.begin(), other.end()).size();
    EXPECT_FALSE(ownerOfSaveTemporary(u"", u".lumaset-4242-0.tmp"));
}

}  // namespace
}  // namespace lumaset
