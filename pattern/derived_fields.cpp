// The fields a record carries ready for the terminal: how many lines its
// match pattern spans, the pattern without title separators, and the largest
// screen line its title code reads.
#include "pattern/derived_fields.h"

#include <algorithm>
#include <cstring>

#include "document/error_message.h"
#include "pattern/pattern_code.h"

namespace lumaset {
namespace {

constexpr int kTitleOpen = -1;
constexpr std::size_t kRSubReservedBytes = 4;

struct TextScan {
    std::string_view text;
    std::size_t pos = 0;

    // A NUL ends the text too, for fields that hold one.
    bool atEnd() const { return pos >= text.size() || text[pos] == '\0'; }
    unsigned char peek() const { return static_cast<unsigned char>(text[pos]); }
    // Steps over one character: a lead byte takes its trail unless the text
    // ends there.
    void stepChar() {
        const bool lead = isLeadByte(peek());
        ++pos;
        if (lead && !atEnd()) ++pos;
    }
};

int countLines(TextScan& s) {
    int count = 0;
    while (!s.atEnd()) {
        const unsigned char c = s.peek();
        if (c == '\\') {
            ++s.pos;
            if (s.atEnd()) break;
            if (s.peek() == 'n') ++count;
            s.stepChar();
        } else if (c == '(') {
            ++s.pos;
            count += countLines(s);
            if (s.atEnd()) break;
            ++s.pos;
        } else if (c == ')') {
            break;
        } else if (c == '|') {
            ++s.pos;
            count = std::max(count, countLines(s));
            if (s.atEnd()) break;
            ++s.pos;
        } else {
            s.stepChar();
        }
    }
    return count;
}

// A damaged code is reported once, and the whole walk then yields 0.
enum class Walk { Ok, Open, Damaged, RunsOff };

struct CodeScan {
    const std::uint8_t* code;
    std::size_t size;
    std::size_t pos = 0;

    bool next(std::uint8_t& b) {
        if (pos >= size) return false;
        b = code[pos++];
        return true;
    }
    bool skip(std::size_t n) {
        if (n > size - pos) return false;
        pos += n;
        return true;
    }
    // Skips a length byte and the bytes it counts.
    bool skipCounted() {
        std::uint8_t n;
        return next(n) && skip(n);
    }
};

Walk walkSequence(CodeScan& s, int& result);

// After a Transparent element the sequence yields 0, but the walk still has
// to reach the sequence's end byte, past whatever a damaged code put there.
Walk skipRest(CodeScan& s) {
    int ignored = 0;
    return walkSequence(s, ignored);
}

Walk walkSequence(CodeScan& s, int& result) {
    result = 0;
    for (;;) {
        std::uint8_t opcode;
        if (!s.next(opcode)) return Walk::RunsOff;
        switch (opcode) {
        case End:
        case SubEnd:
            return Walk::Ok;
        case TextRun:
            if (!s.skipCounted()) return Walk::RunsOff;
            break;
        case PartRef:
            if (!s.skip(1)) return Walk::RunsOff;
            break;
        case Pos2:
        case Pos3: {
            std::uint8_t first, second;
            if (!s.next(first) || !s.next(second)) return Walk::RunsOff;
            if (opcode == Pos3 && !s.skip(1)) return Walk::RunsOff;
            const int value = static_cast<std::int8_t>(second);
            if (value < 0) return Walk::Open;
            result = std::max(result, value);
            break;
        }
        case Quoted0:
        case Quoted1:
        case Quoted2:
        case SNum:
        case RNum:
            return Walk::Open;
        case SSub:
        case RSub:
        case PSub: {
            int sub = 0;
            const Walk w = walkSequence(s, sub);
            if (w != Walk::Ok) return w;
            result = std::max(result, sub);
            bool fits;
            if (opcode == PSub) fits = s.skip(2);
            else fits = s.skipCounted() && s.skip(opcode == RSub ? 1 + kRSubReservedBytes : 1);
            if (!fits) return Walk::RunsOff;
            break;
        }
        case Transparent:
            result = 0;
            return skipRest(s);
        default:
            return Walk::Damaged;
        }
    }
}

}  // namespace

int countPatternLines(std::string_view pattern) {
    TextScan s{pattern};
    return countLines(s);
}

std::string removeSeparators(std::string_view pattern) {
    std::string out;
    out.reserve(pattern.size());
    TextScan s{pattern};
    while (!s.atEnd()) {
        const std::size_t start = s.pos;
        if (s.peek() == '\\') {
            ++s.pos;
            if (!s.atEnd()) {
                if (s.peek() == 'f') {
                    ++s.pos;
                    continue;
                }
                s.stepChar();
            }
        } else {
            s.stepChar();
        }
        out.append(pattern.substr(start, s.pos - start));
    }
    return out;
}

int scanTitleCode(const std::uint8_t* code, int fieldSize, DamageReport report) {
    CodeScan s{code, static_cast<std::size_t>(std::max(fieldSize, 0))};
    int result = 0;
    switch (walkSequence(s, result)) {
    case Walk::Ok:
        return result;
    case Walk::Damaged:
        if (report == DamageReport::Show) showErrorMessage("Internal error");
        return 0;
    case Walk::Open:
    case Walk::RunsOff:
        // A code cut off by its field promises no limit either.
        return kTitleOpen;
    }
    return kTitleOpen;
}

void deriveRecordFields(Document& doc, int position, DamageReport report) {
    if (position < 0 || position >= doc.syntaxCount()) return;
    SyntaxRecord& r = *doc.syntaxAt(position);
    const std::string_view pattern = fieldText(r.pattern, kPatternSize);

    if (position < kSystemRecordCount) {
        r.patternLines = 1;
    } else {
        r.patternLines = std::uint8_t(std::min(1 + countPatternLines(pattern), 255));
    }

    std::string noSep = removeSeparators(pattern);
    // A pattern field without its NUL could fill the whole field; cut on a
    // character boundary so the copy keeps one.
    std::size_t keep = 0;
    while (keep < noSep.size()) {
        const std::size_t width =
            isLeadByte(static_cast<unsigned char>(noSep[keep])) && keep + 1 < noSep.size() ? 2 : 1;
        if (keep + width > std::size_t(kPatternNoSepSize - 1)) break;
        keep += width;
    }
    std::memcpy(r.patternNoSep, noSep.data(), keep);
    r.patternNoSep[keep] = '\0';

    r.titleMaxSecond = std::uint8_t(scanTitleCode(r.titleCode, kTitleCodeSize, report) & 0xFF);
}

}  // namespace lumaset
