// Text -> document, through the editor's own compiler and derived fields.
// The checks are the editor's, each reported where it applies; the forms
// that only `tagtool source` writes for file-only values are taken as they
// stand.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <map>
#include <optional>
#include <set>
#include <string>

#include "document/tag_file.h"
#include "pattern/derived_fields.h"
#include "pattern/pattern_code.h"
#include "tools/tagtool/message_mute.h"
#include "tools/tagtool/syntax_text.h"
#include "tools/tagtool/text_value.h"

namespace lumaset {

namespace {

constexpr int kTitleCodeLimit = kTitleCodeSize - 1;  // the property pane refuses 120 and more
constexpr int kIndexNameLimit = kIndexNameSize - 2;  // the index dialog's limit
constexpr int kMaxSyntaxes = kMaxSyntaxCount;
constexpr char kNoNul[] = "(no NUL)";
constexpr char kAsStored[] = "(as stored)";
constexpr char kAfterNul[] = "(after NUL: ";
constexpr char kAfterCode[] = "(after the code: ";

struct Problem {
    int line;
    int offset;  // byte offset in the line
    std::string message;
};

// What a syntax block says beyond the record's own bytes, applied once every
// record is in place.
struct PendingRecord {
    int line = 0;
    int depthOffset = 0;
    bool unchecked = false;       // "3!": the depth is taken as it stands
    bool depthReported = false;
    std::optional<std::uint8_t> patternLines, titleMaxSecond;
    std::optional<std::array<char, kPatternNoSepSize>> patternNoSep;
    std::optional<std::uint32_t> treeItem;
    int messageSettingLine = 0;  // first message-format setting, for a syntax that is no message syntax
    std::set<std::string> keys;
};

struct PendingMember {
    std::string name;
    int occurrence = 0;  // 0: the name must be unique
    int line = 0, offset = 0;
};

struct PendingIndex {
    IndexEntry entry{};
    int line = 0;
    bool raw = false;
    std::vector<PendingMember> members;
    std::vector<std::uint8_t> unused;
    int unusedLine = 0, unusedOffset = 0;
    std::set<std::string> keys;
};

bool startsWith(std::string_view s, std::string_view prefix) {
    return s.substr(0, prefix.size()) == prefix;
}

class TextBuilder {
public:
    TextBuilder(std::string_view text, const std::string& name, Document& doc, std::vector<std::string>& errors)
        : text_(text), name_(name), doc_(doc), errors_(errors) {}

    void run() {
        doc_.newDocument();
        splitLines();
        for (std::size_t n = 0; n < lines_.size() && !inMemo_; ++n) readLine(int(n));
        finishRecords();
        finishIndexes();
        storeIndexes();
        report();
    }

private:
    // --- lines --------------------------------------------------------------------
    void splitLines() {
        std::string_view rest = text_;
        if (startsWith(rest, "\xEF\xBB\xBF")) rest.remove_prefix(3);
        while (!rest.empty()) {
            const std::size_t end = rest.find('\n');
            std::string_view line = rest.substr(0, end);
            if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
            lines_.push_back(line);
            if (end == std::string_view::npos) break;
            rest.remove_prefix(end + 1);
        }
    }

    void problem(int line, int offset, std::string message) {
        problems_.push_back(Problem{line, offset, std::move(message)});
    }

    void readLine(int n) {
        const std::string_view line = lines_[std::size_t(n)];
        const std::size_t keyStart = line.find_first_not_of(" \t");
        if (keyStart == std::string_view::npos || line[0] == '#') return;
        // A tab after a key is a blank too: it looks like one in an editor.
        const std::size_t keyEnd = std::min(line.find_first_of(" \t", keyStart), line.size());
        const std::string key(line.substr(keyStart, keyEnd - keyStart));
        std::size_t valueStart = keyEnd;
        while (valueStart < line.size() && (line[valueStart] == ' ' || line[valueStart] == '\t')) ++valueStart;
        Field f{n, line, key, int(keyStart), int(valueStart), valueStart < line.size()};
        if (keyStart == 0) {
            topLevel(f);
        } else if (record_ != nullptr) {
            recordAttribute(f);
        } else if (index_ >= 0) {
            indexAttribute(f);
        } else {
            problem(n, f.keyOffset, "an indented line belongs to a syntax or an index");
        }
    }

    struct Field {
        int line;
        std::string_view text;
        std::string key;
        int keyOffset;
        int valueOffset;
        bool hasValue;
        // The value with the blanks at the line's end dropped.
        std::string_view value() const {
            std::string_view v = text.substr(std::size_t(valueOffset));
            while (!v.empty() && (v.back() == ' ' || v.back() == '\t')) v.remove_suffix(1);
            return v;
        }
    };

    // --- values ---------------------------------------------------------------------
    bool decode(const Field& f, int offset, DecodedValue& v) {
        ValueError e;
        if (decodeValue(f.text, offset, LineSyntax::Value, v, e)) return true;
        problem(f.line, e.column, e.message);
        return false;
    }

    bool number(const Field& f, std::uint32_t max, std::uint32_t& out) {
        const std::string_view v = f.value();
        const auto r = std::from_chars(v.data(), v.data() + v.size(), out);
        if (!f.hasValue || r.ec != std::errc() || r.ptr != v.data() + v.size() || out > max) {
            problem(f.line, f.valueOffset, f.key + " takes a number from 0 to " + std::to_string(max));
            return false;
        }
        return true;
    }

    void byteValue(const Field& f, std::uint8_t& field) {
        std::uint32_t n;
        if (number(f, 255, n)) field = std::uint8_t(n);
    }

    // A flag alone means 1; a number after it is stored as it is.
    void flagValue(const Field& f, std::uint8_t& field) {
        if (!f.hasValue) field = 1;
        else byteValue(f, field);
    }

    bool hexBytes(const Field& f, std::string_view text, int offset, std::size_t max, std::vector<std::uint8_t>& bytes) {
        int bad = 0;
        if (!parseHexBytes(text, offset, bytes, bad)) {
            problem(f.line, bad, "expected hex bytes such as 0A 3F");
            return false;
        }
        if (bytes.size() > max) {
            problem(f.line, offset, "more than " + std::to_string(max) + " bytes");
            return false;
        }
        return true;
    }

    // A text field: the value within the limit a person may write, or one of
    // the stored forms within the field's width.
    bool textField(const Field& f, int offset, char* field, int width, int limit, const std::string& what) {
        DecodedValue v;
        if (!decode(f, offset, v)) return false;
        const std::size_t nul = v.cp932.find('\0');
        if (nul != std::string::npos) {
            problem(f.line, v.columns[nul], what + " holds a NUL");
            return false;
        }
        std::vector<std::uint8_t> tail;
        std::size_t max = std::size_t(limit);
        if (v.suffix == kNoNul) {
            if (v.cp932.size() != std::size_t(width)) {
                problem(f.line, v.suffixColumn, what + " (no NUL) must be exactly " + std::to_string(width) + " bytes");
                return false;
            }
            max = std::size_t(width);
        } else if (v.suffix == kAsStored) {
            max = std::size_t(width - 1);
        } else if (startsWith(v.suffix, kAfterNul) && v.suffix.back() == ')') {
            const std::size_t skip = sizeof kAfterNul - 1;
            const std::string_view hex = std::string_view(v.suffix).substr(skip, v.suffix.size() - skip - 1);
            if (!hexBytes(f, hex, v.suffixColumn + int(skip), std::size_t(width), tail)) return false;
            max = std::size_t(width - 1);
            if (v.cp932.size() <= max && v.cp932.size() + 1 + tail.size() > std::size_t(width)) {
                problem(f.line, v.suffixColumn, what + " and the bytes after its NUL exceed its " +
                                                    std::to_string(width) + " bytes");
                return false;
            }
        } else if (!v.suffix.empty()) {
            problem(f.line, v.suffixColumn, "unexpected text after the closing quote");
            return false;
        }
        if (v.cp932.size() > max) {
            problem(f.line, v.columns[max], what + " is longer than " + std::to_string(max) + " bytes");
            return false;
        }
        std::memset(field, 0, std::size_t(width));
        std::memcpy(field, v.cp932.data(), v.cp932.size());
        if (!tail.empty()) std::memcpy(field + v.cp932.size() + 1, tail.data(), tail.size());
        return true;
    }

    // A code field: pattern text compiled by the editor's compiler, or raw
    // bytes in brackets.
    void codeField(const Field& f, std::uint8_t* field, int width, int limit, const std::string& what) {
        const std::string_view value = f.value();
        if (startsWith(value, "[")) {
            std::vector<std::uint8_t> bytes;
            if (value.size() < 2 || value.back() != ']') {
                problem(f.line, f.valueOffset + int(value.size()), "the closing ] is missing");
                return;
            }
            if (!hexBytes(f, value.substr(1, value.size() - 2), f.valueOffset + 1, std::size_t(width), bytes)) return;
            std::memset(field, 0, std::size_t(width));
            std::copy(bytes.begin(), bytes.end(), field);
            return;
        }
        DecodedValue v;
        if (!decode(f, f.valueOffset, v)) return;
        std::vector<std::uint8_t> tail;
        if (startsWith(v.suffix, kAfterCode) && v.suffix.back() == ')') {
            const std::size_t skip = sizeof kAfterCode - 1;
            const std::string_view hex = std::string_view(v.suffix).substr(skip, v.suffix.size() - skip - 1);
            if (!hexBytes(f, hex, v.suffixColumn + int(skip), std::size_t(width), tail)) return;
        } else if (!v.suffix.empty()) {
            problem(f.line, v.suffixColumn, "unexpected text after the closing quote");
            return;
        }
        const std::size_t nul = v.cp932.find('\0');
        if (nul != std::string::npos) {
            problem(f.line, v.columns[nul], what + " holds a NUL");
            return;
        }
        std::array<std::uint8_t, kCompileAreaSize> area{};
        int at = 0;
        const int length = compilePattern(v.cp932.c_str(), area.data(), &at);
        if (length == kPatternFailed) {
            problem(f.line, v.columns[std::size_t(std::clamp(at, 0, int(v.cp932.size())))],
                    "the " + what + " pattern does not compile here");
            return;
        }
        // The bytes after a code only come from a file; they and the code
        // need only fit the field.
        const int allowed = tail.empty() ? limit : width - int(tail.size());
        if (length > allowed) {
            problem(f.line, f.valueOffset,
                    length == kCompileOverflow
                        ? "the " + what + " pattern compiles to more than " + std::to_string(kCompileAreaSize) + " bytes"
                        : "the " + what + " pattern compiles to " + std::to_string(length) + " bytes, more than " +
                              std::to_string(allowed));
            return;
        }
        std::memset(field, 0, std::size_t(width));
        std::memcpy(field, area.data(), std::size_t(length));
        std::copy(tail.begin(), tail.end(), field + length);
    }

    // --- top level ------------------------------------------------------------------
    void endBlock() {
        systemBlock_ = false;
        record_ = nullptr;
        pending_ = nullptr;
        index_ = -1;
    }

    void topLevel(const Field& f) {
        endBlock();
        if (f.key == "syntax") startSyntax(f);
        else if (f.key == "system") startSystem(f);
        else if (f.key == "index") startIndex(f);
        else if (f.key == "memo") readMemo(f);
        else if (f.key == "treeItems") {
            if (f.value() == "numbered") numberedTreeItems_ = true;
            else problem(f.line, f.valueOffset, "treeItems takes the word numbered");
        } else {
            problem(f.line, 0, "expected syntax, index or memo");
        }
    }

    // "DEPTH NAME" or "DEPTH! NAME".
    void startSyntax(const Field& f) {
        const std::string_view v = f.value();
        std::size_t digits = 0;
        while (digits < v.size() && v[digits] >= '0' && v[digits] <= '9') ++digits;
        const bool unchecked = digits < v.size() && v[digits] == '!';
        std::size_t nameAt = digits + (unchecked ? 1 : 0);
        const bool spaced = nameAt < v.size() && v[nameAt] == ' ';
        while (nameAt < v.size() && v[nameAt] == ' ') ++nameAt;
        if (digits == 0 || digits > 3 || !spaced || nameAt >= v.size()) {
            problem(f.line, f.valueOffset, "expected: syntax DEPTH NAME");
            return;
        }
        int depth = 0;
        std::from_chars(v.data(), v.data() + digits, depth);
        PendingRecord pending;
        pending.line = f.line;
        pending.depthOffset = f.valueOffset;
        pending.unchecked = unchecked;
        if (depth > 255 || (!unchecked && (depth < 1 || depth > kMaxDepth))) {
            problem(f.line, f.valueOffset, "depth must be 1 to 7");
            pending.depthReported = true;
        }
        SyntaxRecord r = blankSystemRecord();
        r.depth = std::uint8_t(std::min(depth, 255));
        if (doc_.syntaxCount() >= kMaxSyntaxes) {
            if (!tooMany_) problem(f.line, 0, "more than 255 syntaxes (the system records included)");
            tooMany_ = true;
            overflow_ = r;
            record_ = &overflow_;
            overflowPending_ = pending;
            pending_ = &overflowPending_;
        } else {
            doc_.insertSyntax(doc_.syntaxCount(), r);
            record_ = doc_.syntaxAt(doc_.syntaxCount() - 1);
            pendings_.resize(std::size_t(doc_.syntaxCount()));
            pendings_.back() = pending;
            pending_ = &pendings_.back();
        }
        textField(f, f.valueOffset + int(nameAt), record_->name, kNameSize, kNameSize - 1, "the name");
    }

    // "N NAME": a system record that differs from a new document's.
    void startSystem(const Field& f) {
        const std::string_view v = f.value();
        const int n = v.empty() ? -1 : v[0] - '0';
        if (n < 0 || n >= kSystemRecordCount || v.size() < 3 || v[1] != ' ' || n <= lastSystem_ ||
            doc_.syntaxCount() > kSystemRecordCount) {
            problem(f.line, f.valueOffset, "system records 0 to 2 come first, in order, each once: system N NAME");
            return;
        }
        lastSystem_ = n;
        systemBlock_ = true;
        record_ = doc_.syntaxAt(n);
        *record_ = blankSystemRecord();
        pendings_.resize(std::size_t(doc_.syntaxCount()));
        pending_ = &pendings_[std::size_t(n)];
        pending_->line = f.line;
        textField(f, f.valueOffset + 2, record_->name, kNameSize, kNameSize - 1, "the name");
    }

    void startIndex(const Field& f) {
        // The table is filled in one go at the end: a file may hold
        // thousands of entries, too many to grow the table ten at a time.
        indexes_.push_back(PendingIndex{});
        PendingIndex& p = indexes_.back();
        p.line = f.line;
        index_ = int(indexes_.size()) - 1;
        if (!f.hasValue) problem(f.line, f.valueOffset, "expected: index NAME");
        else textField(f, f.valueOffset, p.entry.name, kIndexNameSize, kIndexNameLimit, "the index name");
    }

    bool once(std::set<std::string>& keys, const Field& f) {
        if (keys.insert(f.key).second) return true;
        problem(f.line, f.keyOffset, f.key + " is given twice");
        return false;
    }

    // --- syntax attributes --------------------------------------------------------------
    void recordAttribute(const Field& f) {
        if (!once(pending_->keys, f)) return;
        SyntaxRecord& r = *record_;
        MessageFormat& m = r.messageFormat;
        const std::string& k = f.key;
        std::uint32_t n = 0;
        static const std::set<std::string> messageSettings = {
            "number", "check-date", "date", "allow-comment", "comment", "up-arrow-comment", "reserved", "reservedWord"};
        if (messageSettings.count(k) != 0 && pending_->messageSettingLine == 0)
            pending_->messageSettingLine = f.line + 1;
        if (k == "pattern") textField(f, f.valueOffset, r.pattern, kPatternSize, kPatternSize - 1, "the pattern");
        else if (k == "exit") textField(f, f.valueOffset, r.exitPattern, kExitPatternSize, kExitPatternSize - 1, "the exit pattern");
        else if (k == "lines") byteValue(f, r.colourLines);
        else if (k == "interrupting") flagValue(f, r.interrupting);
        else if (k == "jump-to-child") flagValue(f, r.jumpToChild);
        else if (k == "title") codeField(f, r.titleCode, kTitleCodeSize, kTitleCodeLimit, "title");
        else if (k == "message") {
            if (f.value() == "checked") m.kind = kMessageNumberChecked;
            else if (f.value() == "unchecked") m.kind = kMessageNumberUnchecked;
            else if (!f.value().empty() && f.value()[0] >= '0' && f.value()[0] <= '9') byteValue(f, m.kind);
            else problem(f.line, f.valueOffset, "message is checked or unchecked");
        }
        else if (k == "number") codeField(f, m.numberCode, kMessageCodeSize, kMessageCodeSize, "message-number");
        else if (k == "date") codeField(f, m.dateCode, kMessageCodeSize, kMessageCodeSize, "date");
        else if (k == "comment") codeField(f, m.commentCode, kMessageCodeSize, kMessageCodeSize, "comment-number");
        else if (k == "check-date") flagValue(f, m.checkDate);
        else if (k == "allow-comment") flagValue(f, m.allowComment);
        else if (k == "up-arrow-comment") flagValue(f, m.upArrowIsComment);
        else if (k == "reserved") {
            std::vector<std::uint8_t> bytes;
            if (hexBytes(f, f.value(), f.valueOffset, sizeof m.reserved, bytes))
                std::copy(bytes.begin(), bytes.end(), m.reserved);
        } else if (k == "reservedWord") {
            if (number(f, 0xFFFF, n)) {
                m.reservedWord[0] = std::uint8_t(n);
                m.reservedWord[1] = std::uint8_t(n >> 8);
            }
        } else if (k == "patternLines") {
            if (number(f, 255, n)) pending_->patternLines = std::uint8_t(n);
        } else if (k == "titleMaxSecond") {
            if (number(f, 255, n)) pending_->titleMaxSecond = std::uint8_t(n);
        } else if (k == "patternNoSep") {
            std::array<char, kPatternNoSepSize> noSep{};
            if (textField(f, f.valueOffset, noSep.data(), kPatternNoSepSize, kPatternNoSepSize - 1, "patternNoSep"))
                pending_->patternNoSep = noSep;
        } else if (k == "treeItem") {
            if (number(f, 0xFFFFFFFFu, n)) pending_->treeItem = n;
        } else if (k == "legacyTitleSeparator") byteValue(f, r.legacyTitleSeparator);
        else if (k == "reservedA") byteValue(f, r.reservedA);
        else if (k == "reservedB") byteValue(f, r.reservedB);
        else if (k == "reservedC") byteValue(f, r.reservedC);
        else if (k == "depth" && systemBlock_) byteValue(f, r.depth);
        else problem(f.line, f.keyOffset, "unknown syntax attribute: " + k);
    }

    // --- index attributes ---------------------------------------------------------------
    void indexAttribute(const Field& f) {
        PendingIndex& p = indexes_[std::size_t(index_)];
        if (f.key == "member") {
            DecodedValue v;
            if (!f.hasValue) {
                problem(f.line, f.valueOffset, "member takes a syntax name");
                return;
            }
            if (!decode(f, f.valueOffset, v)) return;
            PendingMember m{v.cp932, 0, f.line, f.valueOffset};
            if (!v.suffix.empty()) {
                std::uint32_t k = 0;
                const std::string_view s = std::string_view(v.suffix).substr(1);
                const auto r = std::from_chars(s.data(), s.data() + s.size(), k);
                if (v.suffix[0] != '#' || r.ec != std::errc() || r.ptr != s.data() + s.size() || k < 1 || k > 255) {
                    problem(f.line, v.suffixColumn, "after a quoted member name only #N may follow");
                    return;
                }
                m.occurrence = int(k);
            }
            p.members.push_back(std::move(m));
            return;
        }
        if (!once(p.keys, f)) return;
        IndexEntry& e = p.entry;
        if (f.key == "members") {
            // "N: HEX": the count and slots as stored.
            const std::string_view v = f.value();
            const std::size_t colon = v.find(':');
            std::uint32_t count = 0;
            const auto r = std::from_chars(v.data(), v.data() + std::min(colon, v.size()), count);
            std::vector<std::uint8_t> slots;
            if (colon == std::string_view::npos || r.ptr != v.data() + colon || count > 255) {
                problem(f.line, f.valueOffset, "expected: members COUNT: HEX");
                return;
            }
            if (!hexBytes(f, v.substr(colon + 1), f.valueOffset + int(colon) + 1, kIndexMemberSlots, slots)) return;
            p.raw = true;
            e.memberCount = std::uint8_t(count);
            std::copy(slots.begin(), slots.end(), e.members);
        } else if (f.key == "unused") {
            if (hexBytes(f, f.value(), f.valueOffset, kIndexMemberSlots, p.unused)) {
                p.unusedLine = f.line;
                p.unusedOffset = f.valueOffset;
            }
        } else {
            problem(f.line, f.keyOffset, "unknown index attribute: " + f.key);
        }
    }

    // --- memo ---------------------------------------------------------------------------
    void readMemo(const Field& f) {
        const bool escaped = f.value() == "escaped";
        if (f.hasValue && !escaped) problem(f.line, f.valueOffset, "memo takes nothing or the word escaped");
        inMemo_ = true;
        std::string memo;
        for (std::size_t n = std::size_t(f.line) + 1; n < lines_.size(); ++n) {
            DecodedValue v;
            ValueError e;
            if (!decodeValue(lines_[n], 0, escaped ? LineSyntax::EscapedLine : LineSyntax::MemoLine, v, e)) {
                problem(int(n), e.column, e.message);
                continue;
            }
            const std::size_t nul = v.cp932.find('\0');
            if (nul != std::string::npos) problem(int(n), v.columns[nul], "the memo holds a NUL");
            if (n > std::size_t(f.line) + 1) memo += "\r\n";
            memo += v.cp932;
        }
        if (memo.size() >= std::size_t(kMaxMemoLength))
            problem(f.line, 0, "the memo is " + std::to_string(memo.size()) + " bytes; it must stay below " +
                                   std::to_string(kMaxMemoLength));
        doc_.setMemoText(std::move(memo));
    }

    // --- after the last line ------------------------------------------------------------
    void finishRecords() {
        pendings_.resize(std::size_t(doc_.syntaxCount()));
        for (int i = 0; i < doc_.syntaxCount(); ++i) {
            const PendingRecord& p = pendings_[std::size_t(i)];
            {
                MessageMute mute;  // the editor reports a damaged title, not the text
                deriveRecordFields(doc_, i);
            }
            SyntaxRecord& r = *doc_.syntaxAt(i);
            if (p.patternLines) r.patternLines = *p.patternLines;
            if (p.titleMaxSecond) r.titleMaxSecond = *p.titleMaxSecond;
            if (p.patternNoSep) std::memcpy(r.patternNoSep, p.patternNoSep->data(), kPatternNoSepSize);
            const std::uint32_t numbered = i >= kRootRecord ? std::uint32_t(i - 1) : 0;
            setTreeItemSlot(r, p.treeItem ? *p.treeItem : numberedTreeItems_ ? numbered : 0);
            if (r.messageFormat.kind == kNotMessage && p.messageSettingLine != 0)
                problem(p.messageSettingLine - 1, 2, "message-format settings on a syntax that is not a message syntax");
            if (i >= kFirstUserRecord && !p.unchecked && !p.depthReported) {
                if (const char* why = depthProblem(*doc_.syntaxAt(i - 1), r.depth)) problem(p.line, p.depthOffset, why);
            }
        }
    }

    void finishIndexes() {
        std::map<std::string, std::vector<int>, std::less<>> byName;
        for (int i = kFirstUserRecord; i < doc_.syntaxCount(); ++i)
            byName[std::string(fieldText(doc_.syntaxAt(i)->name, kNameSize))].push_back(i);
        for (PendingIndex& p : indexes_) {
            IndexEntry& e = p.entry;
            if (p.raw && !p.members.empty()) {
                problem(p.members.front().line, 2, "an index takes member lines or a members line, not both");
                continue;
            }
            std::vector<std::uint8_t> positions;
            for (const PendingMember& m : p.members) {
                const auto found = byName.find(m.name);
                const std::string shown = "\"" + escapedText(m.name) + "\"";
                int position = -1;
                if (found == byName.end()) {
                    problem(m.line, m.offset, "no syntax is named " + shown);
                } else if (m.occurrence == 0 && found->second.size() > 1) {
                    problem(m.line, m.offset, std::to_string(found->second.size()) + " syntaxes are named " + shown +
                                                  "; write " + shown + " #N for the N-th");
                } else if (m.occurrence > int(found->second.size())) {
                    problem(m.line, m.offset, "there are only " + std::to_string(found->second.size()) +
                                                  " syntaxes named " + shown);
                } else {
                    position = found->second[std::size_t(std::max(m.occurrence, 1) - 1)];
                }
                if (position < 0) continue;
                if (std::find(positions.begin(), positions.end(), position) != positions.end()) {
                    problem(m.line, m.offset, "this member is listed twice");
                    continue;
                }
                if (positions.size() == std::size_t(kIndexMemberSlots)) {
                    problem(m.line, m.offset, "more than 20 members");
                    continue;
                }
                positions.push_back(std::uint8_t(position));
            }
            if (!p.raw) {
                // Members are kept in table order, whatever order the text names them in.
                std::sort(positions.begin(), positions.end());
                e.memberCount = std::uint8_t(positions.size());
                std::copy(positions.begin(), positions.end(), e.members);
            }
            if (!p.unused.empty()) {
                const std::size_t from = std::min<std::size_t>(e.memberCount, kIndexMemberSlots);
                if (from + p.unused.size() > std::size_t(kIndexMemberSlots))
                    problem(p.unusedLine, p.unusedOffset, "the unused slots and the members exceed 20 slots");
                else
                    std::copy(p.unused.begin(), p.unused.end(), e.members + from);
            }
        }
    }

    void storeIndexes() {
        if (indexes_.empty()) return;
        if (!doc_.indexTable.resetToCount(int(indexes_.size()), kIndexEntrySize)) {
            problem(0, 0, "out of memory");
            return;
        }
        for (std::size_t x = 0; x < indexes_.size(); ++x)
            std::memcpy(doc_.indexAt(int(x)), &indexes_[x].entry, kIndexEntrySize);
    }

    void report() {
        std::stable_sort(problems_.begin(), problems_.end(), [](const Problem& a, const Problem& b) {
            return a.line != b.line ? a.line < b.line : a.offset < b.offset;
        });
        for (const Problem& p : problems_) {
            const std::string_view line = p.line < int(lines_.size()) ? lines_[std::size_t(p.line)] : std::string_view();
            errors_.push_back(name_ + ":" + std::to_string(p.line + 1) + ":" +
                              std::to_string(characterColumn(line, p.offset)) + ": " + p.message);
        }
    }

    std::string_view text_;
    const std::string& name_;
    Document& doc_;
    std::vector<std::string>& errors_;
    std::vector<std::string_view> lines_;
    std::vector<Problem> problems_;
    std::vector<PendingRecord> pendings_;
    std::vector<PendingIndex> indexes_;
    SyntaxRecord* record_ = nullptr;
    PendingRecord* pending_ = nullptr;
    int index_ = -1;
    int lastSystem_ = -1;
    bool inMemo_ = false;
    bool systemBlock_ = false;
    bool numberedTreeItems_ = false;
    bool tooMany_ = false;
    SyntaxRecord overflow_{};
    PendingRecord overflowPending_;
};

}  // namespace

const char* depthProblem(const SyntaxRecord& previous, int depth) {
    if (depth < 1 || depth > kMaxDepth) return "depth must be 1 to 7";
    if (depth > previous.depth + 1) return "depth rises by more than one";
    if (depth == previous.depth + 1) {
        if (previous.interrupting != 0) return "an interrupting syntax cannot have child syntaxes";
        if (!fieldText(previous.exitPattern, kExitPatternSize).empty())
            return "a syntax with an exit pattern cannot have child syntaxes";
    }
    return nullptr;
}

void buildSyntaxText(std::string_view text, const std::string& sourceName, Document& doc,
                     std::vector<std::string>& errors) {
    TextBuilder(text, sourceName, doc, errors).run();
}

}  // namespace lumaset
