// Pattern text in, code out. Beyond staying inside the text and the area,
// what the compiler makes must survive a trip through the renderer: once a
// code has been rendered and compiled again it is in canonical form, and a
// second trip must give exactly the same bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "pattern/pattern_code.h"

using namespace lumaset;

namespace {

// Exactly sized heap blocks, so the sanitizer catches a byte too far.
struct Areas {
    std::unique_ptr<std::uint8_t[]> code{new std::uint8_t[kCompileAreaSize]};
    std::unique_ptr<char[]> text{new char[kRenderAreaSize]};
};

int compileChecked(const char* text, std::uint8_t* code) {
    const int n = compilePattern(text, code);
    if (n != kPatternFailed && n != kCompileOverflow && (n < 1 || n > kCompileAreaSize)) abort();
    return n;
}

bool ok(int n) { return n != kPatternFailed && n != kCompileOverflow; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<char[]> text(new char[size + 1]);
    std::memcpy(text.get(), data, size);
    text[size] = '\0';

    Areas first, second, third;
    const int n1 = compileChecked(text.get(), first.code.get());
    if (!ok(n1)) return 0;
    if (first.code[n1 - 1] != End) abort();

    const int t1 = renderPattern(first.code.get(), n1, first.text.get());
    if (t1 == kPatternFailed) return 0;  // canonical text longer than the area
    if (t1 < 1 || t1 > kRenderAreaSize || first.text[t1 - 1] != '\0') abort();

    const int n2 = compileChecked(first.text.get(), second.code.get());
    if (!ok(n2)) return 0;  // a text run inside a sub-pattern
    const int t2 = renderPattern(second.code.get(), n2, second.text.get());
    if (t2 == kPatternFailed) return 0;
    const int n3 = compileChecked(second.text.get(), third.code.get());
    if (n3 != n2 || std::memcmp(second.code.get(), third.code.get(), n2) != 0) abort();
    return 0;
}
