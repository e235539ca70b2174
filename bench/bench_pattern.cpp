// Compiling and rendering the longest title the property pane accepts as
// text, next to a plain copy of the same bytes for scale.
#include <benchmark/benchmark.h>

#include <cstring>
#include <string>

#include "pattern/pattern_code.h"

namespace {

using namespace lumaset;

constexpr std::size_t kTitleTextLimit = 239;

// Plain text with a few elements of each kind, padded to exactly 239 bytes.
std::string mixedTitle() {
    const char* pieces[] = {"Re: \\1 ", "\\(3,1)", " from \\2 at ", "\\(0,4,9)",
                            "\\s(\\3,\"x\\vy\",2)", "\x95\x5C\x8E\x9A ", "\\p(\\4,1,2)"};
    std::string text;
    for (int i = 0;; ++i) {
        const std::string piece = pieces[i % 7];
        if (text.size() + piece.size() > kTitleTextLimit) break;
        text += piece;
    }
    text.append(kTitleTextLimit - text.size(), 'x');
    return text;
}

// The longest plain run whose code fits the compile area.
std::string plainTitle() { return std::string(kCompileAreaSize - 3, 'a'); }

void compileText(benchmark::State& state, const std::string& text) {
    std::uint8_t area[kCompileAreaSize];
    const int n = compilePattern(text.c_str(), area);
    if (n <= 0 || n == kCompileOverflow) {
        state.SkipWithError("title does not compile");
        return;
    }
    for (auto _ : state) {
        benchmark::DoNotOptimize(compilePattern(text.c_str(), area));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void renderCode(benchmark::State& state, const std::string& text) {
    std::uint8_t code[kCompileAreaSize];
    const int n = compilePattern(text.c_str(), code);
    if (n <= 0 || n == kCompileOverflow) {
        state.SkipWithError("title does not compile");
        return;
    }
    char area[kRenderAreaSize];
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderPattern(code, n, area));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

void BM_CompileMixedTitle(benchmark::State& state) { compileText(state, mixedTitle()); }
void BM_CompilePlainTitle(benchmark::State& state) { compileText(state, plainTitle()); }
void BM_RenderMixedTitle(benchmark::State& state) { renderCode(state, mixedTitle()); }
void BM_RenderPlainTitle(benchmark::State& state) { renderCode(state, plainTitle()); }

void BM_MemcpySameBytes(benchmark::State& state) {
    const std::string text = mixedTitle();
    char area[kRenderAreaSize];
    for (auto _ : state) {
        std::memcpy(area, text.data(), text.size() + 1);
        benchmark::DoNotOptimize(area);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(std::int64_t(state.iterations()) * std::int64_t(text.size()));
}

BENCHMARK(BM_CompileMixedTitle);
BENCHMARK(BM_CompilePlainTitle);
BENCHMARK(BM_RenderMixedTitle);
BENCHMARK(BM_RenderPlainTitle);
BENCHMARK(BM_MemcpySameBytes);

}  // namespace
