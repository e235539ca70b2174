// tagtool source and build on the largest document a file holds: 255
// records, 20 full indexes, a 60 KB memo; next to dump of the same file.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "document/error_message.h"
#include "document/tag_file.h"
#include "pattern/derived_fields.h"
#include "pattern/pattern_code.h"
#include "tools/tagtool/dump.h"
#include "tools/tagtool/syntax_text.h"

namespace lumaset {
void showErrorMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }
}  // namespace lumaset

namespace {

using namespace lumaset;

// Japanese names, patterns with separators, titles, message syntaxes, and
// a memo of Japanese lines: the text conversion has real work to do.
void fillLargestDocument(Document& doc) {
    doc.newDocument();
    std::uint8_t area[kCompileAreaSize];
    for (int i = kFirstUserRecord; i < kMaxSyntaxCount; ++i) {
        SyntaxRecord r = blankSystemRecord();
        std::snprintf(r.name, kNameSize, "\x8d\x5c\x95\xb6 %d", i);  // 構文 n
        r.depth = std::uint8_t(1 + i % 3);
        std::snprintf(r.pattern, kPatternSize, "^\\f[0-9]+\\f: \x94\xad\x8c\xbe .* \\n\\f.*$ %d", i);
        const int n = compilePattern("No.\\1 \\(1,4,2) \\s(\\2,\"x\",1)", area);
        std::memcpy(r.titleCode, area, std::size_t(n));
        if (i % 4 == 0) {
            r.messageFormat.kind = kMessageNumberChecked;
            std::memcpy(r.messageFormat.numberCode, area, std::size_t(compilePattern("\\1", area)));
        }
        doc.insertSyntax(i, r);
        deriveRecordFields(doc, i);
    }
    for (int i = 0; i < 20; ++i) {
        IndexEntry e{};
        std::snprintf(e.name, kIndexNameSize, "\x8d\xf5\x88\xf8 %d", i);  // 索引 n
        e.memberCount = kIndexMemberSlots;
        for (int m = 0; m < kIndexMemberSlots; ++m) e.members[m] = std::uint8_t(3 + i + m * 10);
        doc.indexTable.insertAt(i, &e);
    }
    std::string memo;
    while (memo.size() < 60 * 1024) memo += "\x8d\x90\x82\xcc\x8d\xaa\x83\x6c\x83\x62\x83\x67 memo line\r\n";
    doc.setMemoText(memo.substr(0, 60 * 1024));
}

std::filesystem::path benchFile(const char* extension) {
    std::random_device random;
    return std::filesystem::temp_directory_path() / ("lumaset-bench-" + std::to_string(random()) + extension);
}

struct LargestFile {
    std::filesystem::path tag = benchFile(".tag");
    std::string text;
    LargestFile() {
        Document doc;
        fillLargestDocument(doc);
        saveTagFile(doc, tag);
        std::ostringstream out;
        writeSyntaxText(doc, out);
        text = out.str();
    }
    ~LargestFile() { std::filesystem::remove(tag); }
};

void BM_Dump(benchmark::State& state) {
    LargestFile file;
    for (auto _ : state) {
        std::ostringstream out;
        if (!dumpTagFile(file.tag, out)) state.SkipWithError("dump failed");
        benchmark::DoNotOptimize(out.str().size());
    }
}
BENCHMARK(BM_Dump)->Unit(benchmark::kMillisecond);

// What `tagtool source` does: load the file and write the text.
void BM_Source(benchmark::State& state) {
    LargestFile file;
    for (auto _ : state) {
        Document doc;
        if (!loadTagFile(doc, file.tag)) state.SkipWithError("load failed");
        std::ostringstream out;
        writeSyntaxText(doc, out);
        benchmark::DoNotOptimize(out.str().size());
    }
    state.counters["text_bytes"] = double(file.text.size());
}
BENCHMARK(BM_Source)->Unit(benchmark::kMillisecond);

// What `tagtool build` does: read the text, build and save the file.
void BM_Build(benchmark::State& state) {
    LargestFile file;
    const auto source = benchFile(".txt");
    { std::ofstream(source, std::ios::binary) << file.text; }
    const auto out = benchFile(".tag");
    for (auto _ : state) {
        std::ifstream in(source, std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        Document doc;
        std::vector<std::string> errors;
        buildSyntaxText(text, "bench.txt", doc, errors);
        if (!errors.empty()) state.SkipWithError(errors.front().c_str());
        if (!saveTagFile(doc, out)) state.SkipWithError("save failed");
    }
    std::filesystem::remove(source);
    std::filesystem::remove(out);
}
BENCHMARK(BM_Build)->Unit(benchmark::kMillisecond);

}  // namespace
