// The matcher on a 25x80 screen: each pattern here, RE2 on the same pattern
// where the two languages agree (ASCII, no separators; RE2 with (?m) for the
// line anchors and \n kept out of negated sets), a plain substring search as
// the floor, and the document-wide case: every syntax of a 255-syntax
// document against one screen.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <string>
#include <vector>

#include "bench/match_workload.h"
#include "pattern/match_pattern.h"

#ifdef LUMASET_HAVE_RE2
#include <re2/re2.h>
#endif

namespace lumaset {
// The derived fields report damage through it; nothing here damages a code.
void showErrorMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }
}  // namespace lumaset

namespace {

using namespace lumaset;

// An ASCII screen of the same shape, for the patterns RE2 also reads.
std::string asciiScreen() {
    static const char* const kLines[] = {
        "welcome to the grass roots net",
        "menu",
        "12 new messages",
        "123/456 taro about the weather",
        "date 2026/12/09 12:00",
        "> yesterday it snowed",
        "  and today it is cold",
        "124 comment by hanako",
        "telegram from jiro: later",
    };
    std::string screen;
    for (int i = 0; i < 25; ++i) {
        std::string line = kLines[i % 9];
        line.resize(80, ' ');
        if (i) screen += '\n';
        screen += line;
    }
    return screen;
}

struct Shared {
    const char* name;
    const char* ours;
    const char* re2;
};

const Shared kShared[] = {
    {"literal_absent", "not on this screen", "not on this screen"},
    {"anchored_dotstar", "^telegram .*jiro", "(?m)^telegram .*jiro"},
    {"numbers", "[0-9]+/[0-9]+ [a-z]+", "[0-9]+/[0-9]+ [a-z]+"},
    {"two_lines", "^menu *\\n^[0-9]+ new", "(?m)^menu *\\n^[0-9]+ new"},
    {"alternation", "(cold|snow|rain)ed", "(cold|snow|rain)ed"},
    {"negated_to_end", "^> [^\\n]*q$", "(?m)^> [^\\n]*q$"},
    {"nested_star", "(a*)*b", "(a*)*b"},
    {"dotstar_absent", ".*zebra", ".*zebra"},
    {"literal_present", "hanako", "hanako"},
    // No bytes that every match must hold: nothing to search for first.
    {"set_absent", "[qxz][0-9]", "[qxz][0-9]"},
    {"dotstar_set_absent", ".*[qxz]$", "(?m).*[qxz]$"},
    {"alternation_absent", "(frog|toad|newt) [0-9]", "(frog|toad|newt) [0-9]"},
};

void ours(benchmark::State& state, const char* pattern) {
    const std::string screen = asciiScreen();
    const ParsedPattern p = parseMatchPattern(pattern);
    for (auto _ : state) benchmark::DoNotOptimize(findMatch(p, screen));
}

void oursWithDiagnosis(benchmark::State& state, const char* pattern) {
    const std::string screen = asciiScreen();
    const ParsedPattern p = parseMatchPattern(pattern);
    for (auto _ : state) benchmark::DoNotOptimize(matchPattern(p, screen));
}

#ifdef LUMASET_HAVE_RE2
void re2(benchmark::State& state, const char* pattern) {
    const std::string screen = asciiScreen();
    const RE2 re(pattern);
    if (!re.ok()) {
        state.SkipWithError("RE2 cannot read it");
        return;
    }
    for (auto _ : state) benchmark::DoNotOptimize(RE2::PartialMatch(screen, re));
}
#endif

void floorFind(benchmark::State& state) {
    const std::string screen = asciiScreen();
    for (auto _ : state) benchmark::DoNotOptimize(screen.find("not on this screen"));
}
BENCHMARK(floorFind);

// Every syntax of the document against the screen, parsed once (as the test
// window keeps them), and parsed afresh each time.
void documentWide(benchmark::State& state) {
    const std::string screen = bench::sessionScreen();
    std::vector<ParsedPattern> parsed;
    for (const std::string& p : bench::documentPatterns()) parsed.push_back(parseMatchPattern(p));
    int matched = 0;
    for (auto _ : state) {
        matched = 0;
        for (const ParsedPattern& p : parsed)
            matched += findMatch(p, screen).outcome == MatchOutcome::Matched;
    }
    state.counters["matched"] = matched;
}
BENCHMARK(documentWide)->Unit(benchmark::kMillisecond);

void documentWideParsing(benchmark::State& state) {
    const std::string screen = bench::sessionScreen();
    const std::vector<std::string> patterns = bench::documentPatterns();
    for (auto _ : state)
        for (const std::string& p : patterns)
            benchmark::DoNotOptimize(findMatch(parseMatchPattern(p), screen));
}
BENCHMARK(documentWideParsing)->Unit(benchmark::kMillisecond);

int registerShared() {
    for (const Shared& s : kShared) {
        benchmark::RegisterBenchmark((std::string("ours/") + s.name).c_str(), ours, s.ours);
        benchmark::RegisterBenchmark((std::string("ours_diagnosis/") + s.name).c_str(),
                                     oursWithDiagnosis, s.ours);
#ifdef LUMASET_HAVE_RE2
        benchmark::RegisterBenchmark((std::string("re2/") + s.name).c_str(), re2, s.re2);
#endif
    }
    return 0;
}
const int kRegistered = registerShared();

}  // namespace
