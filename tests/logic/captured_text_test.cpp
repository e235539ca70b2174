#include <gtest/gtest.h>

#include "properties/logic/captured_text.h"

namespace lumaset {
namespace {

TEST(EscapeCapturedText, EscapesTheTwelveSpecialCharactersOnly) {
    EXPECT_EQ(escapeCapturedText("a.b(1)"), "a\\.b\\(1\\)");
    EXPECT_EQ(escapeCapturedText("()\\[]^$.*+?|"), "\\(\\)\\\\\\[\\]\\^\\$\\.\\*\\+\\?\\|");
    // Braces, hyphen, TAB and space are plain characters of the language.
    EXPECT_EQ(escapeCapturedText("{x}-y\t z/"), "{x}-y\t z/");
    EXPECT_EQ(escapeCapturedText(""), "");
}

TEST(EscapeCapturedText, WritesCrLfAsTheLineBreakEscapeAndKeepsLoneBreaks) {
    EXPECT_EQ(escapeCapturedText("ab\r\ncd"), "ab\\ncd");
    EXPECT_EQ(escapeCapturedText("a\rb\nc\r"), "a\rb\nc\r");
    EXPECT_EQ(escapeCapturedText("\r\r\n"), "\r\\n");
}

TEST(EscapeCapturedText, KeepsDoubleByteCharactersWhole) {
    // 0x95 0x5C and 0x83 0x5E: trail bytes that look like '\' and '^'.
    EXPECT_EQ(escapeCapturedText("\x95\x5C.\x83\x5E"), "\x95\x5C\\.\x83\x5E");
    // 0xE0 and 0xFF are lead bytes too; 0x80 and 0xA0 are not.
    EXPECT_EQ(escapeCapturedText("\xE0\x5B\xFF\x28"), "\xE0\x5B\xFF\x28");
    EXPECT_EQ(escapeCapturedText("\x80.\xA0."), "\x80\\.\xA0\\.");
    // A lead byte before CR LF takes the CR as its partner.
    EXPECT_EQ(escapeCapturedText("\x81\r\n"), "\x81\r\n");
}

TEST(EscapeCapturedText, DropsALeadByteAtTheEnd) {
    EXPECT_EQ(escapeCapturedText("ab\x82"), "ab");
    EXPECT_EQ(escapeCapturedText("\x82"), "");
}

TEST(EscapeCapturedText, NeverMoreThanTwiceTheInput) {
    const std::string worst(100, '\\');
    EXPECT_EQ(escapeCapturedText(worst).size(), 200u);
}

TEST(PositionElementText, PacksUpToThreeNumbers) {
    EXPECT_EQ(positionElementText(3 | 10 << 8 | 5 << 16), "\\(3,10,5)");
    EXPECT_EQ(positionElementText(3 | 10 << 8), "\\(3,10)");
    EXPECT_EQ(positionElementText(0), "");
    EXPECT_EQ(positionElementText(0xFFFFFFFFu), "\\(255,255,255)");
    // Only the first number given: the second is typed as 0.
    EXPECT_EQ(positionElementText(7), "\\(7,0)");
}

}  // namespace
}  // namespace lumaset
