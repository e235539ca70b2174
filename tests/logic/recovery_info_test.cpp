// The side file of a recovery copy is read by another process after a
// crash: what is written comes back whole, and anything cut, grown or
// foreign is refused rather than half-read.
#include <gtest/gtest.h>

#include "views/logic/recovery_info.h"

namespace lumaset {
namespace {

RecoveryInfo sample(bool withDraft) {
    RecoveryInfo info{4242, 0x01DB123456789ABCULL, 0x01DB2222333344ULL, u"C:\\作業\\bbs session.tag", 1234, std::nullopt};
    if (withDraft) {
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
    // A text count far beyond the bytes present (random damage is the fuzz
    // target's part).
    std::vector<std::uint8_t> bytes = encodeRecoveryInfo(RecoveryInfo{});
    bytes[16 + 4 + 4 + 8 + 8 + 2] = 0xFF;
    RecoveryInfo back;
    EXPECT_FALSE(decodeRecoveryInfo(bytes, back));
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
}

}  // namespace
}  // namespace lumaset
