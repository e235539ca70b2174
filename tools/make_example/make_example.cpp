// make_example: builds a .tag document from a readable UTF-8 source, through
// the editor's own compiler, field derivation and writer, so the example file
// is exactly what the editor would save.
//
//   make_example SOURCE.txt OUT.tag
//
// Source format, one item a line; '#' starts a comment line, blank lines are
// ignored outside the memo:
//
//   syntax DEPTH NAME        a syntax at depth 1..7, after its parent
//     pattern TEXT           match pattern, stored as text
//     exit TEXT              exit pattern
//     lines N                lines to colour (default 1)
//     title TEXT             title pattern, compiled
//     interrupting           flags
//     jump-to-child
//     message checked|unchecked   makes it a message syntax
//     number TEXT            message-format patterns, compiled
//     date TEXT
//     comment TEXT
//     check-date             message-format flags
//     allow-comment
//     up-arrow-comment
//   index NAME               an index
//     member NAME            a syntax by its (unique) name
//   memo                     everything after this line is the memo;
//                            its lines are joined with CR LF
//
// Attribute lines are indented; the value is the rest of the line after the
// key and one space, kept exactly. Text is converted to cp932.
#include <algorithm>
#include <array>
#include <charconv>
#include <cstring>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "document/tag_file.h"
#include "pattern/derived_fields.h"
#include "pattern/pattern_code.h"
#include "tools/tagtool/cp932.h"
#include "tools/tagtool/platform.h"

namespace lumaset {

namespace {

constexpr int kMaxTitleCode = kTitleCodeSize - 1;  // the property pane's limit

struct Source {
    std::string name;
    int line = 0;
};

class Generator {
public:
    explicit Generator(std::string sourceName) : source_{std::move(sourceName)} {}

    bool run(std::istream& in);
    Document& document() { return doc_; }

private:
    bool fail(const std::string& message) {
        std::cerr << source_.name << ":" << source_.line << ": " << message << "\n";
        return false;
    }
    bool toCp932(const std::string& utf8, int maxBytes, std::string& out, const char* what);
    bool setText(char* field, int width, const std::string& utf8, const char* what);
    bool compileInto(std::uint8_t* field, int maxLength, const std::string& utf8,
                     const char* what);
    bool startSyntax(const std::string& rest);
    bool syntaxAttribute(const std::string& key, const std::string& value, bool hasValue);
    bool finishSyntax();
    bool startIndex(const std::string& rest);
    bool indexMember(const std::string& key, const std::string& value);
    int findSyntax(const std::string& cp932Name);

    Source source_;
    Document doc_;
    SyntaxRecord record_{};
    bool inSyntax_ = false;
    int colourLines_ = 1;
    int syntaxLine_ = 0;
    int previousDepth_ = 0;
    IndexEntry* index_ = nullptr;
};

bool Generator::toCp932(const std::string& utf8, int maxBytes, std::string& out,
                        const char* what) {
    if (!utf8ToCp932(utf8, out)) return fail(std::string(what) + " is not representable in cp932");
    if (int(out.size()) > maxBytes)
        return fail(std::string(what) + " is longer than " + std::to_string(maxBytes) + " bytes");
    if (out.find('\0') != std::string::npos) return fail(std::string(what) + " holds a NUL");
    return true;
}

bool Generator::setText(char* field, int width, const std::string& utf8, const char* what) {
    std::string text;
    if (!toCp932(utf8, width - 1, text, what)) return false;
    std::memset(field, 0, std::size_t(width));
    std::memcpy(field, text.data(), text.size());
    return true;
}

bool Generator::compileInto(std::uint8_t* field, int maxLength, const std::string& utf8,
                            const char* what) {
    std::string text;
    if (!toCp932(utf8, kCompileAreaSize - 1, text, what)) return false;
    std::array<std::uint8_t, kCompileAreaSize> area{};
    const int length = compilePattern(text.c_str(), area.data());
    if (length < 0) return fail(std::string(what) + " is not a valid pattern");
    if (length > maxLength) return fail(std::string(what) + " compiles too long");
    std::memcpy(field, area.data(), std::size_t(length));
    return true;
}

bool Generator::startSyntax(const std::string& rest) {
    if (!finishSyntax()) return false;
    const std::size_t space = rest.find(' ');
    int depth = 0;
    const char* end = rest.data() + (space == std::string::npos ? rest.size() : space);
    if (space == std::string::npos || std::from_chars(rest.data(), end, depth).ptr != end)
        return fail("expected: syntax DEPTH NAME");
    if (depth < 1 || depth > kMaxDepth) return fail("depth must be 1 to 7");
    if (depth > previousDepth_ + 1) return fail("depth rises by more than one");
    if (doc_.syntaxCount() >= kMaxSyntaxCount) return fail("too many syntaxes");
    record_ = blankSystemRecord();
    record_.depth = std::uint8_t(depth);
    if (!setText(record_.name, kNameSize, rest.substr(space + 1), "name")) return false;
    inSyntax_ = true;
    colourLines_ = 1;
    syntaxLine_ = source_.line;
    previousDepth_ = depth;
    return true;
}

bool Generator::syntaxAttribute(const std::string& key, const std::string& value,
                                bool hasValue) {
    MessageFormat& m = record_.messageFormat;
    auto flag = [&](std::uint8_t& field) {
        if (hasValue) return fail(key + " takes no value");
        field = 1;
        return true;
    };
    if (key == "pattern") return setText(record_.pattern, kPatternSize, value, "pattern");
    if (key == "exit") return setText(record_.exitPattern, kExitPatternSize, value, "exit pattern");
    if (key == "title") return compileInto(record_.titleCode, kMaxTitleCode, value, "title");
    if (key == "number") return compileInto(m.numberCode, kMessageCodeSize, value, "number");
    if (key == "date") return compileInto(m.dateCode, kMessageCodeSize, value, "date");
    if (key == "comment") return compileInto(m.commentCode, kMessageCodeSize, value, "comment");
    if (key == "interrupting") return flag(record_.interrupting);
    if (key == "jump-to-child") return flag(record_.jumpToChild);
    if (key == "check-date") return flag(m.checkDate);
    if (key == "allow-comment") return flag(m.allowComment);
    if (key == "up-arrow-comment") return flag(m.upArrowIsComment);
    if (key == "message") {
        if (value == "checked") m.kind = kMessageNumberChecked;
        else if (value == "unchecked") m.kind = kMessageNumberUnchecked;
        else return fail("message is checked or unchecked");
        return true;
    }
    if (key == "lines") {
        const char* end = value.data() + value.size();
        if (std::from_chars(value.data(), end, colourLines_).ptr != end || colourLines_ < 1)
            return fail("lines must be a number from 1");
        return true;
    }
    return fail("unknown syntax attribute: " + key);
}

// Stores the syntax being read, with its derived fields, as the property
// pane's apply would.
bool Generator::finishSyntax() {
    if (!inSyntax_) return true;
    inSyntax_ = false;
    const MessageFormat& m = record_.messageFormat;
    const auto* tail = reinterpret_cast<const std::uint8_t*>(&m) + 1;
    if (m.kind == kNotMessage && std::any_of(tail, tail + kMessageFormatSize - 1,
                                             [](auto b) { return b != 0; })) {
        source_.line = syntaxLine_;
        return fail("message-format settings on a syntax that is not a message syntax");
    }
    const int position = doc_.syntaxCount();
    if (!doc_.insertSyntax(position, record_)) return fail("out of memory");
    deriveRecordFields(doc_, position);
    SyntaxRecord* stored = doc_.syntaxAt(position);
    if (colourLines_ > stored->patternLines) {
        source_.line = syntaxLine_;
        return fail("lines is more than the pattern's " + std::to_string(stored->patternLines));
    }
    stored->colourLines = std::uint8_t(colourLines_);
    return true;
}

int Generator::findSyntax(const std::string& cp932Name) {
    int found = -1;
    for (int i = kFirstUserRecord; i < doc_.syntaxCount(); ++i) {
        if (fieldText(doc_.syntaxAt(i)->name, kNameSize) != cp932Name) continue;
        if (found >= 0) return -2;
        found = i;
    }
    return found;
}

bool Generator::startIndex(const std::string& rest) {
    if (!finishSyntax()) return false;
    IndexEntry entry{};
    if (!setText(entry.name, kIndexNameSize - 1, rest, "index name")) return false;
    if (!doc_.indexTable.insertAt(doc_.indexCount(), &entry)) return fail("out of memory");
    index_ = doc_.indexAt(doc_.indexCount() - 1);
    return true;
}

bool Generator::indexMember(const std::string& key, const std::string& value) {
    if (key != "member") return fail("unknown index attribute: " + key);
    std::string name;
    if (!toCp932(value, kNameSize - 1, name, "member name")) return false;
    const int position = findSyntax(name);
    if (position == -1) return fail("no syntax named " + value);
    if (position == -2) return fail("more than one syntax is named " + value);
    IndexEntry& e = *index_;
    std::uint8_t* end = e.members + e.memberCount;
    if (std::find(e.members, end, position) != end) return fail("member listed twice");
    if (e.memberCount >= kIndexMemberSlots) return fail("more than 20 members");
    // Members are kept in ascending table order.
    std::uint8_t* at = std::upper_bound(e.members, end, std::uint8_t(position));
    std::copy_backward(at, end, end + 1);
    *at = std::uint8_t(position);
    ++e.memberCount;
    return true;
}

bool Generator::run(std::istream& in) {
    std::string line;
    while (std::getline(in, line)) {
        ++source_.line;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.empty() || line[0] == '#') continue;
        const bool indented = line[0] == ' ' || line[0] == '\t';
        const std::size_t keyStart = line.find_first_not_of(" \t");
        if (keyStart == std::string::npos) continue;
        const std::size_t keyEnd = std::min(line.find(' ', keyStart), line.size());
        const std::string key = line.substr(keyStart, keyEnd - keyStart);
        const bool hasValue = keyEnd < line.size();
        const std::string value = hasValue ? line.substr(keyEnd + 1) : std::string();
        if (indented) {
            bool ok;
            if (inSyntax_) ok = syntaxAttribute(key, value, hasValue);
            else if (index_ != nullptr) ok = indexMember(key, value);
            else ok = fail("attribute outside a syntax or index");
            if (!ok) return false;
            continue;
        }
        index_ = nullptr;
        if (key == "syntax") {
            if (!startSyntax(value)) return false;
        } else if (key == "index") {
            if (!startIndex(value)) return false;
        } else if (key == "memo" && !hasValue) {
            if (!finishSyntax()) return false;
            std::string memo;
            bool first = true;
            while (std::getline(in, line)) {
                if (!line.empty() && line.back() == '\r') line.pop_back();
                if (!first) memo += "\r\n";
                memo += line;
                first = false;
            }
            std::string text;
            if (!toCp932(memo, kMaxMemoLength - 1, text, "memo")) return false;
            doc_.setMemoText(std::move(text));
            return true;
        } else {
            return fail("expected syntax, index or memo");
        }
    }
    return finishSyntax();
}

int run(const std::vector<std::string>& args) {
    if (args.size() != 3) {
        std::cerr << "usage: make_example SOURCE.txt OUT.tag\n";
        return 2;
    }
    std::ifstream in(pathFromUtf8(args[1]), std::ios::binary);
    if (!in) {
        std::cerr << args[1] << ": cannot open\n";
        return 1;
    }
    Generator generator(args[1]);
    if (!generator.run(in)) return 1;
    return saveTagFile(generator.document(), pathFromUtf8(args[2])) ? 0 : 1;
}

}  // namespace

}  // namespace lumaset

int main(int argc, char** argv) {
    lumaset::useBinaryStdio();
    return lumaset::run(lumaset::utf8Arguments(argc, argv));
}
