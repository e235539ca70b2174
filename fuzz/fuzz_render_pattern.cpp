// Arbitrary bytes as a stored code, as a damaged file or clipboard block can
// bring them: the renderer must stay inside the field and the area. The same
// bytes as typed text: what the compiler makes of them renders to a text that
// compiles back to that code, apart from the renderer's known exceptions.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "pattern/pattern_code.h"

using namespace lumaset;

namespace {

bool isLeadByte(std::uint8_t c) { return (c >= 0x81 && c <= 0x9F) || c >= 0xE0; }

// The code that compiling the rendered text must give: adjacent text runs
// merged, empty runs dropped, runs of spaces inside a sub-pattern dropped,
// 0x0B in a keep-mode string turned into backslash and v. A run of other
// text inside a sub-pattern cannot compile back at all, unless a comma comes
// first after its spaces: that comma ends the sub-pattern early, and what
// follows is read as something else.
struct Canonical {
    std::vector<std::uint8_t> code;
    bool compiles = true;
    const std::uint8_t* in;
    bool predictable = true;
};

void copy(Canonical& c, int n) {
    c.code.insert(c.code.end(), c.in, c.in + n);
    c.in += n;
}

void keepString(Canonical& c) {
    const int length = *c.in++;
    std::vector<std::uint8_t> s;
    for (int i = 0; i < length; ++i) {
        const std::uint8_t b = c.in[i];
        if (isLeadByte(b) && i + 1 < length) {
            s.push_back(b);
            s.push_back(c.in[++i]);
        } else if (b == 0x0B) {
            s.push_back('\\');
            s.push_back('v');
        } else {
            s.push_back(b);
        }
    }
    c.in += length;
    c.code.push_back(std::uint8_t(s.size()));
    c.code.insert(c.code.end(), s.begin(), s.end());
}

void sequence(Canonical& c, bool nested) {
    std::vector<std::uint8_t> run;
    auto flushRun = [&] {
        if (run.empty()) return;
        c.code.push_back(TextRun);
        c.code.push_back(std::uint8_t(run.size()));
        c.code.insert(c.code.end(), run.begin(), run.end());
        run.clear();
    };
    for (;;) {
        const std::uint8_t op = *c.in++;
        if (op != TextRun) flushRun();
        switch (op) {
        case End:
        case SubEnd: c.code.push_back(op); return;
        case TextRun: {
            const int length = *c.in++;
            const std::uint8_t* text = std::find_if(c.in, c.in + length, [](std::uint8_t b) { return b != ' '; });
            if (nested && text != c.in + length && c.compiles) {
                c.compiles = false;
                c.predictable = *text != ',';
            }
            if (!nested) run.insert(run.end(), c.in, c.in + length);
            c.in += length;
            break;
        }
        case PartRef: c.code.push_back(op); copy(c, 1); break;
        case Pos2: c.code.push_back(op); copy(c, 2); break;
        case Pos3: c.code.push_back(op); copy(c, 3); break;
        case Quoted0:
        case Quoted1:
        case Quoted2:
            c.code.push_back(op);
            keepString(c);
            copy(c, 5 + (op - Quoted0));
            break;
        case SSub:
            c.code.push_back(op);
            sequence(c, true);
            copy(c, 1 + *c.in + 1);
            break;
        case RSub:
            c.code.push_back(op);
            sequence(c, true);
            keepString(c);
            copy(c, 1 + 4);
            break;
        case SNum: c.code.push_back(op); copy(c, 2 + 1 + c.in[2] + 1); break;
        case RNum:
            c.code.push_back(op);
            copy(c, 2);
            keepString(c);
            copy(c, 1 + 5);
            break;
        case PSub:
            c.code.push_back(op);
            sequence(c, true);
            copy(c, 2);
            break;
        case Transparent: c.code.push_back(op); break;
        default: abort();  // the compiler wrote no such opcode
        }
    }
}

void checkRoundTrip(const std::uint8_t* data, std::size_t size) {
    const std::string typed(reinterpret_cast<const char*>(data), size);
    std::uint8_t code[kCompileAreaSize];
    const int n = compilePattern(typed.c_str(), code);
    if (n == kPatternFailed || n == kCompileOverflow) return;
    char text[kRenderAreaSize];
    // A code can render longer than the area holds; that is refused.
    if (renderPattern(code, n, text) == kPatternFailed) return;

    Canonical expected{{}, true, code};
    sequence(expected, false);
    if (expected.in != code + n) abort();
    std::uint8_t again[kCompileAreaSize];
    const int m = compilePattern(text, again);
    if (!expected.compiles) {
        if (expected.predictable && m != kPatternFailed) abort();
        return;
    }
    // \v takes one byte more than 0x0B: the code may no longer fit.
    if (expected.code.size() > std::size_t(kCompileAreaSize)) {
        if (m != kCompileOverflow) abort();
        return;
    }
    if (m != int(expected.code.size()) || std::memcmp(again, expected.code.data(), std::size_t(m)) != 0) abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<std::uint8_t[]> field(new std::uint8_t[size]);
    std::memcpy(field.get(), data, size);
    std::unique_ptr<char[]> text(new char[kRenderAreaSize]);

    const int n = renderPattern(field.get(), int(size), text.get());
    if (n != kPatternFailed && (n < 1 || n > kRenderAreaSize || text[n - 1] != '\0')) abort();

    checkRoundTrip(data, size);
    return 0;
}
