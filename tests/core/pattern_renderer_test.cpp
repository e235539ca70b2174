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

constexpr const char* kFailed = "<failed>";

// Renders a code lying in a field of exactly its own size (or fieldSize).
std::string render(const std::vector<std::uint8_t>& code, int fieldSize = -1) {
    if (fieldSize < 0) fieldSize = int(code.size());
    std::vector<std::uint8_t> field(code.begin(), code.end());
    char area[kRenderAreaSize];
    const int n = renderPattern(field.data(), fieldSize, area);
    if (n == kPatternFailed) return kFailed;
    EXPECT_EQ(n, int(std::strlen(area)) + 1);
    return std::string(area);
}

TEST(PatternRenderer, RendersStoredCodes) {
    const struct {
        const char* code;
        const char* text;
    } cases[] = {
        {"00", ""},
        {"05 03 80 FB 00", "\\(3,NIF,-5)"},
        {"04 01 81 00", "\\(1,-127)"},
        {"02 03 61 5C 62 00", "a\\\\b"},
        {"02 03 61 62 2D 00", "ab-"},
        {"07 06 61 22 62 5C 76 63 00 00 00 00 00 02 00", "\\(\"a\\\"b\\vc\",2)"},
        {"06 03 61 62 63 00 00 00 00 00 00", "\\(\"abc\")"},
        {"08 01 78 00 00 00 00 00 01 02 00", "\\(\"x\",1,2)"},
        {"09 03 31 01 03 61 0B 62 03 00", "\\s(\\1,\"a\\vb\",3)"},
        {"09 03 31 01 01 5C 01 00", "\\s(\\1,\"\\\\\",1)"},
        {"0A 03 31 01 04 61 5C 76 62 03 00 00 00 00 00", "\\r(\\1,\"a\\vb\",3)"},
        {"0B FF 02 01 78 03 00", "\\s(-1,2,\"x\",3)"},
        {"0C 01 02 01 78 03 00 00 00 00 00 00", "\\r(1,2,\"x\",3)"},
        {"0D 03 32 01 01 02 00", "\\p(\\2,1,2)"},
        {"0E 00", "\\-"},
        {"02 02 61 62 02 03 28 63 64 00", "ab(cd"},
        // A lead byte keeps its trail, even a trail that looks like a backslash.
        {"02 02 95 5C 03 31 00", "\x95\x5C\\1"},
        // A lead byte that ends its run is written alone.
        {"02 01 95 03 31 00", "\x95\\1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        EXPECT_EQ(render(hexBytes(c.code)), c.text);
    }
}

TEST(PatternRenderer, RejectsBadOpcodes) {
    EXPECT_EQ(render(hexBytes("95 00")), kFailed);
    EXPECT_EQ(render(hexBytes("0D 03 31 0F 00")), kFailed);
    EXPECT_EQ(render(hexBytes("02 01 61 0F 00")), kFailed);
}

// Codes from files may run to the end of their field with no end byte, or
// claim more bytes than the field holds.
TEST(PatternRenderer, StaysInsideTheField) {
    const char* truncated[] = {
        "03 31",           // no end byte
        "02 05 61 62",     // run longer than the field
        "04 01",           // second number missing
        "06 01 61 00 00",  // reserved bytes cut off
        "0D 03 31 01 01",  // second number of \p missing
        "0A 03 31 01 01 61 01 00 00",  // reserved bytes of \r cut off
        "02 02 95",        // trail byte outside the field
    };
    for (const char* hex : truncated) {
        SCOPED_TRACE(hex);
        EXPECT_EQ(render(hexBytes(hex)), kFailed);
    }

    // A full 120-byte title field with no end byte.
    std::vector<std::uint8_t> field(120, 0);
    field[0] = TextRun;
    field[1] = 118;
    std::memset(field.data() + 2, 'a', 118);
    EXPECT_EQ(render(field), kFailed);
    // The same code is fine once the field has room for its end byte.
    field[1] = 117;
    field[119] = End;
    EXPECT_EQ(render(field), std::string(117, 'a'));

    // The end byte lies beyond the field the caller names.
    EXPECT_EQ(render(hexBytes("03 31 00"), 2), kFailed);
}

TEST(PatternRenderer, StaysInsideTheArea) {
    // 117 backslashes double to 234 characters: fits with its NUL.
    std::vector<std::uint8_t> code(120, 0);
    code[0] = TextRun;
    code[1] = 117;
    std::memset(code.data() + 2, '\\', 117);
    EXPECT_EQ(render(code), std::string(234, '\\'));

    // 120 doubled would take 241 bytes with the NUL and is refused.
    std::vector<std::uint8_t> longer(124, 0);
    longer[0] = TextRun;
    longer[1] = 120;
    std::memset(longer.data() + 2, '\\', 120);

    constexpr int kGuard = 32;
    std::array<char, kRenderAreaSize + kGuard> buffer;
    buffer.fill('\x7F');
    EXPECT_EQ(renderPattern(longer.data(), int(longer.size()), buffer.data()), kPatternFailed);
    for (int i = kRenderAreaSize; i < int(buffer.size()); ++i) ASSERT_EQ(buffer[i], '\x7F') << i;

    // Each \(-100,-100,-100) is 4 code bytes and 18 characters.
    std::vector<std::uint8_t> many;
    for (int i = 0; i < 30; ++i) {
        many.insert(many.end(), {Pos3, 0x9C, 0x9C, 0x9C});
    }
    many.push_back(End);
    buffer.fill('\x7F');
    EXPECT_EQ(renderPattern(many.data(), int(many.size()), buffer.data()), kPatternFailed);
    for (int i = kRenderAreaSize; i < int(buffer.size()); ++i) ASSERT_EQ(buffer[i], '\x7F') << i;
}

// compile(render(code)) == code for what the compiler makes, apart from the
// documented ways a code loses a run on the way back.
TEST(PatternRenderer, RenderedTextCompilesToTheSameCode) {
    const char* texts[] = {
        "abc",
        "\\1 \\2",
        "\\( 3 , NIF , -5 )",
        "\\(1,)",
        "\\(-1,2)",
        "\\(\"a\\\"b\\vc\",2)",
        "\\(\"x\",  1 , 2 )",
        "\\(\"\\\\\\\"\")",
        "\\s(\\1,\"a\\vb\",3)",
        "\\s(\\1,\"\\\\\",1)",
        "\\s(,\"\",0)",
        "\\r(\\1,\"a\\vb\",3)",
        "\\s(-1,2,\"x\\\"\",3)",
        "\\r(1,2,\"\\\\x\",NIF)",
        "\\p(\\2,1,2)\\p(\\s(\\p(\\-,1,2),\"q\",1),3,4)",
        "\\-",
        "\\1\\-",
        "ab\\-",
        "a\\\\b\\,c",
        "\x95\x5C\\1\x83\x5Cn",
        "\\(\"\x95\x5C\",1)",
        "a\x95",
        "\\( ab",
        "\\5\\(0,4,9)\\(3,1)",
    };
    for (const char* text : texts) {
        SCOPED_TRACE(text);
        std::uint8_t code[kCompileAreaSize];
        const int n = compilePattern(text, code);
        ASSERT_GT(n, 0);
        char rendered[kRenderAreaSize];
        ASSERT_GT(renderPattern(code, n, rendered), 0);
        std::uint8_t again[kCompileAreaSize];
        const int m = compilePattern(rendered, again);
        ASSERT_GT(m, 0) << rendered;
        EXPECT_EQ(toHex(again, m), toHex(code, n)) << rendered;
    }
}

TEST(PatternRenderer, KnownRoundTripLosses) {
    const struct {
        const char* text;
        const char* rendered;
        const char* recompiled;  // nullptr: no longer compiles
    } cases[] = {
        {"ab\\(cd", "ab(cd", "02 05 61 62 28 63 64 00"},   // two runs become one
        {"\\1\\", "\\1", "03 31 00"},                        // empty run vanishes
        {"\\p(\\a\\1,1,2)", "\\p(a\\1,1,2)", nullptr},       // plain text in a sub-pattern
        {"\\p(\\ \\1,1,2)", "\\p( \\1,1,2)", "0D 03 31 01 01 02 00"},
        {"\\(\"\x0B\")", "\\(\"\\v\")", "06 02 5C 76 00 00 00 00 00 00"},  // raw 0x0B
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        std::uint8_t code[kCompileAreaSize];
        const int n = compilePattern(c.text, code);
        ASSERT_GT(n, 0);
        char rendered[kRenderAreaSize];
        ASSERT_GT(renderPattern(code, n, rendered), 0);
        EXPECT_STREQ(rendered, c.rendered);
        std::uint8_t again[kCompileAreaSize];
        const int m = compilePattern(rendered, again);
        if (c.recompiled == nullptr) {
            EXPECT_EQ(m, kPatternFailed);
        } else {
            ASSERT_GT(m, 0);
            EXPECT_EQ(toHex(again, m), c.recompiled);
        }
    }
}

}  // namespace
}  // namespace lumaset
