#include "tools/tagtool/match_commands.h"

#include <fstream>
#include <iostream>
#include <iterator>

#include "document/cp932_convert.h"
#include "document/tag_file.h"
#include "pattern/document_checks.h"
#include "pattern/match_pattern.h"
#include "tools/tagtool/cp932.h"
#include "tools/tagtool/hex.h"
#include "tools/tagtool/platform.h"

namespace lumaset {

namespace {

constexpr int kExitMatched = 0;
constexpr int kExitNone = 1;
constexpr int kExitUnreadable = 2;

bool readLine(std::string& line) {
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

bool readFile(const std::string& file, std::string& bytes) {
    std::ifstream in(pathFromUtf8(file), std::ios::binary);
    if (!in) return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

bool loadDocument(const std::string& file, Document& doc) {
    return loadTagFile(doc, pathFromUtf8(file));
}

std::string positionText(int position, int indexPosition) {
    if (position >= 0) return std::to_string(position);
    return "index " + std::to_string(indexPosition);
}

}  // namespace

int runMatchHex() {
    std::string line;
    std::vector<std::uint8_t> pattern;
    std::vector<std::uint8_t> sample;
    for (long n = 1; readLine(line); ++n) {
        const std::size_t slash = line.find('/');
        if (slash == std::string::npos ||
            !parseHexLine(std::string_view(line).substr(0, slash), pattern) ||
            !parseHexLine(std::string_view(line).substr(slash + 1), sample)) {
            std::cerr << "tagtool: line " << n << " is not PATTERN-HEX / SAMPLE-HEX\n";
            return kExitUnreadable;
        }
        // The sample as given: LF is the line break, CR an ordinary byte.
        const std::string p(pattern.begin(), pattern.end());
        const std::string s(sample.begin(), sample.end());
        std::cout << formatMatchAnswer(matchPattern(p, s)) << "\n";
        std::cout.flush();
    }
    return kExitMatched;
}

int runTestSample(const std::string& tagFile, const std::string& sampleFile,
                  const std::string& syntaxPath) {
    Document doc;
    if (!loadDocument(tagFile, doc)) return kExitUnreadable;
    std::string raw;
    if (!readFile(sampleFile, raw)) {
        std::cerr << sampleFile << ": cannot be read\n";
        return kExitUnreadable;
    }
    const std::string sample = normaliseLineBreaks(raw);
    std::string wanted;
    if (!syntaxPath.empty() && !utf8ToCp932(syntaxPath, wanted)) {
        std::cerr << "tagtool: " << syntaxPath << ": not a syntax path\n";
        return kExitUnreadable;
    }
    bool found = false;
    bool matched = false;
    for (int pos = kFirstUserRecord; pos < doc.syntaxCount(); ++pos) {
        const std::string path = syntaxTreePath(doc, pos);
        if (!wanted.empty() && path != wanted) continue;
        found = true;
        const SyntaxRecord& r = *doc.syntaxAt(pos);
        const std::string_view pattern = fieldText(r.pattern, kPatternSize);
        const ParsedPattern parsed = parseMatchPattern(pattern);
        const MatchResult m =
            wanted.empty() ? findMatch(parsed, sample) : matchPattern(parsed, sample);
        const std::string label = cp932ToUtf8(path) + " (" + std::to_string(pos) + ")";
        if (m.outcome == MatchOutcome::TooComplex)
            std::cerr << label << ": too complex to test\n";
        if (m.neededTypedPosition && m.outcome != MatchOutcome::Matched)
            std::cerr << label << ": \\v (the typed position) never matches in a sample\n";
        if (m.outcome != MatchOutcome::Matched) {
            if (!wanted.empty()) {
                if (m.outcome == MatchOutcome::Fault)
                    std::cout << label << ": " << matchPatternCheckLine(pattern) << "\n";
                else if (m.outcome == MatchOutcome::NoMatch)
                    std::cout << label << ": " << describeNoMatch(pattern, sample, m) << "\n";
            }
            continue;
        }
        matched = true;
        const LineRange lines = linesOfSpan(sample, m.match);
        const std::vector<std::string> parts = partTexts(sample, m);
        const std::string title = titlePreview(r.titleCode, kTitleCodeSize, parts);
        std::cout << label << ": lines " << lines.first << "-" << lines.last
                  << (title.empty() ? "" : ": " + title) << "\n";
        if (!wanted.empty()) {
            for (std::size_t i = 0; i < m.parts.size() && i < parts.size(); ++i)
                std::cout << "  \\" << i << " " << displayText(parts[i]) << "\n";
        }
    }
    if (!wanted.empty() && !found) {
        std::cerr << "tagtool: no syntax " << syntaxPath << " in " << tagFile << "\n";
        return kExitUnreadable;
    }
    std::cout.flush();
    return matched ? kExitMatched : kExitNone;
}

int runCheckFiles(const std::vector<std::string>& files) {
    bool any = false;
    bool unreadable = false;
    for (const std::string& file : files) {
        Document doc;
        if (!loadDocument(file, doc)) {
            unreadable = true;
            continue;
        }
        for (const Finding& f : checkDocument(doc)) {
            any = true;
            std::cout << file << ": " << cp932ToUtf8(f.path) << " ("
                      << positionText(f.position, f.indexPosition) << "): " << f.code << ": "
                      << f.text << "\n";
        }
    }
    std::cout.flush();
    if (unreadable) return kExitUnreadable;
    return any ? 1 : 0;
}

}  // namespace lumaset
