#include <gtest/gtest.h>

#include "properties/logic/pattern_field.h"

namespace lumaset {
namespace {

TEST(PatternField, ShowsBreaksAfterTheFirstThreeLineEscapesOnly) {
    EXPECT_EQ(showPatternField(""), "");
    EXPECT_EQ(showPatternField("abc"), "abc");
    EXPECT_EQ(showPatternField("a\\nb"), "a\\n\r\nb");
    EXPECT_EQ(showPatternField("1\\n2\\n3\\n4\\n5\\n6"), "1\\n\r\n2\\n\r\n3\\n\r\n4\\n5\\n6");
    // An escaped backslash followed by n is no line escape.
    EXPECT_EQ(showPatternField("\\\\n\\t"), "\\\\n\\t");
    // A trailing backslash or lead byte stands alone.
    EXPECT_EQ(showPatternField("x\\"), "x\\");
    EXPECT_EQ(showPatternField("x\x95"), "x\x95");
    // 0x95 0x5C is one character whose trail byte is a backslash value: it
    // never starts an escape, neither alone nor after a backslash.
    EXPECT_EQ(showPatternField("\x95\\n"), "\x95\\n");
    EXPECT_EQ(showPatternField("\\\x95\\n"), "\\\x95\\n");
}

TEST(PatternField, ReadingRemovesEveryLineBreakAndCutsOnACharacterBoundary) {
    EXPECT_EQ(readPatternField("1\\n\r\n2\\n\r\n\r\n\r\n3", 200), "1\\n2\\n3");
    // A lone CR or LF is not a break of ours and stays.
    EXPECT_EQ(readPatternField("a\rb\nc", 200), "a\rb\nc");
    // Shown and read back, a stored pattern is unchanged.
    const std::string stored = "1\\n2\\n3\\n4\\n5\\n\x82\xA0";
    EXPECT_EQ(readPatternField(showPatternField(stored), 200), stored);
    // size - 1 bytes at most; a double-byte character that would straddle
    // the limit goes whole.
    EXPECT_EQ(readPatternField("abcd", 4), "abc");
    EXPECT_EQ(readPatternField("ab\x82\xA0", 4), "ab");
    EXPECT_EQ(readPatternField("ab\x82\xA0", 5), "ab\x82\xA0");
    EXPECT_EQ(readPatternField(std::string(250, 'x'), 200).size(), 199u);
}

TEST(PatternField, ReflowGivesEveryLineEscapeItsBreak) {
    // Five escapes shown with three breaks: after an edit all five have one.
    const std::wstring shown = L"1\\n\r\n2\\n\r\n3\\n\r\n4\\n5\\nx";
    ReflowResult r = reflowPatternField(shown, shown.size());
    EXPECT_TRUE(r.changed);
    EXPECT_EQ(r.text, L"1\\n\r\n2\\n\r\n3\\n\r\n4\\n\r\n5\\n\r\nx");
    EXPECT_EQ(r.caret, r.text.size());

    // Nothing to do: unchanged, caret kept.
    r = reflowPatternField(L"a\\n\r\nb", 3);
    EXPECT_FALSE(r.changed);
    EXPECT_EQ(r.caret, 3u);

    // Typing the n of an escape at the end: the caret goes past the new
    // break, onto the new line.
    r = reflowPatternField(L"ab\\n", 4);
    EXPECT_EQ(r.text, L"ab\\n\r\n");
    EXPECT_EQ(r.caret, 6u);
    // A caret before the insertion point stays where it was.
    r = reflowPatternField(L"ab\\ncd", 1);
    EXPECT_EQ(r.text, L"ab\\n\r\ncd");
    EXPECT_EQ(r.caret, 1u);
    // An escaped backslash before n is no line escape.
    r = reflowPatternField(L"\\\\n", 3);
    EXPECT_FALSE(r.changed);
}

}  // namespace
}  // namespace lumaset
