#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <string>
#include <vector>

#include "core/pattern_test_util.h"
#include "pattern/pattern_code.h"

namespace lumaset {
namespace {

using testing::hexBytes;
using testing::toHex;

struct CompileCase {
    const char* text;
    const char* code;  // nullptr: the compile fails
};

// Returns the code as hex, or "fail"/"overflow".
std::string compileToHex(const std::string& text) {
    std::uint8_t area[kCompileAreaSize];
    const int n = compilePattern(text.c_str(), area);
    if (n == kPatternFailed) return "fail";
    if (n == kCompileOverflow) return "overflow";
    return toHex(area, n);
}

TEST(PatternCompiler, CompilesEachElementForm) {
    const CompileCase cases[] = {
        {"", "00"},
        {"abc", "02 03 61 62 63 00"},
        {"\\1", "03 31 00"},
        {"\\1 \\2", "03 31 02 01 20 03 32 00"},
        {"\\( 3 , NIF , -5 )", "05 03 80 FB 00"},
        {"\\(1,)", "04 01 00 00"},
        {"\\(1,-)", "04 01 00 00"},
        {"\\(1,-127)", "04 01 81 00"},
        {"\\(-1,2)", "02 06 28 2D 31 2C 32 29 00"},
        {"\\(abc", "02 04 28 61 62 63 00"},
        {"ab\\(cd", "02 02 61 62 02 03 28 63 64 00"},
        {"\\(\"abc\")", "06 03 61 62 63 00 00 00 00 00 00"},
        {"\\(\"x\",1,2)", "08 01 78 00 00 00 00 00 01 02 00"},
        {"\\(\"a\\\"b\\vc\",2)", "07 06 61 22 62 5C 76 63 00 00 00 00 00 02 00"},
        {"\\s(\\1,\"a\\vb\",3)", "09 03 31 01 03 61 0B 62 03 00"},
        {"\\r(\\1,\"a\\vb\",3)", "0A 03 31 01 04 61 5C 76 62 03 00 00 00 00 00"},
        {"\\s(-1,2,\"x\",3)", "0B FF 02 01 78 03 00"},
        {"\\r(1,2,\"x\",3)", "0C 01 02 01 78 03 00 00 00 00 00 00"},
        {"\\p(\\2,1,2)", "0D 03 32 01 01 02 00"},
        {"\\p( \\2 ,1,2)", "0D 03 32 01 01 02 00"},
        {"\\p(\\a\\1,1,2)", "0D 02 01 61 03 31 01 01 02 00"},
        {"\\-", "0E 00"},
        {"\\1\\-", "03 31 0E 00"},
        {"ab\\-", "02 03 61 62 2D 00"},
        {"a\\\\b", "02 03 61 5C 62 00"},
        {"\\1\\", "03 31 02 00 00"},
        {"\\p(\\-,1,2)", "0D 0E 01 01 02 00"},
        // A lead byte takes its trail along, so 0x5C there is no escape.
        {"\x95\x5C\\1", "02 02 95 5C 03 31 00"},
        {"\\(\"\x95\x5C\")", "06 02 95 5C 00 00 00 00 00 00"},
        // A lead byte at the very end is copied alone.
        {"a\x95", "02 02 61 95 00"},
        {"\\(1,2,3)", "05 01 02 03 00"},
        {"\\(1,127)", "04 01 7F 00"},
        // A text run ends where each sub-pattern element starts.
        {"a\\s(\\1,\"x\",3)", "02 01 61 09 03 31 01 01 78 03 00"},
        {"a\\r(\\1,\"x\",3)", "02 01 61 0A 03 31 01 01 78 03 00 00 00 00 00"},
        {"a\\p(\\2,1,2)", "02 01 61 0D 03 32 01 01 02 00"},
        // Spaces after a string's closing quote are skipped.
        {"\\(\"x\" ,1)", "07 01 78 00 00 00 00 00 01 00"},
        {"\\s(1,2,\"x\"  ,3)", "0B 01 02 01 78 03 00"},
        {"\\(1,99999999999)", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(compileToHex(c.text), c.code ? c.code : "fail");
    }
}

TEST(PatternCompiler, RejectsMalformedText) {
    const char* failing[] = {
        "\\(1,128)",     "\\(1,-128)",   "\\(1,NIFX)",   "\\p(\\2 x,1,2)", "\\p(\\a,1,2)",
        "\\1\\-x",       "abc\\",        "\\s (1,2,\"\",3)", "\\(1,2",     "\\(\"abc",
        "\\s",           "\\r",          "\\p",          "\\p(\\1",        "\\s(\\1,x,3)",
        "\\(\"a\\",      "\\p(\\\\,1,2)", "\\(\"x\" y)",  "\\(1 2,3)",
    };
    for (const char* text : failing) {
        SCOPED_TRACE(text);
        EXPECT_EQ(compileToHex(text), "fail");
    }
}

// The position a failed compile reports is where the text stops making
// sense; asking for it changes neither the result nor the code.
TEST(PatternCompiler, ReportsWhereItFailed) {
    const struct {
        const char* text;
        int at;
    } cases[] = {
        {"\\p", 2},               // "(" missing after \p
        {"ab\\1\\-x", 6},          // text after \-
        {"\\(1,128)", 7},          // number out of range, judged after its digits
        {"\\(1 2,3)", 4},          // a number followed by something else
        {"\\p(\\1", 5},            // a sub-pattern that meets the end of the text
        {"\\s(\\1,x,3)", 6},        // a string without its quote
        {"\x95\x5C\\p", 4},       // columns count bytes; the trail byte is no escape
        {"abc\\", 3},              // a backslash at the very end of a run
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::uint8_t area[kCompileAreaSize];
        int at = -7;
        EXPECT_EQ(compilePattern(c.text, area, &at), kPatternFailed);
        EXPECT_EQ(at, c.at);
    }
    std::string overflow;
    while (overflow.size() + 3 <= 239) overflow += "a\\1";
    for (const std::string& text : {std::string("\\s(\\(1,2),\"x\",1)\\-"), std::string("\\1"), overflow}) {
        std::uint8_t plain[kCompileAreaSize] = {}, located[kCompileAreaSize] = {};
        int at = -7;
        const int n = compilePattern(text.c_str(), plain);
        EXPECT_EQ(compilePattern(text.c_str(), located, &at), n);
        EXPECT_EQ(std::memcmp(plain, located, sizeof plain), 0);
        EXPECT_EQ(at, n == kCompileOverflow ? at : -7);
    }
    int at = -7;
    std::uint8_t area[kCompileAreaSize];
    EXPECT_EQ(compilePattern(overflow.c_str(), area, &at), kCompileOverflow);
    EXPECT_GT(at, 100);  // where the area ran full
}

// Every "a\1" pair turns 3 characters into 5 code bytes, so 239 characters
// of it need far more than the area holds.
TEST(PatternCompiler, OverflowStopsAtTheAreaEnd) {
    std::string text;
    while (text.size() + 3 <= 239) text += "a\\1";
    while (text.size() < 239) text += 'a';

    constexpr int kGuard = 64;
    std::array<std::uint8_t, kCompileAreaSize + kGuard> buffer;
    buffer.fill(0xCC);
    EXPECT_EQ(compilePattern(text.c_str(), buffer.data()), kCompileOverflow);
    for (int i = kCompileAreaSize; i < int(buffer.size()); ++i) ASSERT_EQ(buffer[i], 0xCC) << i;

    // The largest code that still fits: the end byte lands on the last byte.
    std::string fits(kCompileAreaSize - 3, 'x');
    buffer.fill(0xCC);
    EXPECT_EQ(compilePattern(fits.c_str(), buffer.data()), kCompileAreaSize);
    EXPECT_EQ(buffer[kCompileAreaSize - 1], 0);
    fits += 'x';
    EXPECT_EQ(compilePattern(fits.c_str(), buffer.data()), kCompileOverflow);
    EXPECT_EQ(buffer[kCompileAreaSize], 0xCC);
}

TEST(PatternCompiler, DeepNestingIsBoundedByTheArea) {
    std::string text;
    for (int i = 0; i < 200; ++i) text += "\\p(";
    std::uint8_t area[kCompileAreaSize];
    EXPECT_EQ(compilePattern(text.c_str(), area), kPatternFailed);
    for (int i = 0; i < 200; ++i) text += "\\1,1,2)";
    EXPECT_EQ(compilePattern(text.c_str(), area), kCompileOverflow);
}

// The text ends at its NUL even where an element wants more characters.
TEST(PatternCompiler, NeverReadsPastTheNul) {
    const CompileCase endings[] = {
        {"\\", "02 00 00"},         {"\\(", "02 01 28 00"},    {"\\( ", "02 02 28 20 00"},
        {"\\(\"", nullptr},        {"\\(1", nullptr},        {"\\(1,", nullptr},
        {"\\(1,N", nullptr},        {"\\(1,NI", nullptr},     {"\\s(", nullptr},
        {"\\p(", nullptr},          {"\\(\"\\", nullptr},    {"\x95", "02 01 95 00"},
        {"a\\\x95", "02 02 61 95 00"},
    };
    for (const auto& c : endings) {
        SCOPED_TRACE(c.text);
        // Exactly sized heap copy so a sanitizer sees any read past the NUL.
        const std::size_t n = std::strlen(c.text) + 1;
        std::vector<char> text(c.text, c.text + n);
        text.shrink_to_fit();
        std::uint8_t area[kCompileAreaSize];
        const int length = compilePattern(text.data(), area);
        EXPECT_EQ(length == kPatternFailed ? "fail" : toHex(area, length), c.code ? c.code : "fail");
    }
}

}  // namespace
}  // namespace lumaset
