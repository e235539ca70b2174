// Arbitrary bytes as a stored code, as a damaged file or clipboard block can
// bring them: the renderer must stay inside the field and the area.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "pattern/pattern_code.h"

using namespace lumaset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<std::uint8_t[]> field(new std::uint8_t[size]);
    std::memcpy(field.get(), data, size);
    std::unique_ptr<char[]> text(new char[kRenderAreaSize]);

    const int n = renderPattern(field.get(), int(size), text.get());
    if (n == kPatternFailed) return 0;
    if (n < 1 || n > kRenderAreaSize || text[n - 1] != '\0') abort();

    // Whatever came out is text the user can apply unchanged.
    std::unique_ptr<std::uint8_t[]> code(new std::uint8_t[kCompileAreaSize]);
    compilePattern(text.get(), code.get());
    return 0;
}
