// The terminal's match-pattern language as the editor reads it: a reader
// that turns a match or exit pattern into a structure, and a bounded
// backtracking matcher that finds where it matches sample text and which
// parts the title takes from the match.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace lumaset {

// What stops the reading; the offset says where.
enum class PatternFault : std::uint8_t {
    None,
    LoneBackslash,      // "\" at the very end
    UnclosedGroup,      // innermost "(" never closed
    UnopenedGroup,      // ")" with no "("
    UnclosedBracket,    // "[" never closed
    NothingToRepeat,    // "*", "+" or "?" with no atom before it
    ReversedRange,      // "[z-a]", at its first item
    EscapeInBracket,    // "\f" or "\v" inside brackets
};

// One element of the read structure. Only the reader and the matcher look
// inside; callers use ParsedPattern's summary fields.
struct PatternNode {
    std::uint8_t kind = 0;
    int offset = 0;                  // byte offset of the element in the pattern
    int length = 0;                  // bytes of pattern text it spans
    std::vector<int> children;       // node indexes
    std::vector<std::uint32_t> set;  // bracket ranges as (low << 16 | high) pairs
    std::uint32_t code = 0;          // the character for a literal
    bool negated = false;
};

// The matcher's program for a read pattern, built once by the reader.
struct CompiledMatch;

// Reads the pattern (up to its first NUL) into `ParsedPattern`.
struct ParsedPattern {
    PatternFault fault = PatternFault::None;
    int faultOffset = -1;          // byte offset of the character where reading failed
    bool empty = true;             // the empty pattern matches nothing
    int separators = 0;            // \f anywhere in the pattern (at most, on any path)
    int maxSeparatorsOnPath = 0;   // most \f one match can pass
    bool usesTypedPosition = false;  // holds \v
    std::vector<PatternNode> nodes;  // owned structure; index 0 is the root
    std::string text;                // the pattern bytes read (before the NUL)
    std::shared_ptr<const CompiledMatch> compiled;  // absent for a fault or the empty pattern
};
ParsedPattern parseMatchPattern(std::string_view pattern);

// Japanese text for a fault ("閉じていない [" ...), UTF-8, without the position.
std::string patternFaultText(PatternFault fault);
// Character number (from 1, a double-byte character counts once) of a byte offset.
int characterNumberAt(std::string_view text, int byteOffset);
// The check line under the pattern and exit-pattern fields, UTF-8:
// "OK 2 行・区切り 3", or "12 文字目: 閉じていない [".
std::string matchPatternCheckLine(std::string_view pattern);

enum class MatchOutcome : std::uint8_t { NoMatch, Matched, Fault, TooComplex };

// A byte range of the sample.
struct SampleSpan {
    int start = 0;
    int end = 0;
};

struct MatchResult {
    MatchOutcome outcome = MatchOutcome::NoMatch;
    SampleSpan match;               // when Matched
    std::vector<SampleSpan> parts;  // part 0 ... part k (k = separators passed)
    // When NoMatch: the start where the pattern matched the most before
    // failing, how far it got (the stretch), and the byte offset in the
    // pattern of the element where it failed.
    SampleSpan bestAttempt;
    int failedAtPatternOffset = -1;
    bool neededTypedPosition = false;  // a \v was reached: a sample has none
    int faultOffset = -1;              // when Fault
};

// Steps of work before the matcher gives up (TooComplex): a 25x80 screen
// and any 199-byte pattern answer within this bound.
inline constexpr long kMatchStepLimit = 2'000'000;

// Leftmost match, first in backtracking order (alternatives left to right,
// repetitions greedy, empty extra passes not taken). The sample is cp932
// with LF line breaks; matches start only on character boundaries.
MatchResult matchPattern(const ParsedPattern& pattern, std::string_view sample,
                         long stepLimit = kMatchStepLimit);
MatchResult matchPattern(std::string_view pattern, std::string_view sample,
                         long stepLimit = kMatchStepLimit);
// The same answer without the no-match diagnosis (bestAttempt stays empty):
// for lists that only need to know which patterns match.
MatchResult findMatch(const ParsedPattern& pattern, std::string_view sample,
                      long stepLimit = kMatchStepLimit);
// For tests: the same search without the table of explored states and
// without the short cuts (every repetition a loop, no search for required
// bytes), so that the two can be compared; only the step limit bounds it.
MatchResult matchPatternUnmemoised(const ParsedPattern& pattern, std::string_view sample,
                                   long stepLimit = kMatchStepLimit);

// One answer as a line of `tagtool match`: "none", "error N", "complex", or
// "START END" and each part's start and end, byte offsets in decimal.
std::string formatMatchAnswer(const MatchResult& result);

// CR LF and a lone CR become LF (clipboard, files, the terminal).
std::string normaliseLineBreaks(std::string_view text);

// True when the pattern can match an empty stretch inside a line (matches
// everywhere); "^$" matches only empty lines and is not this.
bool matchesEmptyInsideLine(const ParsedPattern& pattern);

// Lines (from 1) of the sample that a span covers: first and last.
struct LineRange {
    int first = 0;
    int last = 0;
};
LineRange linesOfSpan(std::string_view sample, SampleSpan span);

// The sample text of each part \0...\9 (a missing part is empty), cp932.
std::vector<std::string> partTexts(std::string_view sample, const MatchResult& result);

// The title the terminal would show for this match, as far as the editor can
// know it, UTF-8: text runs and part references filled in; every other
// element as its text form in brackets, marked as filled by the terminal.
std::string titlePreview(const std::uint8_t* titleCode, int fieldSize,
                         const std::vector<std::string>& parts);

// The largest part number \N that the title code refers to, sub-patterns
// included; -1 when it refers to none. Reads stay inside the field.
int highestPartReference(const std::uint8_t* titleCode, int fieldSize);

// For a NoMatch: "「草」の前まで一致: `\f.*\f ネットへ` の ` ネットへ` で不一致", UTF-8.
std::string describeNoMatch(std::string_view pattern, std::string_view sample,
                            const MatchResult& result);

}  // namespace lumaset
