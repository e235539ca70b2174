#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "core/pattern_test_util.h"
#include "pattern/derived_fields.h"
#include "pattern/pattern_code.h"
#include "support/recorded_errors.h"

namespace lumaset {
namespace {

using testing::hexBytes;
using testing::recordedErrors;

TEST(DerivedFields, CountsPatternLines) {
    const struct {
        const char* pattern;
        int extraLines;
    } cases[] = {
        {"abc", 0},        {"a\\nb", 1},      {"x\\n|y\\n\\n", 2}, {"(a|b\\n)\\n", 2},
        {"(\\n||)\\n", 1}, {"a(b\\n)c\\n", 2}, {"a\\\\nb", 0},      {")\\n", 0},
        {"(a\\n", 1},      {"", 0},           {"a\\", 0},          {"(", 0},
        {"[(]\\n", 1},
        // ソ is 83 5C: its trail byte is no backslash.
        {"\x83\x5Cn", 0},  {"\x83\x5C\\n", 1}, {"\\\x83\x5Cn", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.pattern);
        EXPECT_EQ(countPatternLines(c.pattern), c.extraLines);
    }
}

TEST(DerivedFields, RemovesSeparators) {
    EXPECT_EQ(removeSeparators("ab\\fcd\\fef"), "abcdef");
    EXPECT_EQ(removeSeparators("a\\\\f"), "a\\\\f");
    EXPECT_EQ(removeSeparators("\x83\x5C" "f"), "\x83\x5C" "f");
    EXPECT_EQ(removeSeparators("\\f\\n\\f"), "\\n");
    EXPECT_EQ(removeSeparators("a\\"), "a\\");
    EXPECT_EQ(removeSeparators("a\x83"), "a\x83");
    // Bounded by the view even without a NUL.
    const char unterminated[] = {'a', '\\', 'f', 'b'};
    EXPECT_EQ(removeSeparators(std::string_view(unterminated, 4)), "ab");
}

// Compiles a title into a field of its stored size; false when it does not fit.
bool compileTitleInto(const char* title, std::uint8_t (&field)[kTitleCodeSize]) {
    std::uint8_t area[kCompileAreaSize];
    const int n = compilePattern(title, area);
    if (n <= 0 || n > kTitleCodeSize) return false;
    std::memset(field, 0, kTitleCodeSize);
    std::memcpy(field, area, std::size_t(n));
    return true;
}

constexpr int kNotCompiled = -1000;

int scanText(const char* title) {
    std::uint8_t field[kTitleCodeSize];
    if (!compileTitleInto(title, field)) return kNotCompiled;
    return scanTitleCode(field, kTitleCodeSize);
}

TEST(DerivedFields, ScansTitleCodes) {
    const struct {
        const char* title;
        int second;
    } cases[] = {
        {"", 0},
        {"\\(3,1)\\(0,4,9)", 4},
        {"\\1\\2", 0},
        {"\\(3,NIF)", -1},
        {"\\(\"abc\")", -1},
        {"\\s(\\(1,2),\"x\",1)", 2},
        {"\\s(\\(1,-1),\"x\",1)", -1},
        {"\\(1,5)\\-", 0},
        {"\\p(\\-,1,2)\\(0,3)", 3},
        {"\\r(\\(0,7)\\1,\"x\",1)\\(0,6)", 7},
        {"\\s(1,2,\"x\",3)", -1},
        {"\\(0,127)", 127},
        {"abc\\(0,9)xyz", 9},
    };
    recordedErrors().clear();
    for (const auto& c : cases) {
        SCOPED_TRACE(c.title);
        EXPECT_EQ(scanText(c.title), c.second);
    }
    EXPECT_TRUE(recordedErrors().empty());
}

TEST(DerivedFields, DamagedTitleCodes) {
    recordedErrors().clear();
    std::vector<std::uint8_t> bad = hexBytes("04 00 05 0F 00");
    EXPECT_EQ(scanTitleCode(bad.data(), int(bad.size())), 0);
    ASSERT_EQ(recordedErrors().size(), 1u);
    EXPECT_EQ(recordedErrors()[0], "Internal error");

    // Inside a sub-pattern too, reported once.
    recordedErrors().clear();
    bad = hexBytes("0D 04 00 05 FF 01 01 02 00");
    EXPECT_EQ(scanTitleCode(bad.data(), int(bad.size())), 0);
    EXPECT_EQ(recordedErrors().size(), 1u);

    // A code that runs off its field promises nothing: left open, quietly.
    recordedErrors().clear();
    const char* cut[] = {"04 00 05", "02 09 61", "0D 04 00 05 01", "09 01 01 78", "03"};
    for (const char* hex : cut) {
        SCOPED_TRACE(hex);
        bad = hexBytes(hex);
        EXPECT_EQ(scanTitleCode(bad.data(), int(bad.size())), -1);
    }
    EXPECT_TRUE(recordedErrors().empty());
}

SyntaxRecord userRecord(const char* pattern, const char* title) {
    SyntaxRecord r = blankSystemRecord();
    std::strcpy(r.name, "user");
    r.depth = 1;
    std::strcpy(r.pattern, pattern);
    if (!compileTitleInto(title, r.titleCode)) ADD_FAILURE() << "title does not compile: " << title;
    return r;
}

TEST(DerivedFields, DerivesARecordsFields) {
    Document doc;
    ASSERT_TRUE(doc.insertSyntax(3, userRecord("a\\fb\\n|c\\n\\n", "\\(0,3)")));
    deriveRecordFields(doc, 3);
    const SyntaxRecord* r = doc.syntaxAt(3);
    EXPECT_EQ(r->patternLines, 3);
    EXPECT_STREQ(r->patternNoSep, "ab\\n|c\\n\\n");
    EXPECT_EQ(r->titleMaxSecond, 3);

    // System records span one line whatever their pattern says.
    for (int position = 0; position < kSystemRecordCount; ++position) {
        std::strcpy(doc.syntaxAt(position)->pattern, "a\\nb\\n");
        deriveRecordFields(doc, position);
        EXPECT_EQ(doc.syntaxAt(position)->patternLines, 1);
    }

    SyntaxRecord open = userRecord("x", "\\(\"q\")");
    ASSERT_TRUE(doc.insertSyntax(4, open));
    deriveRecordFields(doc, 4);
    EXPECT_EQ(doc.syntaxAt(4)->titleMaxSecond, kTitleSecondOpen);
}

// Fields from a damaged file may fill their whole width without a NUL.
TEST(DerivedFields, UnterminatedPatternFieldStaysInBounds) {
    Document doc;
    SyntaxRecord r = userRecord("", "");
    std::memset(r.pattern, 'x', kPatternSize);
    r.pattern[kPatternSize - 2] = '\x95';  // a lead byte cut by the limit
    std::memset(r.patternNoSep, 'Z', kPatternNoSepSize);
    ASSERT_TRUE(doc.insertSyntax(3, r));
    deriveRecordFields(doc, 3);
    const SyntaxRecord* d = doc.syntaxAt(3);
    EXPECT_EQ(d->patternLines, 1);
    const std::string noSep(d->patternNoSep);
    EXPECT_EQ(noSep, std::string(kPatternSize - 2, 'x'));
    // The stored record after it is untouched.
    EXPECT_EQ(d->messageFormat.kind, 0);
}

}  // namespace
}  // namespace lumaset
