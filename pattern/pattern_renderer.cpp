// Renders pattern code back to pattern text in its one canonical form.
//
// Stored codes come from files and the clipboard, so nothing about them is
// trusted: every read stays inside the code's field and every write inside
// the render area; either limit turns the whole rendering into a failure.
#include "pattern/pattern_code.h"

#include "document/records.h"

namespace lumaset {
namespace {

constexpr int kQuotedReservedBytes = 5;
constexpr int kRNumReservedBytes = 5;
constexpr int kRSubReservedBytes = 4;
constexpr std::uint8_t kNif = 0x80;
constexpr std::uint8_t kVerticalTab = 0x0B;

struct CodeReader {
    const std::uint8_t* code;
    int size;
    int pos = 0;

    bool next(std::uint8_t& b) {
        if (pos >= size) return false;
        b = code[pos++];
        return true;
    }
    bool skip(int n) {
        if (n > size - pos) return false;
        pos += n;
        return true;
    }
};

struct TextWriter {
    char* area;
    int pos = 0;

    bool put(char c) {
        if (pos >= kRenderAreaSize) return false;
        area[pos++] = c;
        return true;
    }
    bool put(const char* s) {
        for (; *s; ++s)
            if (!put(*s)) return false;
        return true;
    }
};

bool renderNumber(CodeReader& in, TextWriter& out) {
    std::uint8_t b;
    if (!in.next(b)) return false;
    if (b == kNif) return out.put("NIF");
    int value = static_cast<std::int8_t>(b);
    if (value < 0) {
        if (!out.put('-')) return false;
        value = -value;
    }
    char digits[4];
    int n = 0;
    do {
        digits[n++] = char('0' + value % 10);
        value /= 10;
    } while (value != 0);
    while (n > 0)
        if (!out.put(digits[--n])) return false;
    return true;
}

// Copies a run's byte, or a lead byte with its trail when the trail is still
// part of the run. Returns the bytes consumed, or 0 on failure.
int copyRunChar(CodeReader& in, TextWriter& out, std::uint8_t b, int remaining) {
    if (!out.put(char(b))) return 0;
    if (isLeadByte(b) && remaining > 1) {
        std::uint8_t trail;
        if (!in.next(trail) || !out.put(char(trail))) return 0;
        return 2;
    }
    return 1;
}

bool renderTextRun(CodeReader& in, TextWriter& out) {
    std::uint8_t length;
    if (!in.next(length)) return false;
    int remaining = length;
    while (remaining > 0) {
        std::uint8_t b;
        if (!in.next(b)) return false;
        if (b == '\\') {
            if (!out.put("\\\\")) return false;
            --remaining;
            continue;
        }
        const int used = copyRunChar(in, out, b, remaining);
        if (used == 0) return false;
        remaining -= used;
    }
    return true;
}

bool renderString(CodeReader& in, TextWriter& out, bool keep) {
    std::uint8_t length;
    if (!in.next(length)) return false;
    if (!out.put('"')) return false;
    int remaining = length;
    while (remaining > 0) {
        std::uint8_t b;
        if (!in.next(b)) return false;
        const char* escaped = nullptr;
        if (b == '"') escaped = "\\\"";
        else if (b == '\\') escaped = keep ? "\\" : "\\\\";
        else if (b == kVerticalTab) escaped = "\\v";
        if (escaped != nullptr) {
            if (!out.put(escaped)) return false;
            --remaining;
            continue;
        }
        const int used = copyRunChar(in, out, b, remaining);
        if (used == 0) return false;
        remaining -= used;
    }
    return out.put('"');
}

bool renderSequence(CodeReader& in, TextWriter& out);

// A nested sequence followed by the comma that closed it.
bool renderSubPattern(CodeReader& in, TextWriter& out) {
    if (!renderSequence(in, out)) return false;
    out.area[out.pos - 1] = ',';  // over the NUL
    return true;
}

bool renderNumbers(CodeReader& in, TextWriter& out, int count) {
    for (int i = 0; i < count; ++i) {
        if (i > 0 && !out.put(',')) return false;
        if (!renderNumber(in, out)) return false;
    }
    return true;
}

bool renderElement(std::uint8_t opcode, CodeReader& in, TextWriter& out) {
    switch (opcode) {
    case TextRun:
        return renderTextRun(in, out);
    case PartRef: {
        std::uint8_t digit;
        return in.next(digit) && out.put('\\') && out.put(char(digit));
    }
    case Pos2:
    case Pos3:
        return out.put("\\(") && renderNumbers(in, out, opcode == Pos2 ? 2 : 3) && out.put(')');
    case Quoted0:
    case Quoted1:
    case Quoted2: {
        if (!out.put("\\(") || !renderString(in, out, true)) return false;
        if (!in.skip(kQuotedReservedBytes)) return false;
        const int numbers = opcode - Quoted0;
        if (numbers > 0 && (!out.put(',') || !renderNumbers(in, out, numbers))) return false;
        return out.put(')');
    }
    case SSub:
    case RSub: {
        const bool keep = opcode == RSub;
        if (!out.put(keep ? "\\r(" : "\\s(") || !renderSubPattern(in, out)) return false;
        if (!renderString(in, out, keep) || !out.put(',') || !renderNumber(in, out)) return false;
        if (!out.put(')')) return false;
        return !keep || in.skip(kRSubReservedBytes);
    }
    case SNum:
    case RNum: {
        const bool keep = opcode == RNum;
        if (!out.put(keep ? "\\r(" : "\\s(") || !renderNumbers(in, out, 2)) return false;
        if (!out.put(',') || !renderString(in, out, keep)) return false;
        if (!out.put(',') || !renderNumber(in, out) || !out.put(')')) return false;
        return !keep || in.skip(kRNumReservedBytes);
    }
    case PSub:
        return out.put("\\p(") && renderSubPattern(in, out) && renderNumbers(in, out, 2) &&
               out.put(')');
    case Transparent:
        return out.put("\\-");
    default:
        return false;
    }
}

bool renderSequence(CodeReader& in, TextWriter& out) {
    for (;;) {
        std::uint8_t opcode;
        if (!in.next(opcode)) return false;
        if (opcode == End || opcode == SubEnd) return out.put('\0');
        if (!renderElement(opcode, in, out)) return false;
    }
}

}  // namespace

int renderPattern(const std::uint8_t* code, int fieldSize, char* area) {
    CodeReader in{code, fieldSize};
    TextWriter out{area};
    if (!renderSequence(in, out)) return kPatternFailed;
    return out.pos;
}

}  // namespace lumaset
