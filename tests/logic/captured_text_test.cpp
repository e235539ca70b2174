#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "commands/logic/syntax_block.h"
#include "pattern/match_pattern.h"
#include "properties/logic/captured_text.h"
#include "properties/logic/pattern_check.h"
#include "properties/logic/pattern_field.h"
#include "views/logic/syntax_search.h"

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

// What capture types into the pattern field matches the captured text, and
// all of it: random cp932 texts (no NUL, which ends a pattern) with every
// special character, trail bytes that look like them, CR LF and lone breaks.
TEST(EscapeCapturedText, TheEscapedTextMatchesTheTextAsAWhole) {
    std::mt19937 rng(4);
    static const char kSpecial[] = "()\\[]^$.*+?|-{} \r\nnfv";
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int n = int(rng() % 40) + 1;
        for (int i = 0; i < n; ++i) {
            switch (rng() % 4) {
            case 0:
                text += kSpecial[rng() % (sizeof kSpecial - 1)];
                break;
            case 1:
                text += "\r\n";
                break;
            case 2: {  // a double-byte character, trail 0x40-0xFC but 0x7F
                const unsigned lead = rng() % 2 ? 0x81 + rng() % 31 : 0xE0 + rng() % 32;
                unsigned trail = 0x40 + rng() % 189;
                if (trail == 0x7F) trail = 0x5C;
                text += char(lead);
                text += char(trail);
                break;
            }
            default:
                text += char(1 + rng() % 0x80);
                break;
            }
        }
        std::string sample;
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            sample += text[i];
        }
        const std::string pattern = escapeCapturedText(text);
        const MatchResult r = matchPattern(pattern, sample);
        ASSERT_EQ(r.outcome, MatchOutcome::Matched) << pattern;
        ASSERT_EQ(r.match.start, 0) << pattern;
        ASSERT_EQ(r.match.end, int(sample.size())) << pattern;
    }
}

TEST(PositionElementText, PacksUpToThreeNumbers) {
    EXPECT_EQ(positionElementText(3 | 10 << 8 | 5 << 16), "\\(3,10,5)");
    EXPECT_EQ(positionElementText(3 | 10 << 8), "\\(3,10)");
    EXPECT_EQ(positionElementText(0), "");
    EXPECT_EQ(positionElementText(0xFFFFFFFFu), "\\(255,255,255)");
    EXPECT_EQ(positionElementText(1 | 1 << 8 | 1 << 16), "\\(1,1,1)");
    EXPECT_EQ(positionElementText(1 << 8), "\\(0,1)");
    // Only the first number given: the second is typed as 0.
    EXPECT_EQ(positionElementText(7), "\\(7,0)");
}

// Every walk over cp932 text takes a lead byte (0x81-0x9F, 0xE0-0xFF) with
// the byte after it, and any other byte alone: both ends of both ranges and
// the bytes just outside them.
TEST(Cp932Walks, LeadBytesAtBothEndsOfBothRanges) {
    const struct {
        unsigned char byte;
        bool lead;
    } edges[] = {{0x80, false}, {0x81, true},  {0x9F, true},  {0xA0, false},
                 {0xDF, false}, {0xE0, true}, {0xFC, true}, {0xFF, true}};
    for (const auto& edge : edges) {
        const std::string b(1, char(edge.byte));
        SCOPED_TRACE(int(edge.byte));
        EXPECT_EQ(escapeCapturedText(b + "."), edge.lead ? b + "." : b + "\\.");
        EXPECT_EQ(containsCp932(b + "a", "A"), !edge.lead);
        EXPECT_EQ(showPatternField("\\" + b + "\\nx"), edge.lead ? "\\" + b + "\\nx" : "\\" + b + "\\n\r\nx");
        EXPECT_EQ(readPatternField(b + "x", 2), edge.lead ? "" : b);
        EXPECT_EQ(patternCheckLine(b + "x\\p", kTitleCodeLimit),
                  edge.lead ? "4 文字目で変換できません" : "5 文字目で変換できません");

        // A pasted name without its NUL is cut before a character that would
        // straddle the field's last byte.
        std::vector<std::uint8_t> block(syntaxBlockSize(1), 'a');
        block[0] = 1;
        block[1] = block[2] = block[3] = 0;
        block[4 + kNameSize - 2] = edge.byte;
        const auto records = parseSyntaxBlock(block.data(), block.size());
        ASSERT_TRUE(records);
        EXPECT_EQ(fieldText(records->front().name, kNameSize),
                  std::string(kNameSize - 2, 'a') + (edge.lead ? "" : b));
    }
}

}  // namespace
}  // namespace lumaset
