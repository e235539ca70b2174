// Pattern text in, code out. Beyond staying inside the text and the area,
// what the compiler makes must survive a trip through the renderer: once a
// code has been rendered and compiled again it is in canonical form, and a
// second trip must give the same code, up to what rendering cannot keep
// apart: adjacent text runs come back as one and empty ones vanish. A text
// run inside a sub-pattern loses its escape and changes the structure, and a
// kept string's byte 0x0B comes back as "\v", so such codes are not held to
// it.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>

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

// The code with adjacent text runs merged and empty ones dropped. Fails on
// a text run inside a sub-pattern, a kept string holding 0x0B, and on a
// code the compiler cannot have made.
struct Normalizer {
    const std::uint8_t* code;
    int size;
    int pos = 0;
    std::string out;

    bool copy(int n) {
        if (n > size - pos) return false;
        out.append(reinterpret_cast<const char*>(code + pos), std::size_t(n));
        pos += n;
        return true;
    }
    bool counted() { return pos < size && copy(1 + code[pos]); }
    bool kept() {
        if (pos >= size || code[pos] > size - pos - 1) return false;
        if (std::memchr(code + pos + 1, 0x0B, code[pos]) != nullptr) return false;
        return counted();
    }

    bool sequence(bool nested) {
        std::size_t runAt = std::string::npos;  // the open text run's length byte
        for (;;) {
            if (pos >= size) return false;
            const std::uint8_t op = code[pos++];
            if (op == TextRun) {
                if (pos >= size) return false;
                const int n = code[pos++];
                if (n > size - pos) return false;
                if (n == 0) continue;
                if (nested) return false;
                if (runAt == std::string::npos) {
                    out.push_back(char(TextRun));
                    runAt = out.size();
                    out.push_back(0);
                }
                out[runAt] = char(std::uint8_t(out[runAt]) + n);
                copy(n);
                continue;
            }
            runAt = std::string::npos;
            out.push_back(char(op));
            switch (op) {
            case End:
            case SubEnd:
                return true;
            case PartRef: if (!copy(1)) return false; break;
            case Pos2: if (!copy(2)) return false; break;
            case Pos3: if (!copy(3)) return false; break;
            case Quoted0:
            case Quoted1:
            case Quoted2:
                if (!kept() || !copy(5 + op - Quoted0)) return false;
                break;
            case SSub:
            case RSub:
                if (!sequence(true) || !(op == RSub ? kept() : counted()) ||
                    !copy(op == RSub ? 5 : 1))
                    return false;
                break;
            case SNum:
            case RNum:
                if (!copy(2) || !(op == RNum ? kept() : counted()) || !copy(op == RNum ? 6 : 1))
                    return false;
                break;
            case PSub:
                if (!sequence(true) || !copy(2)) return false;
                break;
            case Transparent: break;
            default: return false;
            }
        }
    }
};

bool normalize(const std::uint8_t* code, int size, std::string& out) {
    Normalizer n{code, size, 0, {}};
    if (!n.sequence(false)) return false;
    out = std::move(n.out);
    return true;
}

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
    std::string want, got;
    if (!normalize(second.code.get(), n2, want)) return 0;
    if (!ok(n3) || !normalize(third.code.get(), n3, got) || got != want) abort();
    return 0;
}
