#include <gtest/gtest.h>

#include <string>

#include "properties/logic/pattern_check.h"

namespace lumaset {
namespace {

std::string repeat(const std::string& piece, int times) {
    std::string out;
    for (int k = 0; k < times; ++k) out += piece;
    return out;
}

// "\1" is two bytes of code, "a" as a run three; the end byte makes one more.
TEST(PatternCheck, CountsTheCodeAgainstWhatTheStepAccepts) {
    EXPECT_EQ(patternCheckLine("", kTitleCodeLimit), "OK 1/119 バイト");
    EXPECT_EQ(patternCheckLine("abc", kTitleCodeLimit), "OK 6/119 バイト");
    EXPECT_EQ(patternCheckLine(repeat("\\1", 59), kTitleCodeLimit), "OK 119/119 バイト");
    EXPECT_EQ(patternCheckLine(repeat("\\1", 60), kTitleCodeLimit), "長すぎます 121/119 バイト");
    EXPECT_EQ(patternCheckLine("a" + repeat("\\1", 23), kMessageCodeLimit), "OK 50/50 バイト");
    EXPECT_EQ(patternCheckLine(repeat("\\1", 25), kMessageCodeLimit), "長すぎます 51/50 バイト");
    // Past the compile area the length is not known.
    EXPECT_EQ(patternCheckLine(repeat("a\\1", 79), kTitleCodeLimit), "長すぎます 240 超/119 バイト");
}

TEST(PatternCheck, PointsAtTheCharacterWhereTheCompileStopped) {
    EXPECT_EQ(patternCheckLine("ab\\1\\-x", kTitleCodeLimit), "7 文字目で変換できません");
    EXPECT_EQ(patternCheckLine("\\p", kMessageCodeLimit), "3 文字目で変換できません");
    // A double-byte character is one character, and its 0x5C trail byte no
    // escape: "表\1\-x".
    EXPECT_EQ(patternCheckLine("\x95\x5C\\1\\-x", kTitleCodeLimit), "6 文字目で変換できません");
    EXPECT_EQ(patternCheckLine("\x82\xa0\x82\xa2\\(1,128)", kTitleCodeLimit), "10 文字目で変換できません");
}

}  // namespace
}  // namespace lumaset
