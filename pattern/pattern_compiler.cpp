// Compiles extraction pattern text into pattern code.
//
// The text is walked with a cursor that never steps past its NUL, and every
// code byte goes through one bounded writer: once the area is full the
// compile stops and reports an overflow, which every caller's length check
// turns into "too long".
#include "pattern/pattern_code.h"

#include "document/records.h"

namespace lumaset {
namespace {

constexpr int kQuotedReservedBytes = 5;
constexpr int kRNumReservedBytes = 5;
constexpr int kRSubReservedBytes = 4;
constexpr int kNumberMin = -127;
constexpr int kNumberMax = 127;
constexpr int kNifValue = -128;  // stored 0x80, written as "NIF"
// Digits beyond this cannot bring a value back into range.
constexpr int kNumberSaturation = 1000;

struct TextCursor {
    const unsigned char* p;

    unsigned char peek() const { return *p; }
    // The byte after the current one; never read past the NUL.
    unsigned char peekNext() const { return *p == 0 ? 0 : p[1]; }
    bool atEnd() const { return *p == 0; }
    void step() {
        if (*p != 0) ++p;
    }
    void skipSpaces() {
        while (*p == ' ') ++p;
    }
};

struct CodeWriter {
    std::uint8_t* area;
    int pos = 0;
    bool overflow = false;

    bool put(std::uint8_t b) {
        if (pos >= kCompileAreaSize) {
            overflow = true;
            return false;
        }
        area[pos++] = b;
        return true;
    }
    bool putZeros(int n) {
        for (int i = 0; i < n; ++i)
            if (!put(0)) return false;
        return true;
    }
    // Fills a placeholder written earlier; it is always inside the area.
    void patch(int at, std::uint8_t b) { area[at] = b; }
};

bool isDigit(unsigned char c) { return c >= '0' && c <= '9'; }

// Copies one character at the cursor: a lead byte takes its trail with it,
// unless the text ends right after the lead byte.
bool copyChar(TextCursor& in, CodeWriter& out, int& copied) {
    const unsigned char c = in.peek();
    if (!out.put(c)) return false;
    ++copied;
    in.step();
    if (isLeadByte(c) && !in.atEnd()) {
        if (!out.put(in.peek())) return false;
        ++copied;
        in.step();
    }
    return true;
}

bool require(TextCursor& in, unsigned char c) {
    if (in.peek() != c) return false;
    in.step();
    return true;
}

bool readTextRun(TextCursor& in, CodeWriter& out) {
    if (!out.put(TextRun)) return false;
    const int lengthAt = out.pos;
    if (!out.put(0)) return false;
    int copied = 0;
    for (;;) {
        const unsigned char c = in.peek();
        if (c == 0) break;
        if (c == '\\') {
            const unsigned char x = in.peekNext();
            if (x == '(' || x == 's' || x == 'r' || x == 'p' || isDigit(x)) break;
            if (x == 0) return false;
            in.step();  // the backslash goes; the next character stays as it is
        }
        if (!copyChar(in, out, copied)) return false;
    }
    out.patch(lengthAt, std::uint8_t(copied));
    return true;
}

bool readNumber(TextCursor& in, CodeWriter& out) {
    in.skipSpaces();
    int value = 0;
    if (in.peek() == 'N' && in.peekNext() == 'I' && in.p[2] == 'F') {
        in.step();
        in.step();
        in.step();
        value = kNifValue;
    } else {
        bool negative = false;
        if (in.peek() == '-') {
            negative = true;
            in.step();
            in.skipSpaces();
        }
        while (isDigit(in.peek())) {
            if (value < kNumberSaturation) value = value * 10 + (in.peek() - '0');
            in.step();
        }
        if (negative) value = -value;
        if (value < kNumberMin || value > kNumberMax) return false;
    }
    in.skipSpaces();
    const unsigned char next = in.peek();
    if (next != ',' && next != ')' && next != 0) return false;
    return out.put(std::uint8_t(value));
}

// Keep mode stores escapes as typed; resolve mode stores what they mean.
bool readString(TextCursor& in, CodeWriter& out, bool keep) {
    in.skipSpaces();
    if (!require(in, '"')) return false;
    const int lengthAt = out.pos;
    if (!out.put(0)) return false;
    int copied = 0;
    for (;;) {
        const unsigned char c = in.peek();
        if (c == 0) break;  // unclosed: the caller's next requirement fails
        if (c == '"') {
            in.step();
            in.skipSpaces();
            break;
        }
        if (c == '\\') {
            const unsigned char x = in.peekNext();
            if (x == 0) return false;
            if (x == '"') {
                in.step();
                in.step();
                if (!out.put('"')) return false;
                ++copied;
                continue;
            }
            if (keep) {
                if (!out.put('\\')) return false;
                ++copied;
                in.step();
            } else if (x == 'v') {
                in.step();
                in.step();
                if (!out.put(0x0B)) return false;
                ++copied;
                continue;
            } else {
                in.step();
            }
        }
        if (!copyChar(in, out, copied)) return false;
    }
    out.patch(lengthAt, std::uint8_t(copied));
    return true;
}

bool compileSequence(TextCursor& in, CodeWriter& out, unsigned char terminator);

// A nested sequence closed by a comma, whose end byte becomes SubEnd.
bool compileSubPattern(TextCursor& in, CodeWriter& out) {
    if (!compileSequence(in, out, ',')) return false;
    out.patch(out.pos - 1, SubEnd);
    return true;
}

// After "\(" and spaces, at the opening quote.
bool compileQuoted(TextCursor& in, CodeWriter& out) {
    const int opcodeAt = out.pos;
    if (!out.put(Quoted0)) return false;
    if (!readString(in, out, true)) return false;
    if (!out.putZeros(kQuotedReservedBytes)) return false;
    int numbers = 0;
    if (in.peek() == ',') {
        in.step();
        if (!readNumber(in, out)) return false;
        ++numbers;
        if (in.peek() == ',') {
            in.step();
            if (!readNumber(in, out)) return false;
            ++numbers;
        }
    }
    out.patch(opcodeAt, std::uint8_t(Quoted0 + numbers));
    return require(in, ')');
}

// After "\(" and spaces, at the first digit.
bool compilePosition(TextCursor& in, CodeWriter& out) {
    const int opcodeAt = out.pos;
    if (!out.put(Pos2)) return false;
    if (!readNumber(in, out)) return false;
    if (!require(in, ',')) return false;
    if (!readNumber(in, out)) return false;
    if (in.peek() == ',') {
        in.step();
        if (!readNumber(in, out)) return false;
        out.patch(opcodeAt, Pos3);
    }
    return require(in, ')');
}

// \s( or \r( with the parenthesis and spaces behind the cursor.
bool compileSubstitution(TextCursor& in, CodeWriter& out, bool isS) {
    if (in.peek() == '-' || isDigit(in.peek())) {
        if (!out.put(isS ? SNum : RNum)) return false;
        if (!readNumber(in, out)) return false;
        if (!require(in, ',')) return false;
        if (!readNumber(in, out)) return false;
        if (!require(in, ',')) return false;
        if (!readString(in, out, !isS)) return false;
        if (!require(in, ',')) return false;
        if (!readNumber(in, out)) return false;
        if (!require(in, ')')) return false;
        return isS || out.putZeros(kRNumReservedBytes);
    }
    if (!out.put(isS ? SSub : RSub)) return false;
    if (!compileSubPattern(in, out)) return false;
    if (!readString(in, out, !isS)) return false;
    if (!require(in, ',')) return false;
    if (!readNumber(in, out)) return false;
    if (!require(in, ')')) return false;
    return isS || out.putZeros(kRSubReservedBytes);
}

bool compileSequence(TextCursor& in, CodeWriter& out, unsigned char terminator) {
    const bool nested = terminator != 0;
    for (;;) {
        unsigned char c = in.peek();
        if (c == 0 || c == terminator) break;

        if (nested && !(c == '\\' && in.peekNext() != '\\')) {
            // Only escapes stand directly inside a sub-pattern.
            in.skipSpaces();
            c = in.peek();
            if (c == 0 || c == terminator) break;
            if (!(c == '\\' && in.peekNext() != '\\')) return false;
        }

        if (c != '\\' || in.peekNext() == '\\') {
            if (!readTextRun(in, out)) return false;
            continue;
        }

        const unsigned char x = in.peekNext();
        if (x == '(') {
            TextCursor look{in.p + 2};
            look.skipSpaces();
            if (look.peek() == '"') {
                in = look;
                if (!compileQuoted(in, out)) return false;
            } else if (isDigit(look.peek())) {
                in = look;
                if (!compilePosition(in, out)) return false;
            } else {
                in.step();  // plain text from the parenthesis on
                if (!readTextRun(in, out)) return false;
            }
        } else if (x == 's' || x == 'r') {
            in.step();
            in.step();
            if (!require(in, '(')) return false;
            in.skipSpaces();
            if (!compileSubstitution(in, out, x == 's')) return false;
        } else if (x == 'p') {
            in.step();
            in.step();
            if (!require(in, '(')) return false;
            if (!out.put(PSub)) return false;
            if (!compileSubPattern(in, out)) return false;
            if (!readNumber(in, out)) return false;
            if (!require(in, ',')) return false;
            if (!readNumber(in, out)) return false;
            if (!require(in, ')')) return false;
        } else if (isDigit(x)) {
            if (!out.put(PartRef) || !out.put(x)) return false;
            in.step();
            in.step();
        } else if (x == '-') {
            if (!out.put(Transparent)) return false;
            in.step();
            in.step();
            break;  // nothing may follow in this sequence
        } else {
            in.step();  // the backslash goes; x starts plain text
            if (!readTextRun(in, out)) return false;
        }
    }
    if (!out.put(End)) return false;
    if (in.peek() != terminator) return false;
    in.step();
    return true;
}

}  // namespace

int compilePattern(const char* text, std::uint8_t* area) { return compilePattern(text, area, nullptr); }

int compilePattern(const char* text, std::uint8_t* area, int* failedAt) {
    const auto* start = reinterpret_cast<const unsigned char*>(text);
    TextCursor in{start};
    CodeWriter out{area};
    if (compileSequence(in, out, 0)) return out.pos;
    // Every reader works on the one cursor, so it stands where the text
    // stopped making sense.
    if (failedAt != nullptr) *failedAt = int(in.p - start);
    return out.overflow ? kCompileOverflow : kPatternFailed;
}

}  // namespace lumaset
