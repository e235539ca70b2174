// Loading and saving a full-size document: 255 records, 20 index entries,
// message formats and a 60 KB memo, next to a plain copy of the same bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "document/error_message.h"
#include "document/tag_file.h"

namespace lumaset {
// Nothing here should fail; a message would show up as a failed run.
void showErrorMessage(const std::string& text) { std::fprintf(stderr, "%s\n", text.c_str()); }
}  // namespace lumaset

namespace {

using namespace lumaset;

void fillFullDocument(Document& doc) {
    doc.newDocument();
    for (int i = kFirstUserRecord; i < kMaxSyntaxCount; ++i) {
        SyntaxRecord r = blankSystemRecord();
        std::snprintf(r.name, kNameSize, "syntax %d", i);
        r.depth = std::uint8_t(1 + i % 3);
        std::snprintf(r.pattern, kPatternSize, "^\\f[0-9]+\\f: .* \\n\\f.*$ %d", i);
        std::memcpy(r.patternNoSep, r.pattern, kPatternSize);
        r.titleCode[0] = 0;
        if (i % 4 == 0) r.messageFormat.kind = kMessageNumberChecked;
        doc.insertSyntax(i, r);
    }
    for (int i = 0; i < 20; ++i) {
        IndexEntry e{};
        std::snprintf(e.name, kIndexNameSize, "index %d", i);
        e.memberCount = kIndexMemberSlots;
        for (int m = 0; m < kIndexMemberSlots; ++m) e.members[m] = std::uint8_t(3 + i + m * 10);
        doc.indexTable.insertAt(i, &e);
    }
    doc.setMemoText(std::string(60 * 1024, 'm'));
}

std::filesystem::path benchFile() {
    std::random_device random;
    return std::filesystem::temp_directory_path() / ("lumaset-bench-" + std::to_string(random()) + ".tag");
}

std::vector<std::uint8_t> fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<std::uint8_t>((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void BM_SaveTagFile(benchmark::State& state) {
    Document doc;
    fillFullDocument(doc);
    const auto path = benchFile();
    for (auto _ : state) {
        if (!saveTagFile(doc, path)) state.SkipWithError("save failed");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_SaveTagFile)->Unit(benchmark::kMicrosecond);

void BM_LoadTagFile(benchmark::State& state) {
    Document doc;
    fillFullDocument(doc);
    const auto path = benchFile();
    saveTagFile(doc, path);
    for (auto _ : state) {
        if (!loadTagFile(doc, path)) state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(std::filesystem::file_size(path)));
    std::filesystem::remove(path);
}
BENCHMARK(BM_LoadTagFile)->Unit(benchmark::kMicrosecond);

void BM_LoadTagFileFromBytes(benchmark::State& state) {
    Document doc;
    fillFullDocument(doc);
    const auto path = benchFile();
    saveTagFile(doc, path);
    const auto bytes = fileBytes(path);
    std::filesystem::remove(path);
    for (auto _ : state) {
        if (!loadTagFileFromBytes(doc, bytes, "bench")) state.SkipWithError("load failed");
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(BM_LoadTagFileFromBytes)->Unit(benchmark::kMicrosecond);

// For scale: copying the same number of bytes.
void BM_MemcpySameBytes(benchmark::State& state) {
    Document doc;
    fillFullDocument(doc);
    const auto path = benchFile();
    saveTagFile(doc, path);
    const auto bytes = fileBytes(path);
    std::filesystem::remove(path);
    std::vector<std::uint8_t> copy(bytes.size());
    for (auto _ : state) {
        std::memcpy(copy.data(), bytes.data(), bytes.size());
        benchmark::DoNotOptimize(copy.data());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(bytes.size()));
}
BENCHMARK(BM_MemcpySameBytes)->Unit(benchmark::kMicrosecond);

}  // namespace
