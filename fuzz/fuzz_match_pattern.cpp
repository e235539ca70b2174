// Any bytes as a match pattern and as sample text: the reader and the
// matcher stay inside both texts, every answer comes within the step bound,
// the spans they report lie inside the sample and in order, and neither the
// table of explored states nor the short cuts change an answer or how far a
// failed pattern got.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string_view>

#include "pattern/match_pattern.h"

using namespace lumaset;

namespace {

// Small enough that a slow input shows as "complex", not as a timeout.
constexpr long kFuzzSteps = 200'000;

void checkSpan(SampleSpan s, std::size_t size) {
    if (s.start < 0 || s.start > s.end || std::size_t(s.end) > size) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // First byte: the pattern's length; the rest after it is the sample.
    const std::size_t patternSize = std::min<std::size_t>(data[0], size - 1);
    // Exactly sized copies, so the sanitizer sees a byte read too far.
    std::unique_ptr<char[]> pattern(new char[patternSize ? patternSize : 1]);
    std::memcpy(pattern.get(), data + 1, patternSize);
    const std::size_t sampleSize = size - 1 - patternSize;
    std::unique_ptr<char[]> sample(new char[sampleSize ? sampleSize : 1]);
    std::memcpy(sample.get(), data + 1 + patternSize, sampleSize);
    const std::string_view p(pattern.get(), patternSize);
    const std::string_view s(sample.get(), sampleSize);

    const ParsedPattern parsed = parseMatchPattern(p);
    if (parsed.fault != PatternFault::None &&
        (parsed.faultOffset < 0 || std::size_t(parsed.faultOffset) >= parsed.text.size()))
        abort();
    if (matchPatternCheckLine(p).empty()) abort();
    matchesEmptyInsideLine(parsed);

    const MatchResult r = matchPattern(parsed, s, kFuzzSteps);
    if (r.outcome == MatchOutcome::Matched) {
        checkSpan(r.match, s.size());
        if (r.parts.empty() || r.parts.front().start != r.match.start ||
            r.parts.back().end != r.match.end)
            abort();
        for (std::size_t i = 0; i < r.parts.size(); ++i) {
            checkSpan(r.parts[i], s.size());
            if (i > 0 && r.parts[i].start != r.parts[i - 1].end) abort();
        }
        linesOfSpan(s, r.match);
        partTexts(s, r);
    } else if (r.outcome == MatchOutcome::NoMatch && r.failedAtPatternOffset >= 0) {
        checkSpan(r.bestAttempt, s.size());
        describeNoMatch(p, s, r);
    }

    const MatchResult slow = matchPatternUnmemoised(parsed, s, kFuzzSteps);
    if (slow.outcome != MatchOutcome::TooComplex && r.outcome != MatchOutcome::TooComplex &&
        (formatMatchAnswer(slow) != formatMatchAnswer(r) || slow.bestAttempt.start != r.bestAttempt.start ||
         slow.bestAttempt.end != r.bestAttempt.end || slow.failedAtPatternOffset != r.failedAtPatternOffset))
        abort();
    return 0;
}
