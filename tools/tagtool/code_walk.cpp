#include "tools/tagtool/code_walk.h"

#include "pattern/pattern_code.h"

namespace lumaset {

namespace {

// Walks one sequence from pos up to and past its end byte (0 or 1, as the
// renderer reads them). False when the walk leaves the field.
bool walkSequence(const std::uint8_t* code, int size, int& pos) {
    auto skip = [&](int n) {
        pos += n;
        return pos <= size;
    };
    auto skipCounted = [&] {  // a length byte and the bytes it counts
        if (pos >= size) return false;
        return skip(1 + code[pos]);
    };
    while (pos < size) {
        const std::uint8_t op = code[pos++];
        bool ok = true;
        switch (op) {
        case End:
        case SubEnd: return true;
        case TextRun: ok = skipCounted(); break;
        case PartRef: ok = skip(1); break;
        case Pos2: ok = skip(2); break;
        case Pos3: ok = skip(3); break;
        case Quoted0: ok = skipCounted() && skip(5); break;
        case Quoted1: ok = skipCounted() && skip(6); break;
        case Quoted2: ok = skipCounted() && skip(7); break;
        case SSub: ok = walkSequence(code, size, pos) && skipCounted() && skip(1); break;
        case RSub: ok = walkSequence(code, size, pos) && skipCounted() && skip(5); break;
        case SNum: ok = skip(2) && skipCounted() && skip(1); break;
        case RNum: ok = skip(2) && skipCounted() && skip(6); break;
        case PSub: ok = walkSequence(code, size, pos) && skip(2); break;
        case Transparent: break;
        default: return false;
        }
        if (!ok) return false;
    }
    return false;
}

}  // namespace

int patternCodeLength(const std::uint8_t* code, int fieldSize) {
    int pos = 0;
    return walkSequence(code, fieldSize, pos) ? pos : -1;
}

}  // namespace lumaset
