// Placeholder bodies; the reader and matcher replace them.
#include "pattern/match_pattern.h"

namespace lumaset {

ParsedPattern parseMatchPattern(std::string_view pattern) {
    ParsedPattern p;
    p.text = std::string(pattern.substr(0, pattern.find('\0')));
    p.empty = p.text.empty();
    return p;
}
std::string patternFaultText(PatternFault) { return {}; }
int characterNumberAt(std::string_view, int byteOffset) { return byteOffset + 1; }
std::string matchPatternCheckLine(std::string_view) { return "OK"; }
MatchResult matchPattern(const ParsedPattern&, std::string_view, long) { return {}; }
MatchResult matchPattern(std::string_view pattern, std::string_view sample, long stepLimit) {
    return matchPattern(parseMatchPattern(pattern), sample, stepLimit);
}
std::string normaliseLineBreaks(std::string_view text) { return std::string(text); }
bool matchesEmptyInsideLine(const ParsedPattern&) { return false; }
LineRange linesOfSpan(std::string_view, SampleSpan) { return {}; }
std::vector<std::string> partTexts(std::string_view, const MatchResult&) { return {}; }
std::string titlePreview(const std::uint8_t*, int, const std::vector<std::string>&) { return {}; }
std::string describeNoMatch(std::string_view, std::string_view, const MatchResult&) { return {}; }

}  // namespace lumaset
