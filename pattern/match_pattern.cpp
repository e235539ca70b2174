// The match-pattern language as the editor reads it. The reader builds a
// small tree of nodes; the matcher compiles it into a program for a
// backtracking machine. The machine remembers every (instruction, position)
// state it has left without a match, so no state is explored twice and the
// work is at most instructions x positions; the step limit is the backstop
// for samples too large for that table.
#include "pattern/match_pattern.h"

#include <algorithm>
#include <array>
#include <cstring>

#include "document/cp932_convert.h"
#include "document/records.h"
#include "pattern/derived_fields.h"
#include "pattern/pattern_code.h"

namespace lumaset {

namespace {

enum NodeKind : std::uint8_t {
    kAlt,      // children: alternatives (a group or the whole pattern)
    kSeq,      // children in order
    kLiteral,  // code
    kAny,
    kLineStart,
    kLineEnd,
    kSeparator,
    kTypedPosition,
    kSet,      // set, negated
    kStar,     // one child
    kPlus,
    kQuest,
};

constexpr std::uint32_t kLineBreak = '\n';

// One character of cp932 text: its code value and its length in bytes.
struct Char {
    std::uint32_t code = 0;
    int length = 0;
};

// A line feed is never taken as a trail byte (no cp932 trail is below
// 0x40), so a stray lead byte cannot hide a line break. Inlined by force:
// every loop of the matcher steps through the sample with it.
[[gnu::always_inline]] inline Char charAt(std::string_view text, std::size_t pos) {
    const unsigned char c = static_cast<unsigned char>(text[pos]);
    if (isLeadByte(c) && pos + 1 < text.size() && text[pos + 1] != '\n')
        return {std::uint32_t(c) << 8 | static_cast<unsigned char>(text[pos + 1]), 2};
    return {c, 1};
}

// ---------------------------------------------------------------- reading

class Reader {
public:
    Reader(ParsedPattern& out) : p_(out), text_(out.text) {}

    void read() {
        p_.nodes.push_back({});  // the root, filled in below
        const int top = alternatives(0);
        if (failed()) return;
        if (pos_ < text_.size()) {  // only a ')' stops the top level early
            fail(PatternFault::UnopenedGroup, pos_);
            return;
        }
        p_.nodes[0] = p_.nodes[std::size_t(top)];
    }

private:
    bool failed() const { return p_.fault != PatternFault::None; }
    bool atEnd() const { return pos_ >= text_.size(); }
    unsigned char peek() const { return static_cast<unsigned char>(text_[pos_]); }

    void fail(PatternFault f, std::size_t at) {
        if (failed()) return;
        p_.fault = f;
        p_.faultOffset = int(at);
    }

    int add(NodeKind kind, std::size_t offset, std::size_t length) {
        PatternNode n;
        n.kind = kind;
        n.offset = int(offset);
        n.length = int(length);
        p_.nodes.push_back(std::move(n));
        return int(p_.nodes.size() - 1);
    }

    // alt := seq ('|' seq)*, up to a ')' or the end.
    int alternatives(int depth) {
        const std::size_t start = pos_;
        const int alt = add(kAlt, start, 0);
        for (;;) {
            const int seq = sequence(depth);
            if (failed()) return alt;
            p_.nodes[std::size_t(alt)].children.push_back(seq);
            if (!atEnd() && peek() == '|') {
                ++pos_;
                continue;
            }
            break;
        }
        p_.nodes[std::size_t(alt)].length = int(pos_ - start);
        return alt;
    }

    int sequence(int depth) {
        const std::size_t start = pos_;
        const int seq = add(kSeq, start, 0);
        // What a quantifier may follow: -1 nothing, else the node to repeat.
        int last = -1;
        while (!atEnd() && !failed()) {
            const unsigned char c = peek();
            if (c == '|') break;
            if (c == ')') {
                if (depth == 0) fail(PatternFault::UnopenedGroup, pos_);
                break;
            }
            if (c == '*' || c == '+' || c == '?') {
                if (last < 0) {
                    fail(PatternFault::NothingToRepeat, pos_);
                    break;
                }
                const NodeKind kind = c == '*' ? kStar : c == '+' ? kPlus : kQuest;
                auto& children = p_.nodes[std::size_t(seq)].children;
                const int atom = children.back();
                const std::size_t atomOffset = std::size_t(p_.nodes[std::size_t(atom)].offset);
                const int rep = add(kind, atomOffset, pos_ + 1 - atomOffset);
                p_.nodes[std::size_t(rep)].children.push_back(atom);
                p_.nodes[std::size_t(seq)].children.back() = rep;
                ++pos_;
                last = -1;  // "a**": the second has nothing to repeat
                continue;
            }
            const int node = atom(depth);
            if (failed()) break;
            p_.nodes[std::size_t(seq)].children.push_back(node);
            const std::uint8_t k = p_.nodes[std::size_t(node)].kind;
            last = (k == kLineStart || k == kLineEnd || k == kSeparator || k == kTypedPosition)
                       ? -1
                       : node;
        }
        p_.nodes[std::size_t(seq)].length = int(pos_ - start);
        return seq;
    }

    int atom(int depth) {
        const std::size_t start = pos_;
        const unsigned char c = peek();
        switch (c) {
        case '.':
            ++pos_;
            return add(kAny, start, 1);
        case '^':
            ++pos_;
            return add(kLineStart, start, 1);
        case '$':
            ++pos_;
            return add(kLineEnd, start, 1);
        case '[':
            return bracket();
        case '(': {
            ++pos_;
            const int inner = alternatives(depth + 1);
            if (failed()) return inner;
            if (atEnd()) {
                // Inner groups closed before this one ran out, so this is
                // the innermost open one.
                fail(PatternFault::UnclosedGroup, start);
                return inner;
            }
            ++pos_;  // the ')'
            PatternNode& n = p_.nodes[std::size_t(inner)];
            n.offset = int(start);
            n.length = int(pos_ - start);
            return inner;
        }
        case '\\': {
            ++pos_;
            if (atEnd()) {
                fail(PatternFault::LoneBackslash, start);
                return -1;
            }
            const Char e = charAt(text_, pos_);
            pos_ += std::size_t(e.length);
            if (e.code == 'n') return literal(start, kLineBreak);
            if (e.code == 'f') {
                ++p_.separators;
                return add(kSeparator, start, 2);
            }
            if (e.code == 'v') {
                p_.usesTypedPosition = true;
                return add(kTypedPosition, start, 2);
            }
            return literal(start, e.code);
        }
        default: {
            const Char ch = charAt(text_, pos_);
            pos_ += std::size_t(ch.length);
            return literal(start, ch.code);
        }
        }
    }

    int literal(std::size_t start, std::uint32_t code) {
        const int n = add(kLiteral, start, pos_ - start);
        p_.nodes[std::size_t(n)].code = code;
        return n;
    }

    // One member inside brackets; false (with the fault set) when it cannot
    // be read.
    bool bracketItem(std::size_t bracketStart, std::uint32_t& code) {
        const std::size_t at = pos_;
        if (peek() == '\\') {
            ++pos_;
            if (atEnd()) {
                fail(PatternFault::UnclosedBracket, bracketStart);
                return false;
            }
            const Char e = charAt(text_, pos_);
            if (e.code == 'f' || e.code == 'v') {
                fail(PatternFault::EscapeInBracket, at);
                return false;
            }
            pos_ += std::size_t(e.length);
            code = e.code == 'n' ? kLineBreak : e.code;
            return true;
        }
        const Char ch = charAt(text_, pos_);
        pos_ += std::size_t(ch.length);
        code = ch.code;
        return true;
    }

    int bracket() {
        const std::size_t start = pos_;
        const int node = add(kSet, start, 0);
        ++pos_;
        bool negated = false;
        if (!atEnd() && peek() == '^') {
            negated = true;
            ++pos_;
        }
        std::vector<std::uint32_t> set;
        bool first = true;
        for (;;) {
            if (atEnd()) {
                fail(PatternFault::UnclosedBracket, start);
                return node;
            }
            if (peek() == ']' && !first) {
                ++pos_;
                break;
            }
            first = false;
            const std::size_t itemAt = pos_;
            std::uint32_t low = 0;
            if (!bracketItem(start, low)) return node;
            std::uint32_t high = low;
            if (pos_ + 1 < text_.size() && text_[pos_] == '-' && text_[pos_ + 1] != ']') {
                ++pos_;
                if (!bracketItem(start, high)) return node;
                if (high < low) {
                    fail(PatternFault::ReversedRange, itemAt);
                    return node;
                }
            }
            set.push_back(low << 16 | high);
        }
        PatternNode& n = p_.nodes[std::size_t(node)];
        n.negated = negated;
        n.set = std::move(set);
        n.length = int(pos_ - start);
        return node;
    }

    ParsedPattern& p_;
    std::string_view text_;
    std::size_t pos_ = 0;
};

// Most separators one match can pass: alternatives take their largest, a
// star or plus more than one when its body holds one (counted as twice, the
// most a greedy pass can tell apart from "many").
int separatorsOnPath(const ParsedPattern& p, int index) {
    const PatternNode& n = p.nodes[std::size_t(index)];
    switch (n.kind) {
    case kSeparator:
        return 1;
    case kAlt: {
        int best = 0;
        for (int c : n.children) best = std::max(best, separatorsOnPath(p, c));
        return best;
    }
    case kSeq: {
        int sum = 0;
        for (int c : n.children) sum += separatorsOnPath(p, c);
        return sum;
    }
    case kQuest:
        return separatorsOnPath(p, n.children[0]);
    case kStar:
    case kPlus: {
        // Any number of passes: as many as a title can use.
        const int inner = separatorsOnPath(p, n.children[0]);
        return inner > 0 ? 10 : 0;
    }
    default:
        return 0;
    }
}

// ---------------------------------------------------------------- the machine

enum Op : std::uint8_t {
    kOpChar,      // a: code
    kOpString,    // a: pool offset, b: bytes
    kOpAny,
    kOpSet,       // a: node index
    kOpLineStart,
    kOpLineEnd,
    kOpSeparator,
    kOpTyped,
    kOpSplit,     // try a first, then b
    kOpJump,      // a
    kOpPassStart, // a: register
    kOpPassEnd,   // a: register; fails when the pass took nothing
    kOpClear,     // a: register; the next pass end accepts anything
    kOpRepeat,    // the one-character element after it, as often as it matches
    kOpMatch,
};

struct Inst {
    Op op;
    std::uint32_t a = 0;
    std::uint32_t b = 0;
    int offset = 0;  // the pattern element, for the no-match diagnosis
    int length = 0;
    bool loneLeadEnd = false;  // a string whose last character is a lone lead byte
};

// Programs past this size come from deeply nested "+"; they run without the
// state table, on the step limit alone.
constexpr std::size_t kMaxProgram = 1 << 14;
// Bits of state table the matcher may use (8 MB).
constexpr std::size_t kMaxMemoBits = std::size_t(64) << 20;
// A search that has taken this many steps per byte of the sample has
// started to backtrack, and sets up the state table.
constexpr long kStepsPerByteBeforeTable = 2;

struct Program {
    std::vector<Inst> code;
    std::string pool;
    // For each set, which single-byte characters it holds (Inst.b indexes it).
    std::vector<std::array<std::uint64_t, 4>> byteSets;
    int registers = 0;
    bool tooLarge = false;
    bool compact = false;  // "+" loops back into its first pass: no state table
    bool plain = false;    // every repetition as a loop: the reference for tests
};

// Where a match can start: the bytes its first character can begin with,
// from anywhere or only at a line's start. A pattern that can match empty
// (unanchored) can start anywhere and has no filter.
struct StartFilter {
    bool anywhere = false;        // no filter
    bool emptyAtLineStart = false;
    bool atEnd = false;           // "$" or an empty match can start at the text's end
    bool first[256] = {};
    bool firstAtLineStart[256] = {};

    // The next place at or after `pos` (a character boundary) where a match
    // can start; the text's end is always one.
    std::size_t next(std::string_view s, std::size_t pos) const {
        if (anywhere) return pos;
        if (lineStartsOnly) {
            // Line starts only, and only those whose first byte can begin
            // a match; the first byte of a line is always a boundary.
            for (;;) {
                if (pos > 0 && s[pos - 1] != '\n') {
                    const void* lf = std::memchr(s.data() + pos, '\n', s.size() - pos);
                    if (lf == nullptr) return s.size();
                    pos = std::size_t(static_cast<const char*>(lf) - s.data()) + 1;
                }
                if (pos >= s.size() || canStart(s, pos)) return pos;
                ++pos;
            }
        }
        while (pos < s.size() && !canStart(s, pos)) pos += std::size_t(charAt(s, pos).length);
        return pos;
    }

    bool lineStartsOnly = false;  // every way in passes a "^" first

    bool canStart(std::string_view s, std::size_t pos) const {
        if (anywhere || pos >= s.size()) return true;
        const unsigned char b = static_cast<unsigned char>(s[pos]);
        if (first[b]) return true;
        const bool lineStart = pos == 0 || s[pos - 1] == '\n';
        return lineStart && (emptyAtLineStart || firstAtLineStart[b]);
    }
};

// The bytes of a character code: a double-byte one lead byte first.
void appendCharacter(std::string& bytes, std::uint32_t code) {
    if (code > 0xFF) bytes += char(code >> 8);
    bytes += char(code & 0xFF);
}

bool inSet(const PatternNode& n, std::uint32_t code) {
    if (n.negated && code == kLineBreak) return false;
    bool in = false;
    for (std::uint32_t range : n.set) {
        if (code >= (range >> 16) && code <= (range & 0xFFFF)) {
            in = true;
            break;
        }
    }
    return in != n.negated;
}

class Compiler {
public:
    Compiler(const ParsedPattern& p, Program& out) : p_(p), prog_(out) {}

    void compile() {
        node(0);
        emit({kOpMatch});
    }

private:
    std::uint32_t here() const { return std::uint32_t(prog_.code.size()); }
    std::uint32_t emit(Inst i) {
        if (prog_.code.size() >= kMaxProgram) {
            prog_.tooLarge = true;
            return here();
        }
        prog_.code.push_back(i);
        return here() - 1;
    }
    void patch(std::uint32_t at, std::uint32_t a, std::uint32_t b) {
        if (at >= prog_.code.size()) return;
        prog_.code[at].a = a;
        prog_.code[at].b = b;
    }
    void patchA(std::uint32_t at, std::uint32_t a) {
        if (at < prog_.code.size()) prog_.code[at].a = a;
    }

    void node(int index) {
        if (prog_.tooLarge) return;
        const PatternNode& n = p_.nodes[std::size_t(index)];
        switch (n.kind) {
        case kAlt: {
            if (n.children.size() == 1) {
                node(n.children[0]);
                return;
            }
            std::vector<std::uint32_t> jumps;
            for (std::size_t i = 0; i < n.children.size(); ++i) {
                std::uint32_t split = 0;
                const bool last = i + 1 == n.children.size();
                if (!last) split = emit({kOpSplit, 0, 0, n.offset, n.length});
                const std::uint32_t body = here();
                node(n.children[i]);
                if (!last) {
                    jumps.push_back(emit({kOpJump, 0, 0, n.offset, n.length}));
                    patch(split, body, here());
                }
            }
            for (std::uint32_t j : jumps) patchA(j, here());
            return;
        }
        case kSeq:
            sequence(n);
            return;
        case kLiteral:
            emit({kOpChar, n.code, 0, n.offset, n.length});
            return;
        case kAny:
            emit({kOpAny, 0, 0, n.offset, n.length});
            return;
        case kLineStart:
            emit({kOpLineStart, 0, 0, n.offset, n.length});
            return;
        case kLineEnd:
            emit({kOpLineEnd, 0, 0, n.offset, n.length});
            return;
        case kSeparator:
            emit({kOpSeparator, 0, 0, n.offset, n.length});
            return;
        case kTypedPosition:
            emit({kOpTyped, 0, 0, n.offset, n.length});
            return;
        case kSet: {
            std::array<std::uint64_t, 4> bytes{};
            for (std::uint32_t range : n.set)
                for (std::uint32_t b = range >> 16; b <= (range & 0xFFFF) && b < 256; ++b)
                    bytes[b / 64] |= std::uint64_t(1) << (b % 64);
            if (n.negated) {
                for (std::uint64_t& word : bytes) word = ~word;
                bytes[kLineBreak / 64] &= ~(std::uint64_t(1) << (kLineBreak % 64));
            }
            prog_.byteSets.push_back(bytes);
            emit({kOpSet, std::uint32_t(index), std::uint32_t(prog_.byteSets.size() - 1), n.offset, n.length});
            return;
        }
        case kQuest: {
            const std::uint32_t r = std::uint32_t(prog_.registers++);
            const std::uint32_t split = emit({kOpSplit, 0, 0, n.offset, n.length});
            const std::uint32_t body = emit({kOpPassStart, r, 0, n.offset, n.length});
            node(n.children[0]);
            emit({kOpPassEnd, r, 0, n.offset, n.length});
            patch(split, body, here());
            return;
        }
        case kPlus:
            if (prog_.compact) {
                // x, then more passes through the same code; the first pass
                // may be empty, the others may not.
                const std::uint32_t r = std::uint32_t(prog_.registers++);
                emit({kOpClear, r, 0, n.offset, n.length});
                const std::uint32_t body = here();
                node(n.children[0]);
                emit({kOpPassEnd, r, 0, n.offset, n.length});
                const std::uint32_t split = emit({kOpSplit, 0, 0, n.offset, n.length});
                const std::uint32_t again = emit({kOpPassStart, r, 0, n.offset, n.length});
                emit({kOpJump, body, 0, n.offset, n.length});
                patch(split, again, here());
                return;
            }
            // The required pass, then as for "*". The body is compiled twice so
            // that the first pass, which may be empty, is a state of its own.
            node(n.children[0]);
            [[fallthrough]];
        case kStar: {
            // One character at a time never takes nothing: no pass to check,
            // and the machine runs it in one go.
            const std::uint8_t k = p_.nodes[std::size_t(n.children[0])].kind;
            if (!prog_.plain && (k == kLiteral || k == kAny || k == kSet)) {
                emit({kOpRepeat, 0, 0, n.offset, n.length});
                node(n.children[0]);
                return;
            }
            const std::uint32_t r = std::uint32_t(prog_.registers++);
            const std::uint32_t head = emit({kOpSplit, 0, 0, n.offset, n.length});
            const std::uint32_t body = emit({kOpPassStart, r, 0, n.offset, n.length});
            node(n.children[0]);
            emit({kOpPassEnd, r, 0, n.offset, n.length});
            emit({kOpJump, head, 0, n.offset, n.length});
            patch(head, body, here());
            return;
        }
        default:
            return;
        }
    }

    // Runs of plain characters become one string: one step, and one element
    // to name when the match fails there.
    void sequence(const PatternNode& n) {
        std::size_t i = 0;
        while (i < n.children.size()) {
            const PatternNode& c = p_.nodes[std::size_t(n.children[i])];
            if (c.kind != kLiteral) {
                node(n.children[i]);
                ++i;
                continue;
            }
            const std::size_t from = prog_.pool.size();
            const int offset = c.offset;
            int end = c.offset + c.length;
            std::size_t j = i;
            for (; j < n.children.size(); ++j) {
                const PatternNode& l = p_.nodes[std::size_t(n.children[j])];
                if (l.kind != kLiteral) break;
                appendCharacter(prog_.pool, l.code);
                end = l.offset + l.length;
            }
            const PatternNode& lastChar = p_.nodes[std::size_t(n.children[j - 1])];
            Inst in{kOpString, std::uint32_t(from), std::uint32_t(prog_.pool.size() - from), offset,
                    end - offset};
            in.loneLeadEnd = lastChar.code <= 0xFF && isLeadByte(std::uint8_t(lastChar.code));
            emit(in);
            i = j;
        }
    }

    const ParsedPattern& p_;
    Program& prog_;
};


struct Frame {
    // Repeat: the ends of a repetition still to try, listed in runs_;
    // RepeatBytes: every byte from pos up to end, a run of single-byte
    // characters, which needs no list.
    enum Kind : std::uint8_t { Branch, Register, Repeat, RepeatBytes } kind;
    std::uint32_t pc;     // Register: which one
    int pos;              // Register: its old value; Repeat: where its ends begin in runs_;
                          // RepeatBytes: the first end
    std::uint32_t seps;   // Branch, Repeat: separators passed so far
    int end = 0;          // RepeatBytes: the end tried last
};

struct Attempt {
    bool matched = false;
    bool tooComplex = false;
    int end = 0;
    std::vector<int> separators;
    // The failure that got furthest: first into the pattern (the element,
    // and how much of a string matched), then into the sample.
    int progress = -1;         // pattern offset reached
    int furthest = -1;         // sample position reached
    int furthestOffset = -1;   // the failing element's offset in the pattern
    int leadingRunEnd = -1;    // where a repetition that opens the pattern stopped
};

class Machine {
public:
    Machine(const ParsedPattern& p, const Program& prog, std::string_view sample, long limit,
            bool useMemo, bool diagnose)
        : p_(p), prog_(prog), s_(sample), limit_(limit), diagnose_(diagnose) {
        const std::size_t states = prog.code.size() * (sample.size() + 1);
        memo_ = useMemo && !prog.compact && states <= kMaxMemoBits;
        tableWords_ = (states + 63) / 64;
        tableAfter_ = kStepsPerByteBeforeTable * long(sample.size() + 1);
        regs_.assign(std::size_t(prog.registers), -1);
    }

    long steps = 0;
    bool reachedTyped = false;

    // One start. With `keepMemo` the states left by earlier starts stay
    // marked: they failed, and they would fail again from here.
    Attempt run(int start, bool keepMemo) {
        if (!visited_.empty() && !keepMemo) {
            for (std::size_t w : touched_) visited_[w] = 0;
            touched_.clear();
        }
        Attempt at;
        stack_.clear();
        runs_.clear();
        seps_.clear();
        std::fill(regs_.begin(), regs_.end(), -1);
        std::uint32_t pc = 0;
        int pos = start;
        for (;;) {
            if (++steps > limit_) {
                at.tooComplex = true;
                return at;
            }
            bool ok = true;
            // Most searches end in a few steps; the table is set up only
            // for one that has started to backtrack. States visited before
            // it are simply not remembered.
            if (memo_ && visited_.empty() && steps > tableAfter_)
                visited_.assign(tableWords_, 0);
            if (!markState(pc, pos, keepMemo)) ok = false;
            if (ok) {
                const Inst& in = prog_.code[pc];
                switch (in.op) {
                case kOpChar: {
                    if (std::size_t(pos) < s_.size()) {
                        const Char c = charAt(s_, std::size_t(pos));
                        if (c.code == in.a) {
                            pos += c.length;
                            ++pc;
                            continue;
                        }
                    }
                    note(at, pos, in);
                    ok = false;
                    break;
                }
                case kOpString: {
                    // Equal bytes from a character boundary are equal
                    // characters, unless the pattern ends in a lone lead byte
                    // (its last character) that the sample pairs with a trail.
                    const std::size_t n = in.b;
                    const std::size_t at0 = std::size_t(pos);
                    if (s_.size() - at0 >= n &&
                        std::memcmp(s_.data() + at0, prog_.pool.data() + in.a, n) == 0 &&
                        !(in.loneLeadEnd && at0 + n < s_.size())) {
                        pos += int(n);
                        ++pc;
                        continue;
                    }
                    if (diagnose_) {
                        // How much of it matched, in whole characters.
                        const std::string_view want(prog_.pool.data() + in.a, n);
                        std::size_t i = 0;
                        std::size_t q = at0;
                        while (i < want.size() && q < s_.size()) {
                            const Char c = charAt(s_, q);
                            const Char w = charAt(want, i);
                            if (c.code != w.code || c.length != w.length) break;
                            q += std::size_t(c.length);
                            i += std::size_t(w.length);
                        }
                        note(at, int(q), in, int(i));
                    }
                    ok = false;
                    break;
                }
                case kOpAny:
                    if (std::size_t(pos) < s_.size() && s_[std::size_t(pos)] != '\n') {
                        pos += charAt(s_, std::size_t(pos)).length;
                        ++pc;
                        continue;
                    }
                    note(at, pos, in);
                    ok = false;
                    break;
                case kOpSet:
                    if (std::size_t(pos) < s_.size()) {
                        const Char c = charAt(s_, std::size_t(pos));
                        if (setHolds(in, c.code)) {
                            pos += c.length;
                            ++pc;
                            continue;
                        }
                    }
                    note(at, pos, in);
                    ok = false;
                    break;
                case kOpLineStart:
                    if (pos == 0 || s_[std::size_t(pos) - 1] == '\n') {
                        ++pc;
                        continue;
                    }
                    note(at, pos, in);
                    ok = false;
                    break;
                case kOpLineEnd:
                    if (std::size_t(pos) == s_.size() || s_[std::size_t(pos)] == '\n') {
                        ++pc;
                        continue;
                    }
                    note(at, pos, in);
                    ok = false;
                    break;
                case kOpSeparator:
                    seps_.push_back(pos);
                    ++pc;
                    continue;
                case kOpTyped:
                    // A sample has no typed position.
                    reachedTyped = true;
                    note(at, pos, in);
                    ok = false;
                    break;
                case kOpSplit:
                    stack_.push_back({Frame::Branch, in.b, pos, std::uint32_t(seps_.size())});
                    pc = in.a;
                    continue;
                case kOpJump:
                    pc = in.a;
                    continue;
                case kOpPassStart:
                    stack_.push_back({Frame::Register, in.a, regs_[in.a], 0});
                    regs_[in.a] = pos;
                    ++pc;
                    continue;
                case kOpClear:
                    stack_.push_back({Frame::Register, in.a, regs_[in.a], 0});
                    regs_[in.a] = -1;
                    ++pc;
                    continue;
                case kOpPassEnd:
                    // A pass beyond the required ones that took nothing is
                    // not taken, and the repetition ends there.
                    if (regs_[in.a] == pos) {
                        ok = false;
                        break;
                    }
                    ++pc;
                    continue;
                case kOpRepeat: {
                    // As many passes as match, each end a state of the
                    // loop; the ends are tried from the last back. While
                    // every character is a single byte, the ends are every
                    // byte and are not listed.
                    const std::uint32_t atom = pc + 1;
                    const std::size_t begin = runs_.size();
                    bool listed = false;
                    int p = pos;
                    // "." over single-byte text, with no states to mark: to
                    // the line's end at once.
                    bool scanned = false;
                    if (prog_.code[atom].op == kOpAny && visited_.empty()) {
                        const char* from = s_.data() + pos;
                        const std::size_t left = s_.size() - std::size_t(pos);
                        const void* lf = std::memchr(from, '\n', left);
                        const std::size_t n = lf ? std::size_t(static_cast<const char*>(lf) - from) : left;
                        if (std::none_of(from, from + n, [](char c) { return (c & 0x80) != 0; })) {
                            p = pos + int(n);
                            steps += long(n);
                            if (steps > limit_) {
                                at.tooComplex = true;
                                return at;
                            }
                            note(at, p, prog_.code[atom]);
                            scanned = true;
                        }
                    }
                    while (!scanned) {
                        int next = 0;
                        if (!matchOne(prog_.code[atom], p, next)) {
                            note(at, p, prog_.code[atom]);
                            break;
                        }
                        if (++steps > limit_) {
                            at.tooComplex = true;
                            return at;
                        }
                        if (!markState(pc, next, keepMemo)) break;
                        if (!listed && next - p == 2) {
                            listed = true;
                            for (int q = pos; q < p; ++q) runs_.push_back(q);
                        }
                        if (listed) runs_.push_back(p);
                        p = next;
                    }
                    if (pc == 0) at.leadingRunEnd = p;
                    const std::uint32_t seps = std::uint32_t(seps_.size());
                    if (listed)
                        stack_.push_back({Frame::Repeat, atom + 1, int(begin), seps});
                    else if (p > pos)
                        stack_.push_back({Frame::RepeatBytes, atom + 1, pos, seps, p});
                    pos = p;
                    pc = atom + 1;
                    continue;
                }
                case kOpMatch:
                    at.matched = true;
                    at.end = pos;
                    at.separators = seps_;
                    return at;
                }
            }
            // Back to the latest open choice.
            bool resumed = false;
            while (!stack_.empty()) {
                const Frame f = stack_.back();
                stack_.pop_back();
                if (f.kind == Frame::Register) {
                    regs_[f.pc] = f.pos;
                    continue;
                }
                // Ends where what follows cannot even start are passed
                // over here, unless the failure is to be noted.
                if (f.kind == Frame::Repeat) {
                    const std::size_t begin = std::size_t(f.pos);
                    const Inst& next = prog_.code[f.pc];
                    if (!diagnose_) {
                        while (runs_.size() > begin + 1 && failsAtOnce(next, runs_.back())) {
                            runs_.pop_back();
                            if (++steps > limit_) {
                                at.tooComplex = true;
                                return at;
                            }
                        }
                    }
                    pc = f.pc;
                    pos = runs_.back();
                    runs_.pop_back();
                    if (runs_.size() > begin) stack_.push_back(f);
                    seps_.resize(f.seps);
                    resumed = true;
                    break;
                }
                if (f.kind == Frame::RepeatBytes) {
                    const Inst& next = prog_.code[f.pc];
                    int end = f.end - 1;
                    if (!diagnose_) {
                        while (end > f.pos && failsAtOnce(next, end)) {
                            --end;
                            if (++steps > limit_) {
                                at.tooComplex = true;
                                return at;
                            }
                        }
                    }
                    if (end > f.pos) stack_.push_back({Frame::RepeatBytes, f.pc, f.pos, f.seps, end});
                    pc = f.pc;
                    pos = end;
                    seps_.resize(f.seps);
                    resumed = true;
                    break;
                }
                pc = f.pc;
                pos = f.pos;
                seps_.resize(f.seps);
                resumed = true;
                break;
            }
            if (!resumed) return at;
        }
    }

private:
    // Marks the state; false when it was marked already (it failed before).
    bool markState(std::uint32_t pc, int pos, bool keepMemo) {
        if (visited_.empty()) return true;
        const std::size_t state = std::size_t(pc) * (s_.size() + 1) + std::size_t(pos);
        std::uint64_t& word = visited_[state / 64];
        const std::uint64_t bit = std::uint64_t(1) << (state % 64);
        if (word & bit) return false;
        if (word == 0 && !keepMemo) touched_.push_back(state / 64);
        word |= bit;
        return true;
    }

    bool setHolds(const Inst& in, std::uint32_t code) const {
        if (code > 0xFF) return inSet(p_.nodes[in.a], code);
        return (prog_.byteSets[in.b][code / 64] >> (code % 64)) & 1;
    }

    // True when the instruction fails at pos without taking a step further.
    bool failsAtOnce(const Inst& in, int pos) const {
        int next = 0;
        switch (in.op) {
        case kOpChar:
        case kOpAny:
        case kOpSet:
            return !matchOne(in, pos, next);
        case kOpString:
            return std::size_t(pos) >= s_.size() || s_[std::size_t(pos)] != prog_.pool[in.a];
        default:
            return false;
        }
    }

    // One character for a Char, Any or Set instruction: the position after it.
    bool matchOne(const Inst& in, int pos, int& next) const {
        if (std::size_t(pos) >= s_.size()) return false;
        const Char c = charAt(s_, std::size_t(pos));
        switch (in.op) {
        case kOpChar:
            if (c.code != in.a) return false;
            break;
        case kOpAny:
            if (c.code == kLineBreak) return false;
            break;
        case kOpSet:
            if (!setHolds(in, c.code)) return false;
            break;
        default:
            return false;
        }
        next = pos + c.length;
        return true;
    }

    void note(Attempt& at, int pos, const Inst& in, int matched = 0) const {
        if (!diagnose_) return;
        const int progress = in.offset + matched;
        if (progress > at.progress || (progress == at.progress && pos > at.furthest)) {
            at.progress = progress;
            at.furthest = pos;
            at.furthestOffset = in.offset;
        }
    }

    const ParsedPattern& p_;
    const Program& prog_;
    std::string_view s_;
    long limit_;
    bool diagnose_;
    bool memo_ = false;
    std::size_t tableWords_ = 0;
    long tableAfter_ = 0;
    std::vector<std::uint64_t> visited_;
    std::vector<std::size_t> touched_;
    std::vector<Frame> stack_;
    std::vector<int> runs_;  // the ends of open repeats, for Repeat frames
    std::vector<int> seps_;
    std::vector<int> regs_;
};

void addFirstBytes(const Program& prog, const ParsedPattern& p, const Inst& in, bool* set) {
    const auto addCode = [&](std::uint32_t code) { set[code > 0xFF ? code >> 8 : code] = true; };
    switch (in.op) {
    case kOpChar:
        addCode(in.a);
        return;
    case kOpString:
        set[static_cast<unsigned char>(prog.pool[in.a])] = true;
        return;
    case kOpSet: {
        const PatternNode& n = p.nodes[in.a];
        if (n.negated) {
            for (int b = 0; b < 256; ++b) set[b] = set[b] || b != '\n';
            return;
        }
        for (std::uint32_t range : n.set) {
            const std::uint32_t low = range >> 16;
            const std::uint32_t high = range & 0xFFFF;
            // A range from a single byte up to a double-byte character
            // takes in every byte above the low one.
            const std::uint32_t from = low > 0xFF ? low >> 8 : low;
            const std::uint32_t to = high <= 0xFF ? high : low <= 0xFF ? 0xFF : high >> 8;
            for (std::uint32_t b = from; b <= to && b < 256; ++b) set[b] = true;
        }
        return;
    }
    default:  // kOpAny
        for (int b = 0; b < 256; ++b) set[b] = set[b] || b != '\n';
        return;
    }
}

StartFilter startFilter(const Program& prog, const ParsedPattern& p) {
    StartFilter f;
    if (prog.code.empty()) return f;
    // Walk what the first step can do, with or without a "^" passed.
    std::vector<std::uint8_t> seen(prog.code.size() * 2, 0);
    std::vector<std::pair<std::uint32_t, bool>> todo{{0, false}};
    bool unanchored = false;
    while (!todo.empty() && !f.anywhere) {
        const auto [pc, anchored] = todo.back();
        todo.pop_back();
        if (pc >= prog.code.size() || seen[pc * 2 + anchored]) continue;
        seen[pc * 2 + anchored] = 1;
        const Inst& in = prog.code[pc];
        switch (in.op) {
        case kOpChar:
        case kOpString:
        case kOpAny:
        case kOpSet:
            addFirstBytes(prog, p, in, anchored ? f.firstAtLineStart : f.first);
            if (!anchored) unanchored = true;
            break;
        case kOpLineStart:
            todo.push_back({pc + 1, true});
            break;
        case kOpLineEnd:
            (anchored ? f.firstAtLineStart : f.first)[static_cast<unsigned char>('\n')] = true;
            f.atEnd = true;
            if (!anchored) unanchored = true;
            break;
        case kOpTyped:
            break;
        case kOpSplit:
            todo.push_back({in.b, anchored});
            todo.push_back({in.a, anchored});
            break;
        case kOpJump:
            todo.push_back({in.a, anchored});
            break;
        case kOpRepeat:  // the element, or none of it
            todo.push_back({pc + 2, anchored});
            todo.push_back({pc + 1, anchored});
            break;
        case kOpMatch:
            if (anchored)
                f.emptyAtLineStart = true;
            else
                f.anywhere = true;
            break;
        default:  // separators and pass bookkeeping take no character
            todo.push_back({pc + 1, anchored});
            break;
        }
    }
    f.lineStartsOnly = !f.anywhere && !unanchored;
    return f;
}

// The offset of the first element that takes a character or tests a place.
int firstElementOffset(const Program& prog) {
    for (const Inst& in : prog.code) {
        switch (in.op) {
        case kOpChar:
        case kOpString:
        case kOpAny:
        case kOpSet:
        case kOpLineStart:
        case kOpLineEnd:
        case kOpTyped:
            return in.offset;
        default:
            break;
        }
    }
    return 0;
}

int charactersBetween(std::string_view s, int from, int to) {
    int n = 0;
    for (std::size_t i = std::size_t(from); i < std::size_t(to) && i < s.size();
         i += std::size_t(charAt(s, i).length))
        ++n;
    return n;
}

// What the top level's plain characters say of every match, when the top
// level has no alternatives.
struct MatchBytes {
    // The longest run of bytes every match holds: consecutive plain
    // characters, which places that take no character (separators, line
    // anchors) do not interrupt.
    std::string required;
    // The run of plain characters that opens the pattern: every match starts with it.
    std::string leading;
};

MatchBytes matchBytes(const ParsedPattern& p) {
    MatchBytes out;
    const PatternNode& root = p.nodes[0];
    if (root.kind != kAlt || root.children.size() != 1) return out;
    const PatternNode& seq = p.nodes[std::size_t(root.children[0])];
    if (seq.kind != kSeq) return out;
    std::string run;
    bool opening = true;  // every child so far a plain character
    for (int c : seq.children) {
        const PatternNode& n = p.nodes[std::size_t(c)];
        if (n.kind == kLiteral) {
            appendCharacter(run, n.code);
            continue;
        }
        if (opening) out.leading = run;
        opening = false;
        if (n.kind == kSeparator || n.kind == kLineStart || n.kind == kLineEnd) continue;
        if (run.size() > out.required.size()) out.required = run;
        run.clear();
    }
    if (opening) out.leading = run;
    if (run.size() > out.required.size()) out.required = run;
    return out;
}

// The first character boundary at or after `from` (a boundary) where
// `bytes` stand, or the text's end. A byte below 0x40 is neither a lead nor
// a trail byte, so a boundary follows it: the walk to a place found starts
// at the last such byte before it.
std::size_t nextOccurrence(std::string_view s, std::size_t from, std::string_view bytes) {
    for (;;) {
        const std::size_t found = s.find(bytes, from);
        if (found == std::string_view::npos) return s.size();
        std::size_t at = found;
        while (at > from && static_cast<unsigned char>(s[at - 1]) >= 0x40) --at;
        while (at < found) at += std::size_t(charAt(s, at).length);
        if (at == found) return found;
        from = at;  // the bytes began inside a character
    }
}

// The next start after a failed one, given the start's next character at
// `next`: past the run of a repetition that opens the pattern when that run
// reached `next`, since a start inside it would try only a part of what this
// one tried. Beyond the sample's end when the run reached the end.
std::size_t pastLeadingRun(std::string_view s, int runEnd, std::size_t next) {
    if (runEnd < int(next)) return next;
    if (std::size_t(runEnd) >= s.size()) return s.size() + 1;
    return std::size_t(runEnd) + std::size_t(charAt(s, std::size_t(runEnd)).length);
}

}  // namespace

struct CompiledMatch {
    Program prog;
    StartFilter filter;
    MatchBytes bytes;
};

namespace {

std::shared_ptr<const CompiledMatch> compileMatch(const ParsedPattern& pattern, bool plain = false) {
    auto c = std::make_shared<CompiledMatch>();
    c->prog.plain = plain;
    Compiler(pattern, c->prog).compile();
    if (c->prog.tooLarge) {
        c->prog = Program();
        c->prog.compact = true;
        c->prog.plain = plain;
        Compiler(pattern, c->prog).compile();
    }
    c->filter = startFilter(c->prog, pattern);
    c->bytes = matchBytes(pattern);
    return c;
}

MatchResult runMatch(const ParsedPattern& pattern, std::string_view sample, long stepLimit,
                     bool diagnose, bool useMemo) {
    MatchResult r;
    if (pattern.fault != PatternFault::None) {
        r.outcome = MatchOutcome::Fault;
        r.faultOffset = pattern.faultOffset;
        return r;
    }
    if (pattern.text.empty() || pattern.nodes.empty()) return r;
    const std::shared_ptr<const CompiledMatch> compiled =
        !useMemo ? compileMatch(pattern, true) : pattern.compiled ? pattern.compiled : compileMatch(pattern);
    const Program& prog = compiled->prog;
    const StartFilter& filter = compiled->filter;

    // First the answer, with the states of every start shared. Starts the
    // first character rules out are not tried: they would fail at once; a
    // sample without the bytes every match holds is not searched at all.
    // The search without the state table takes no short cut and runs every
    // repetition as a loop, so that tests can hold the two against each
    // other.
    const MatchBytes& bytes = compiled->bytes;
    const bool absent = useMemo && !bytes.required.empty() && sample.find(bytes.required) == std::string_view::npos;
    // Where the next start can be: at the bytes every match starts with, or
    // as the first character allows.
    const bool seekLeading = useMemo && !bytes.leading.empty();
    const auto nextStart = [&](std::size_t from) {
        return seekLeading ? nextOccurrence(sample, from, bytes.leading) : filter.next(sample, from);
    };
    Machine m(pattern, prog, sample, stepLimit, useMemo, false);
    for (std::size_t start = absent ? 0 : nextStart(0); !absent;) {
        Attempt at = m.run(int(start), true);
        if (at.tooComplex) {
            r.outcome = MatchOutcome::TooComplex;
            r.neededTypedPosition = m.reachedTyped;
            return r;
        }
        if (at.matched) {
            r.outcome = MatchOutcome::Matched;
            r.match = {int(start), at.end};
            int from = int(start);
            for (int sep : at.separators) {
                r.parts.push_back({from, sep});
                from = sep;
            }
            r.parts.push_back({from, at.end});
            r.neededTypedPosition = m.reachedTyped;
            return r;
        }
        if (start >= sample.size()) break;
        std::size_t after = start + std::size_t(charAt(sample, start).length);
        if (useMemo) after = pastLeadingRun(sample, at.leadingRunEnd, after);
        if (after > sample.size()) break;
        start = nextStart(after);
    }
    r.outcome = MatchOutcome::NoMatch;
    r.neededTypedPosition = m.reachedTyped;
    if (!diagnose) return r;

    // Then, for a no-match, how far each start got, on a budget of its own;
    // when that runs out the best so far is the answer. "How far" is first
    // how far into the pattern, since a ".*" reaches the line's end from
    // every start and says nothing.
    Machine d(pattern, prog, sample, stepLimit, useMemo, true);
    int bestProgress = -1;
    int bestChars = -1;
    // When no start gets past the first element, it is the one that failed.
    r.bestAttempt = {0, 0};
    r.failedAtPatternOffset = prog.code.empty() ? 0 : firstElementOffset(prog);
    for (std::size_t start = 0;;) {
        if (!filter.canStart(sample, start)) {
            if (start >= sample.size()) break;
            start += std::size_t(charAt(sample, start).length);
            continue;
        }
        const Attempt at = d.run(int(start), false);
        if (at.tooComplex) break;
        if (at.furthest >= 0) {
            const int chars = charactersBetween(sample, int(start), at.furthest);
            if (at.progress > bestProgress || (at.progress == bestProgress && chars > bestChars)) {
                bestProgress = at.progress;
                bestChars = chars;
                r.bestAttempt = {int(start), at.furthest};
                r.failedAtPatternOffset = at.furthestOffset;
            }
        }
        if (start >= sample.size()) break;
        // A start inside the run of an opening repetition cannot get further
        // than this one, and it starts later.
        start += std::size_t(charAt(sample, start).length);
        if (useMemo) start = pastLeadingRun(sample, at.leadingRunEnd, start);
        if (start > sample.size()) break;
    }
    return r;
}

// The element of the pattern that starts at `offset`: its text.
std::string_view elementAt(const ParsedPattern& p, int offset) {
    // The smallest node that starts there is what failed; strings are the
    // runs the machine compared, so widen a literal to its run of siblings.
    for (const PatternNode& n : p.nodes) {
        if (n.kind != kSeq) continue;
        for (std::size_t i = 0; i < n.children.size(); ++i) {
            const PatternNode& c = p.nodes[std::size_t(n.children[i])];
            if (c.offset != offset) continue;
            if (c.kind != kLiteral)
                return std::string_view(p.text).substr(std::size_t(c.offset),
                                                       std::size_t(c.length));
            int end = c.offset + c.length;
            for (std::size_t j = i + 1; j < n.children.size(); ++j) {
                const PatternNode& l = p.nodes[std::size_t(n.children[j])];
                if (l.kind != kLiteral) break;
                end = l.offset + l.length;
            }
            return std::string_view(p.text).substr(std::size_t(offset),
                                                   std::size_t(end - offset));
        }
    }
    return {};
}

}  // namespace

// ---------------------------------------------------------------- interface

ParsedPattern parseMatchPattern(std::string_view pattern) {
    ParsedPattern p;
    p.text = std::string(pattern.substr(0, std::min(pattern.find('\0'), pattern.size())));
    p.empty = p.text.empty();
    if (p.empty) return p;
    Reader(p).read();
    if (p.fault != PatternFault::None) {
        p.nodes.clear();
        return p;
    }
    p.maxSeparatorsOnPath = separatorsOnPath(p, 0);
    p.compiled = compileMatch(p);
    return p;
}

std::string patternFaultText(PatternFault fault) {
    switch (fault) {
    case PatternFault::None:
        return "";
    case PatternFault::LoneBackslash:
        return "\\ の後に文字がない";
    case PatternFault::UnclosedGroup:
        return "閉じていない (";
    case PatternFault::UnopenedGroup:
        return "開いていない )";
    case PatternFault::UnclosedBracket:
        return "閉じていない [";
    case PatternFault::NothingToRepeat:
        return "繰り返すものがない";
    case PatternFault::ReversedRange:
        return "範囲の前後が逆";
    case PatternFault::EscapeInBracket:
        return "[ ] の中では使えない \\f・\\v";
    }
    return "";
}

int characterNumberAt(std::string_view text, int byteOffset) {
    int n = 1;
    for (std::size_t i = 0; i < text.size() && int(i) < byteOffset;
         i += std::size_t(charAt(text, i).length))
        ++n;
    return n;
}

// Positions as the field shows them: every `\n` escape ends a shown line
// (the field puts a break after each once edited), and characters are
// counted from the start of their line, a double-byte character once.
// A fault on the first line is "12 文字目", one further down "2 行目 5 文字目".
std::string matchPatternCheckLine(std::string_view pattern) {
    const ParsedPattern p = parseMatchPattern(pattern);
    if (p.fault == PatternFault::None) {
        return "OK " + std::to_string(countPatternLines(p.text) + 1) + " 行・区切り " +
               std::to_string(p.separators);
    }
    int line = 1;
    int column = 1;
    const std::string_view t(p.text);
    for (std::size_t i = 0; i < t.size() && int(i) < p.faultOffset;) {
        if (t[i] == '\\' && i + 1 < t.size() && t[i + 1] == 'n' && int(i + 2) <= p.faultOffset) {
            i += 2;
            ++line;
            column = 1;
            continue;
        }
        if (t[i] == '\\' && i + 1 < t.size()) {
            i += 1 + std::size_t(charAt(t, i + 1).length);
            column += 2;
            continue;
        }
        i += std::size_t(charAt(t, i).length);
        ++column;
    }
    std::string where = std::to_string(column) + " 文字目: ";
    if (line > 1) where = std::to_string(line) + " 行目 " + where;
    return where + patternFaultText(p.fault);
}

MatchResult matchPattern(const ParsedPattern& pattern, std::string_view sample, long stepLimit) {
    return runMatch(pattern, sample, stepLimit, true, true);
}

MatchResult matchPattern(std::string_view pattern, std::string_view sample, long stepLimit) {
    return matchPattern(parseMatchPattern(pattern), sample, stepLimit);
}

MatchResult findMatch(const ParsedPattern& pattern, std::string_view sample, long stepLimit) {
    return runMatch(pattern, sample, stepLimit, false, true);
}

MatchResult matchPatternUnmemoised(const ParsedPattern& pattern, std::string_view sample,
                                   long stepLimit) {
    return runMatch(pattern, sample, stepLimit, true, false);
}

std::string formatMatchAnswer(const MatchResult& r) {
    switch (r.outcome) {
    case MatchOutcome::NoMatch:
        return "none";
    case MatchOutcome::Fault:
        return "error " + std::to_string(r.faultOffset);
    case MatchOutcome::TooComplex:
        return "complex";
    case MatchOutcome::Matched:
        break;
    }
    std::string out = std::to_string(r.match.start) + " " + std::to_string(r.match.end);
    for (const SampleSpan& p : r.parts)
        out += " " + std::to_string(p.start) + " " + std::to_string(p.end);
    return out;
}

std::string normaliseLineBreaks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r') {
            out += '\n';
            if (i + 1 < text.size() && text[i + 1] == '\n') ++i;
        } else {
            out += text[i];
        }
    }
    return out;
}

namespace {

// Whether the node can match the empty string at a place whose line start
// and line end are as given. \v cannot: it matches at one place, the typed
// position, not everywhere.
bool emptyAt(const ParsedPattern& p, int index, bool lineStart, bool lineEnd) {
    const PatternNode& n = p.nodes[std::size_t(index)];
    switch (n.kind) {
    case kLineStart:
        return lineStart;
    case kLineEnd:
        return lineEnd;
    case kSeparator:
    case kStar:
    case kQuest:
        return true;
    case kPlus:
        return emptyAt(p, n.children[0], lineStart, lineEnd);
    case kSeq:
        for (int c : n.children)
            if (!emptyAt(p, c, lineStart, lineEnd)) return false;
        return true;
    case kAlt:
        for (int c : n.children)
            if (emptyAt(p, c, lineStart, lineEnd)) return true;
        return false;
    default:
        return false;
    }
}

}  // namespace

// Inside a line with text: at its start, in its middle or at its end, but
// not both at once, which only an empty line is ("^$").
bool matchesEmptyInsideLine(const ParsedPattern& pattern) {
    if (pattern.fault != PatternFault::None || pattern.empty || pattern.nodes.empty())
        return false;
    return emptyAt(pattern, 0, true, false) || emptyAt(pattern, 0, false, false) ||
           emptyAt(pattern, 0, false, true);
}

LineRange linesOfSpan(std::string_view sample, SampleSpan span) {
    const auto lineAt = [&](int offset) {
        const std::size_t end = std::min(sample.size(), std::size_t(std::max(0, offset)));
        return 1 + int(std::count(sample.begin(), sample.begin() + std::ptrdiff_t(end), '\n'));
    };
    LineRange r;
    r.first = lineAt(span.start);
    // A match that ends just after a line break ends on that line.
    int last = span.end;
    if (span.end > span.start && std::size_t(span.end) <= sample.size() &&
        sample[std::size_t(span.end) - 1] == '\n')
        --last;
    r.last = std::max(r.first, lineAt(last));
    return r;
}

std::vector<std::string> partTexts(std::string_view sample, const MatchResult& result) {
    std::vector<std::string> parts(10);
    if (result.outcome != MatchOutcome::Matched) return parts;
    for (std::size_t i = 0; i < result.parts.size() && i < parts.size(); ++i) {
        const SampleSpan s = result.parts[i];
        const std::size_t from = std::min(sample.size(), std::size_t(std::max(0, s.start)));
        const std::size_t to = std::min(sample.size(), std::size_t(std::max(s.start, s.end)));
        parts[i] = std::string(sample.substr(from, to - from));
    }
    return parts;
}

namespace {

// The title code walked element by element; every read checked against the
// field. False when the code runs off its field or holds a bad opcode.
class TitleWalk {
public:
    TitleWalk(const std::uint8_t* code, int size, const std::vector<std::string>& parts)
        : code_(code), size_(std::size_t(std::max(0, size))), parts_(parts) {}

    bool run(std::string& out) { return sequence(out, End); }

    int highestPart = -1;  // the largest \N anywhere in the code, sub-patterns too

private:
    bool byte(std::uint8_t& b) {
        if (pos_ >= size_) return false;
        b = code_[pos_++];
        return true;
    }
    bool skip(std::size_t n) {
        if (size_ - pos_ < n) return false;
        pos_ += n;
        return true;
    }
    bool text(std::string& cp932) {
        std::uint8_t len = 0;
        if (!byte(len) || size_ - pos_ < len) return false;
        cp932.assign(reinterpret_cast<const char*>(code_ + pos_), len);
        pos_ += len;
        return true;
    }

    // What the terminal fills in is shown as the element's text form; the
    // renderer gives that form for one element at a time.
    bool bracketed(std::size_t from, std::string& out) {
        std::vector<std::uint8_t> one(code_ + from, code_ + pos_);
        one.push_back(End);
        char area[kRenderAreaSize];
        const int n = renderPattern(one.data(), int(one.size()), area);
        if (n < 0) return false;
        out += "[端末: " + cp932ToUtf8(std::string_view(area, std::size_t(n - 1))) + "]";
        return true;
    }

    bool subPattern() {
        std::string ignored;
        return sequence(ignored, SubEnd);
    }

    bool sequence(std::string& out, std::uint8_t end) {
        for (;;) {
            const std::size_t from = pos_;
            std::uint8_t op = 0;
            if (!byte(op)) return false;
            if (op == End || op == SubEnd) return op == end;
            std::string s;
            switch (op) {
            case TextRun:
                if (!text(s)) return false;
                if (end == End) out += cp932ToUtf8(s);
                break;
            case PartRef: {
                std::uint8_t digit = 0;
                if (!byte(digit)) return false;
                const int n = digit - '0';
                highestPart = std::max(highestPart, n);
                if (end == End && n >= 0 && n < int(parts_.size()))
                    out += cp932ToUtf8(parts_[std::size_t(n)]);
                break;
            }
            case Pos2:
                if (!skip(2)) return false;
                break;
            case Pos3:
                if (!skip(3)) return false;
                break;
            case Quoted0:
            case Quoted1:
            case Quoted2:
                if (!text(s) || !skip(5 + std::size_t(op - Quoted0))) return false;
                break;
            case SSub:
                if (!subPattern() || !text(s) || !skip(1)) return false;
                break;
            case RSub:
                if (!subPattern() || !text(s) || !skip(5)) return false;
                break;
            case SNum:
                if (!skip(2) || !text(s) || !skip(1)) return false;
                break;
            case RNum:
                if (!skip(2) || !text(s) || !skip(6)) return false;
                break;
            case PSub:
                if (!subPattern() || !skip(2)) return false;
                break;
            case Transparent:
                break;
            default:
                return false;
            }
            if (end == End && op != TextRun && op != PartRef && !bracketed(from, out))
                return false;
        }
    }

    const std::uint8_t* code_;
    std::size_t size_;
    std::size_t pos_ = 0;
    const std::vector<std::string>& parts_;
};

}  // namespace

std::string titlePreview(const std::uint8_t* titleCode, int fieldSize,
                         const std::vector<std::string>& parts) {
    std::string out;
    if (titleCode == nullptr || fieldSize <= 0) return out;
    if (!TitleWalk(titleCode, fieldSize, parts).run(out)) return "(タイトルのコードが壊れています)";
    return out;
}

int highestPartReference(const std::uint8_t* titleCode, int fieldSize) {
    if (titleCode == nullptr || fieldSize <= 0) return -1;
    static const std::vector<std::string> kNoParts;
    TitleWalk walk(titleCode, fieldSize, kNoParts);
    std::string ignored;
    walk.run(ignored);
    return walk.highestPart;
}

std::string describeNoMatch(std::string_view pattern, std::string_view sample,
                            const MatchResult& result) {
    const ParsedPattern p = parseMatchPattern(pattern);
    if (result.outcome != MatchOutcome::NoMatch || result.failedAtPatternOffset < 0)
        return "一致しません";
    std::string where;
    const std::size_t end = std::size_t(std::max(0, result.bestAttempt.end));
    if (result.bestAttempt.end <= result.bestAttempt.start)
        where = "1 文字も一致しない";
    else if (end >= sample.size())
        where = "最後まで一致";
    else if (sample[end] == '\n')
        where = "行末まで一致";
    else
        where = "「" + cp932ToUtf8(sample.substr(end, std::size_t(charAt(sample, end).length))) +
                "」の前まで一致";
    const std::string_view element = elementAt(p, result.failedAtPatternOffset);
    return where + ": `" + cp932ToUtf8(p.text) + "` の `" + cp932ToUtf8(element) + "` で不一致";
}

}  // namespace lumaset
