#include "pattern/match_pattern.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

#include "pattern/pattern_code.h"

namespace lumaset {
namespace {

// Double-byte characters whose trail bytes are pattern metacharacters.
#define SO "\x83\x5C"     // trail "\"
#define CHOON "\x81\x5B"  // trail "["
#define DASH "\x81\x5D"   // trail "]"
#define MINUS "\x81\x7C"  // trail "|"

struct Case {
    const char* pattern;
    const char* sample;
    const char* answer;  // as `tagtool match` prints it
};

const Case kCases[] = {
    // plain text, leftmost, boundaries
    {"abc", "xxabcabc", "2 5 2 5"},
    {"", "abc", "none"},
    {"b", "abc", "1 2 1 2"},
    {"z", "abc", "none"},
    {"a.c", "a\nc abc", "4 7 4 7"},
    {"^b", "ab\nb", "3 4 3 4"},
    {"a$", "ab\na", "3 4 3 4"},
    {"a$", "a\nb", "0 1 0 1"},
    {"^$", "a\n\nb", "2 2 2 2"},
    {"a\\nb", "a\nb", "0 3 0 3"},
    {"\\.\\(\\\\", "x.(\\", "1 4 1 4"},
    // double-byte characters: trail bytes are never metacharacters, and a
    // match never starts inside a character
    {SO "n", SO "n", "0 3 0 3"},
    {SO "f", SO "f", "0 3 0 3"},
    {CHOON "a", CHOON "a", "0 3 0 3"},
    {"(" DASH ")", DASH, "0 2 0 2"},
    {"x" MINUS "y", "x" MINUS "y", "0 4 0 4"},
    {"\\", "\\", "error 0"},
    {"\\" SO, SO, "0 2 0 2"},
    {"\\\x5C", "\x83\x5C", "none"},  // "\\" is a backslash; the sample's is a trail
    {"[\x81]", "\x81]", "error 0"},  // the lead byte takes "]" as its trail
    {".", SO, "0 2 0 2"},
    {"[" SO "]", SO, "0 2 0 2"},
    {"[^a]", SO, "0 2 0 2"},
    {"[\x81\x40-\x81\x9F]", CHOON, "0 2 0 2"},
    {"[\x82\x9F-\x82\xF1]+", "\x82\xA0\x82\xF1x", "0 4 0 4"},  // [ぁ-ん]
    // sets
    {"[]a]+", "]a]b", "0 3 0 3"},
    {"[^]a]", "]a\nb", "3 4 3 4"},
    {"[a-]+", "-a-b", "0 3 0 3"},
    {"[-a]+", "a-b", "0 2 0 2"},
    {"[\\]\\\\\\-]+", "]\\-x", "0 3 0 3"},
    {"[\\n]", "a\nb", "1 2 1 2"},
    {"[^x]", "\n", "none"},
    {"[a-c-e]+", "c-ez", "0 3 0 3"},
    // repetition: greedy, empty passes not taken, separators
    {"a*", "baa", "0 0 0 0"},
    {"ba*", "baa", "0 3 0 3"},
    {"a+", "baa", "1 3 1 3"},
    {"ba?a", "ba", "0 2 0 2"},
    {"(a|ab)c", "abc", "0 3 0 3"},
    {"(ab|a)(bc|c)", "abc", "0 3 0 3"},
    {"x(\\f)?y", "xy", "0 2 0 2"},
    {"x(\\f)+y", "xy", "0 2 0 1 1 2"},
    {"x(\\f)*y", "xy", "0 2 0 2"},
    {"(|a)+", "a", "0 1 0 1"},
    {"(|a)*", "a", "0 1 0 1"},
    {"(a*)*b", "aab", "0 3 0 3"},
    {"(a*)+b", "b", "0 1 0 1"},
    {"a\\fb\\fc", "abc", "0 3 0 1 1 2 2 3"},
    {"(\\f.)*", "abc", "0 3 0 0 0 1 1 2 2 3"},
    {"(.\\f)+!", "ab!", "0 3 0 1 1 2 2 3"},
    {"\\f\\f", "x", "0 0 0 0 0 0 0 0"},
    {"^(\\f[0-9]+\\f:)+", "12:345:", "0 7 0 0 0 2 2 3 3 6 6 7"},
    {"a\\vb", "ab", "none"},
    // faults: the first in reading order, at its character
    {"ab\\", "", "error 2"},
    {"(a(b", "", "error 2"},
    {"((a)", "", "error 0"},
    {"a)", "", "error 1"},
    {"a[bc", "", "error 1"},
    {"[a\\", "", "error 0"},
    {"[a-", "", "error 0"},
    {"*a", "", "error 0"},
    {"(+)", "", "error 1"},
    {"a|?", "", "error 2"},
    {"a**", "", "error 2"},
    {"^*", "", "error 1"},
    {"$+", "", "error 1"},
    {"\\f?", "", "error 2"},
    {"\\v*", "", "error 2"},
    {"x[z-a]", "", "error 2"},
    {"[a\\f]", "", "error 2"},
    {"[\\v]", "", "error 1"},
    {"[z-a", "", "error 1"},
    {"[a](", "", "error 3"},
    {SO "(", "", "error 2"},
    {"a\0)", "a", "0 1 0 1"},
};

TEST(MatchPattern, TableOfPatternsSamplesAndAnswers) {
    for (const Case& c : kCases) {
        // Rows are C strings: the pattern ends at its NUL like a field.
        const std::string sample(c.sample);
        const MatchResult r = matchPattern(c.pattern, sample);
        EXPECT_EQ(formatMatchAnswer(r), c.answer) << "pattern " << c.pattern << " sample " << sample;
        // The search without the state table must agree.
        EXPECT_EQ(formatMatchAnswer(matchPatternUnmemoised(parseMatchPattern(c.pattern), sample)),
                  c.answer)
            << c.pattern;
    }
}

TEST(MatchPattern, TypedPositionIsReportedAndNestedRepetitionIsBounded) {
    EXPECT_TRUE(matchPattern("a\\vb", "ab").neededTypedPosition);
    EXPECT_TRUE(parseMatchPattern("x|\\v").usesTypedPosition);

    // Exponential for a plain backtracker; the state table answers at once.
    const std::string as(2000, 'a');
    EXPECT_EQ(matchPattern("(a*)*b", as).outcome, MatchOutcome::NoMatch);
    EXPECT_EQ(matchPattern("(a|aa)+(a|aa)+c", as).outcome, MatchOutcome::NoMatch);
    // Without it, the step limit gives up instead of freezing.
    EXPECT_EQ(matchPatternUnmemoised(parseMatchPattern("(a*)*b"), as, 100000).outcome,
              MatchOutcome::TooComplex);
    // Deeply nested "+" runs without the table, on the limit alone.
    std::string nested = "a";
    for (int i = 0; i < 40; ++i) nested = "(" + nested + ")+";
    const MatchResult r = matchPattern(nested + "b", as, 200000);
    EXPECT_TRUE(r.outcome == MatchOutcome::TooComplex || r.outcome == MatchOutcome::NoMatch);
    EXPECT_EQ(formatMatchAnswer(matchPattern(nested, "aa")), "0 2 0 2");
}

// Random patterns over a small alphabet: neither the state table nor the
// short cuts change an answer, and every part lies inside the match in order.
TEST(MatchPattern, StateTableAgreesWithPlainBacktracking) {
    std::mt19937 rng(24);
    static const char* kPieces[] = {"a", "b", "\n", ".", "^", "$", "\\f", "*", "+", "?",
                                    "|", "(", ")", "[ab]", "[^a]", "()", "(|a)", SO, "ab"};
    static const char* kLetters[] = {"a", "b", "\n", SO};
    for (int round = 0; round < 20000; ++round) {
        std::string pattern;
        const int n = int(rng() % 8) + 1;
        for (int i = 0; i < n; ++i) pattern += kPieces[rng() % std::size(kPieces)];
        // Mostly short samples; the longer ones take searches past the
        // steps after which the state table is set up.
        std::string sample;
        const int m = int(rng() % (round % 4 == 0 ? 40 : 7));
        for (int i = 0; i < m; ++i) sample += kLetters[rng() % std::size(kLetters)];
        const ParsedPattern p = parseMatchPattern(pattern);
        const MatchResult fast = matchPattern(p, sample);
        const MatchResult slow = matchPatternUnmemoised(p, sample, 1'000'000);
        if (slow.outcome == MatchOutcome::TooComplex) continue;
        ASSERT_EQ(formatMatchAnswer(fast), formatMatchAnswer(slow)) << pattern << " / " << sample;
        // How far a failed pattern got is the same answer too.
        ASSERT_EQ(fast.bestAttempt.start, slow.bestAttempt.start) << pattern << " / " << sample;
        ASSERT_EQ(fast.bestAttempt.end, slow.bestAttempt.end) << pattern << " / " << sample;
        ASSERT_EQ(fast.failedAtPatternOffset, slow.failedAtPatternOffset) << pattern << " / " << sample;
        if (fast.outcome != MatchOutcome::Matched) continue;
        int at = fast.match.start;
        for (const SampleSpan& part : fast.parts) {
            ASSERT_EQ(part.start, at);
            ASSERT_LE(part.start, part.end);
            at = part.end;
        }
        ASSERT_EQ(at, fast.match.end);
    }
}

TEST(MatchPattern, CheckLineDiagnosisAndHelpers) {
    EXPECT_EQ(matchPatternCheckLine("^a\\nb\\fc\\f"), "OK 2 行・区切り 2");
    EXPECT_EQ(matchPatternCheckLine(""), "OK 1 行・区切り 0");
    EXPECT_EQ(matchPatternCheckLine("abcdefghijk[x"), "12 文字目: 閉じていない [");
    // A double-byte character is one character; a \n escape ends a shown line.
    EXPECT_EQ(matchPatternCheckLine(SO "(x"), "2 文字目: 閉じていない (");
    EXPECT_EQ(matchPatternCheckLine("ab\\ncd)"), "2 行目 3 文字目: 開いていない )");

    EXPECT_TRUE(matchesEmptyInsideLine(parseMatchPattern("a*")));
    EXPECT_TRUE(matchesEmptyInsideLine(parseMatchPattern("^")));
    EXPECT_TRUE(matchesEmptyInsideLine(parseMatchPattern("x?")));
    EXPECT_TRUE(matchesEmptyInsideLine(parseMatchPattern("$\\f")));
    EXPECT_TRUE(matchesEmptyInsideLine(parseMatchPattern("b|^x?")));
    EXPECT_FALSE(matchesEmptyInsideLine(parseMatchPattern("^$")));
    EXPECT_FALSE(matchesEmptyInsideLine(parseMatchPattern("a+")));
    EXPECT_FALSE(matchesEmptyInsideLine(parseMatchPattern("\\v")));
    EXPECT_FALSE(matchesEmptyInsideLine(parseMatchPattern("")));

    EXPECT_EQ(normaliseLineBreaks("a\r\nb\rc\n"), "a\nb\nc\n");
    const std::string sample = "one\ntwo\nthree";
    EXPECT_EQ(linesOfSpan(sample, {4, 8}).first, 2);
    EXPECT_EQ(linesOfSpan(sample, {4, 8}).last, 2);  // ends after the break
    EXPECT_EQ(linesOfSpan(sample, {2, 9}).last, 3);

    const MatchResult r = matchPattern("^ようこそ", "x");
    EXPECT_EQ(r.outcome, MatchOutcome::NoMatch);
    // UTF-8 source text stands in for cp932 here; only ASCII is compared.
    const std::string p = "\\f.*\\f net";
    const std::string s = "welcome to grass net!\nwelcome to nettle";
    const MatchResult miss = matchPattern(p, "to grass nexus");
    EXPECT_EQ(miss.outcome, MatchOutcome::NoMatch);
    EXPECT_EQ(describeNoMatch(p, "to grass nexus", miss),
              "「x」の前まで一致: `\\f.*\\f net` の ` net` で不一致");
    const MatchResult hit = matchPattern(p, s);
    const std::vector<std::string> parts = partTexts(s, hit);
    EXPECT_EQ(parts[0], "");
    EXPECT_EQ(parts[1], "welcome to grass");
    EXPECT_EQ(parts[2], " net");
    EXPECT_EQ(parts[9], "");
}

TEST(MatchPattern, TitlePreviewFillsPartsAndBracketsTheRest) {
    std::uint8_t area[kCompileAreaSize];
    const std::vector<std::string> parts = {"p0", "p1", "p2"};
    const auto preview = [&](const char* title) {
        const int n = compilePattern(title, area);
        return n < 0 ? std::string("?") : titlePreview(area, n, parts);
    };
    EXPECT_EQ(preview("ab\\1-\\2\\7"), "abp1-p2");
    EXPECT_EQ(preview("\\(3,1)x"), "[端末: \\(3,1)]x");
    EXPECT_EQ(preview("\\s(\\1,\"v\",2)"), "[端末: \\s(\\1,\"v\",2)]");
    EXPECT_EQ(preview("\\0\\-"), "p0[端末: \\-]");
    // A damaged code is said so, never read past its field.
    const std::uint8_t bad[] = {TextRun, 9, 'a'};
    EXPECT_EQ(titlePreview(bad, 3, parts), "(タイトルのコードが壊れています)");
}

}  // namespace
}  // namespace lumaset

// Not a test: the document-wide figure where the editor runs, printed for
// the record (run with --gtest_also_run_disabled_tests, under Wine too).
#include "bench/match_workload.h"
#include <chrono>
#include <cstdio>
namespace lumaset {
TEST(MatchPatternTiming, DISABLED_DocumentWidePrintsFigures) {
    const std::string screen = bench::sessionScreen();
    std::vector<ParsedPattern> parsed;
    for (const std::string& p : bench::documentPatterns()) parsed.push_back(parseMatchPattern(p));
    const auto time = [&](bool parse) {
        constexpr int kRounds = 50;
        const auto t0 = std::chrono::steady_clock::now();
        for (int round = 0; round < kRounds; ++round)
            for (std::size_t i = 0; i < parsed.size(); ++i)
                findMatch(parse ? parseMatchPattern(parsed[i].text) : parsed[i], screen);
        const auto t1 = std::chrono::steady_clock::now();
        return std::chrono::duration<double, std::milli>(t1 - t0).count() / kRounds;
    };
    std::printf("252 syntaxes x 25x80 screen: %.3f ms parsed once, %.3f ms parsing each\n",
                time(false), time(true));
}
}  // namespace lumaset
