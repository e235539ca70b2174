// Document -> text. Each field is written in its clean form when building
// that form gives the stored bytes back, and in a form that keeps the bytes
// otherwise; fields at the values a new syntax gets are left out.
#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <string>

#include "pattern/derived_fields.h"
#include "pattern/pattern_code.h"
#include "tools/tagtool/code_walk.h"
#include "tools/tagtool/hex.h"
#include "tools/tagtool/message_mute.h"
#include "tools/tagtool/syntax_text.h"
#include "tools/tagtool/text_value.h"

namespace lumaset {

namespace {

constexpr int kTitleCodeLimit = kTitleCodeSize - 1;  // the property pane's limit
constexpr int kIndexNameLimit = kIndexNameSize - 2;  // the index dialog's limit

// Bytes from start up to the last non-zero byte of the field, as hex.
std::string nonZeroHex(const std::uint8_t* field, int start, int width) {
    int end = width;
    while (end > start && field[end - 1] == 0) --end;
    return end > start ? formatHex(field + start, std::size_t(end - start)) : std::string();
}

bool allZero(const std::uint8_t* p, int n) {
    return std::all_of(p, p + n, [](std::uint8_t b) { return b == 0; });
}

// A NUL-terminated text field with what else it holds. limit is what a
// person may write; the rest is only kept.
std::string textField(const char* field, int width, int limit, ValueStyle style = ValueStyle::Field) {
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(field);
    const std::string_view text = fieldText(field, std::size_t(width));
    if (int(text.size()) == width) return "\"" + escapedText(text) + "\" (no NUL)";
    const std::string tail = nonZeroHex(bytes, int(text.size()) + 1, width);
    if (!tail.empty()) return "\"" + escapedText(text) + "\" (after NUL: " + tail + ")";
    if (int(text.size()) > limit) return "\"" + escapedText(text) + "\" (as stored)";
    return formatValue(text, style);
}

// A code field: its pattern text when compiling that text gives the code
// back within the limit, else the raw bytes. Empty for an all-zero field.
std::string codeField(const std::uint8_t* code, int width, int limit) {
    if (allZero(code, width)) return std::string();
    const int length = patternCodeLength(code, width);
    std::array<char, kRenderAreaSize> text{};
    std::array<std::uint8_t, kCompileAreaSize> again{};
    const bool exact = length > 0 && length <= limit && renderPattern(code, width, text.data()) > 0 &&
                       compilePattern(text.data(), again.data()) == length &&
                       std::memcmp(again.data(), code, std::size_t(length)) == 0;
    if (!exact) return "[" + nonZeroHex(code, 0, width) + "]";
    const std::string tail = nonZeroHex(code, length, width);
    if (!tail.empty()) return "\"" + escapedText(text.data()) + "\" (after the code: " + tail + ")";
    return formatValue(text.data(), ValueStyle::Code);
}

class SourceWriter {
public:
    SourceWriter(const Document& doc, std::ostream& out) : doc_(doc), out_(out) {}

    void write() {
        chooseTreeItemDefault();
        if (numberedTreeItems_) {
            out_ << "treeItems numbered\n";
            started_ = true;
        }
        for (int i = 0; i < doc_.syntaxCount(); ++i) writeRecord(i);
        for (int i = 0; i < doc_.indexCount(); ++i) writeIndex(*doc_.indexAt(i));
        writeMemo();
    }

private:
    // The tree view numbers its items from record 2 on when it fills; a file
    // the editor saved holds those numbers, a file from text holds zeros.
    static std::uint32_t numberedSlot(int position) {
        return position >= kRootRecord ? std::uint32_t(position - 1) : 0;
    }
    std::uint32_t defaultSlot(int position) const { return numberedTreeItems_ ? numberedSlot(position) : 0; }

    void chooseTreeItemDefault() {
        int numbered = 0, zero = 0;
        for (int i = 0; i < doc_.syntaxCount(); ++i) {
            const std::uint32_t slot = treeItemSlot(*doc_.syntaxAt(i));
            numbered += slot == numberedSlot(i);
            zero += slot == 0;
        }
        numberedTreeItems_ = numbered > zero;
    }

    // The record that building a block with only its name and depth gives.
    SyntaxRecord baseline(int position, const SyntaxRecord& r) const {
        SyntaxRecord b = blankSystemRecord();
        std::memcpy(b.name, r.name, kNameSize);
        b.depth = r.depth;
        setTreeItemSlot(b, defaultSlot(position));
        return b;
    }

    // Blocks are set apart by a blank line.
    void blankLine() {
        if (started_) out_ << "\n";
        started_ = true;
    }

    void attribute(const char* key, const std::string& value) { out_ << "  " << key << " " << value << "\n"; }
    void number(const char* key, unsigned value, unsigned usual) {
        if (value != usual) attribute(key, std::to_string(value));
    }
    // A flag: the bare key for 1, the key with the value for anything else.
    void flag(const char* key, std::uint8_t value) {
        if (value == 1) out_ << "  " << key << "\n";
        else if (value != 0) attribute(key, std::to_string(value));
    }
    void text(const char* key, const char* field, int width) {
        if (!allZero(reinterpret_cast<const std::uint8_t*>(field), width))
            attribute(key, textField(field, width, width - 1));
    }
    void code(const char* key, const std::uint8_t* field, int width, int limit) {
        const std::string value = codeField(field, width, limit);
        if (!value.empty()) attribute(key, value);
    }

    // Whether the record is what building a text without its system block
    // gives. The writer numbers message formats itself, so the stored
    // ordinal does not count.
    bool isBlankSystemRecord(int position, const SyntaxRecord& r) const {
        Document fresh;
        SyntaxRecord expected = *fresh.syntaxAt(position);
        setTreeItemSlot(expected, defaultSlot(position));
        SyntaxRecord actual = r;
        actual.messageFormatOrdinal = expected.messageFormatOrdinal;
        return r.messageFormat.kind == kNotMessage &&
               std::memcmp(&expected, &actual, kStoredSyntaxRecordSize) == 0;
    }

    void writeRecord(int position) {
        const SyntaxRecord& r = *doc_.syntaxAt(position);
        const std::string name = textField(r.name, kNameSize, kNameSize - 1);
        if (position < kSystemRecordCount) {
            if (isBlankSystemRecord(position, r)) return;
            blankLine();
            out_ << "system " << position << " " << name << "\n";
            number("depth", r.depth, 0);
        } else {
            const bool odd = depthProblem(*doc_.syntaxAt(position - 1), r.depth) != nullptr;
            blankLine();
            out_ << "syntax " << int(r.depth) << (odd ? "! " : " ") << name << "\n";
        }
        const SyntaxRecord base = baseline(position, r);
        text("pattern", r.pattern, kPatternSize);
        text("exit", r.exitPattern, kExitPatternSize);
        number("lines", r.colourLines, base.colourLines);
        flag("interrupting", r.interrupting);
        flag("jump-to-child", r.jumpToChild);
        code("title", r.titleCode, kTitleCodeSize, kTitleCodeLimit);
        writeMessageFormat(r.messageFormat);
        writeStoredOnly(position, r, base);
    }

    void writeMessageFormat(const MessageFormat& m) {
        // Only a message syntax's format reaches the file.
        if (m.kind == kNotMessage) return;
        if (m.kind == kMessageNumberChecked) attribute("message", "checked");
        else if (m.kind == kMessageNumberUnchecked) attribute("message", "unchecked");
        else attribute("message", std::to_string(m.kind));
        code("number", m.numberCode, kMessageCodeSize, kMessageCodeSize);
        flag("check-date", m.checkDate);
        code("date", m.dateCode, kMessageCodeSize, kMessageCodeSize);
        flag("allow-comment", m.allowComment);
        code("comment", m.commentCode, kMessageCodeSize, kMessageCodeSize);
        flag("up-arrow-comment", m.upArrowIsComment);
        const std::string reserved = nonZeroHex(m.reserved, 0, int(sizeof m.reserved));
        if (!reserved.empty()) attribute("reserved", reserved);
        number("reservedWord", unsigned(m.reservedWord[0]) | unsigned(m.reservedWord[1]) << 8, 0);
    }

    // Derived fields that differ from what the editor computes, and bytes
    // that mean nothing to it, so that the file comes back as it was.
    void writeStoredOnly(int position, const SyntaxRecord& r, const SyntaxRecord& base) {
        // Only whether it is a system record matters to the derivation.
        const int at = std::min(position, kFirstUserRecord);
        while (scratch_.syntaxCount() <= at) scratch_.insertSyntax(scratch_.syntaxCount(), blankSystemRecord());
        SyntaxRecord& derived = *scratch_.syntaxAt(at);
        derived = r;
        std::memset(derived.patternNoSep, 0, kPatternNoSepSize);
        {
            MessageMute mute;  // a damaged title is the editor's to report, not ours
            deriveRecordFields(scratch_, at);
        }
        number("patternLines", r.patternLines, derived.patternLines);
        number("titleMaxSecond", r.titleMaxSecond, derived.titleMaxSecond);
        if (std::memcmp(r.patternNoSep, derived.patternNoSep, kPatternNoSepSize) != 0)
            attribute("patternNoSep", textField(r.patternNoSep, kPatternNoSepSize, kPatternNoSepSize - 1));
        number("legacyTitleSeparator", r.legacyTitleSeparator, base.legacyTitleSeparator);
        number("reservedA", r.reservedA, base.reservedA);
        number("reservedB", r.reservedB, base.reservedB);
        number("reservedC", r.reservedC, base.reservedC);
        number("treeItem", treeItemSlot(r), treeItemSlot(base));
    }

    // Positions named as the text names them: by name, with the occurrence
    // when the name is not unique.
    std::string memberName(int position) const {
        const std::string_view name = fieldText(doc_.syntaxAt(position)->name, kNameSize);
        int occurrence = 0, total = 0;
        for (int i = kFirstUserRecord; i < doc_.syntaxCount(); ++i) {
            if (fieldText(doc_.syntaxAt(i)->name, kNameSize) != name) continue;
            ++total;
            if (i <= position) ++occurrence;
        }
        if (total == 1) return formatValue(name, ValueStyle::Field);
        return "\"" + escapedText(name) + "\" #" + std::to_string(occurrence);
    }

    void writeIndex(const IndexEntry& e) {
        blankLine();
        out_ << "index " << textField(e.name, kIndexNameSize, kIndexNameLimit) << "\n";
        bool clean = e.memberCount <= kIndexMemberSlots;
        for (int m = 0; clean && m < e.memberCount; ++m) {
            clean = e.members[m] >= kFirstUserRecord && e.members[m] < doc_.syntaxCount() &&
                    (m == 0 || e.members[m] > e.members[m - 1]);
        }
        if (!clean) {
            attribute("members", std::to_string(e.memberCount) + ": " + nonZeroHex(e.members, 0, kIndexMemberSlots));
            return;
        }
        for (int m = 0; m < e.memberCount; ++m) attribute("member", memberName(e.members[m]));
        const std::string unused = nonZeroHex(e.members, e.memberCount, kIndexMemberSlots);
        if (!unused.empty()) attribute("unused", unused);
    }

    // Lines as the memo pane breaks them (CR LF). A memo with anything a
    // plain line cannot carry is written escaped throughout.
    void writeMemo() {
        if (!doc_.hasMemo()) return;
        const std::string_view memo = doc_.memoText();
        std::vector<std::string_view> lines;
        std::size_t start = 0;
        for (;;) {
            const std::size_t end = memo.find("\r\n", start);
            lines.push_back(memo.substr(start, end == std::string_view::npos ? end : end - start));
            if (end == std::string_view::npos) break;
            start = end + 2;
        }
        if (memo.empty()) lines.clear();
        const bool escaped = !std::all_of(lines.begin(), lines.end(),
                                          [](std::string_view l) { return isLiteral(l, ValueStyle::Line); });
        blankLine();
        out_ << "memo" << (escaped ? " escaped" : "") << "\n";
        for (const std::string_view line : lines) {
            if (escaped) out_ << escapedText(line) << "\n";
            else out_ << formatValue(line, ValueStyle::Line) << "\n";
        }
    }

    const Document& doc_;
    std::ostream& out_;
    bool numberedTreeItems_ = false;
    bool started_ = false;
    Document scratch_;
};

}  // namespace

void writeSyntaxText(const Document& doc, std::ostream& out) { SourceWriter(doc, out).write(); }

}  // namespace lumaset
