// The problems list: what is probably wrong in a document, found by reading
// its patterns the way the matcher does. Only user syntaxes are checked:
// the three system records have no pattern the user writes, and the pane
// shows them read-only.
#include "pattern/document_checks.h"

#include <algorithm>

#include "document/cp932_convert.h"
#include "document/records.h"
#include "pattern/derived_fields.h"
#include "pattern/match_pattern.h"

namespace lumaset {

namespace {

std::string nameOf(const SyntaxRecord& r) {
    return std::string(fieldText(r.name, kNameSize));
}

// True when the text holds the escape `\x` (a trail byte is no backslash).
bool holdsEscape(std::string_view text, char x) {
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\\' && i + 1 < text.size()) {
            if (text[i + 1] == x) return true;
            i += 2;
            if (isLeadByte(static_cast<unsigned char>(text[i - 1])) && i < text.size()) ++i;
            continue;
        }
        i += isLeadByte(c) && i + 1 < text.size() ? 2 : 1;
    }
    return false;
}

// "12 文字目: 閉じていない [", as the field's check line says it.
std::string faultWhere(std::string_view pattern) {
    return matchPatternCheckLine(pattern);
}

class Checker {
public:
    Checker(const Document& doc, std::vector<Finding>& out) : doc_(doc), out_(out) {}

    void run() {
        const int count = doc_.syntaxCount();
        // path and the last record seen at each depth, for parents and siblings
        std::vector<std::string> names(kMaxDepth + 2);
        std::vector<std::vector<int>> siblings(kMaxDepth + 2);
        paths_.assign(std::size_t(std::max(0, count)), std::string());
        for (int pos = kFirstUserRecord; pos < count; ++pos) {
            const SyntaxRecord& r = *doc_.syntaxAt(pos);
            const int depth = std::clamp(int(r.depth), 1, kMaxDepth);
            names[std::size_t(depth)] = nameOf(r);
            std::string path;
            for (int d = 1; d <= depth; ++d) {
                if (d > 1) path += '/';
                path += names[std::size_t(d)];
            }
            paths_[std::size_t(pos)] = path;
            // A new record at this depth starts a new run of children below it.
            for (int d = depth + 1; d < int(siblings.size()); ++d) siblings[std::size_t(d)].clear();
            checkSyntax(pos, r, siblings[std::size_t(depth)]);
            siblings[std::size_t(depth)].push_back(pos);
        }
        for (int i = 0; i < doc_.indexCount(); ++i) checkIndex(i);
    }

private:
    void add(const char* code, int pos, CheckField field, std::string text) {
        Finding f;
        f.code = code;
        f.position = pos;
        f.field = field;
        if (pos >= 0 && std::size_t(pos) < paths_.size()) f.path = paths_[std::size_t(pos)];
        f.text = std::move(text);
        out_.push_back(std::move(f));
    }

    void checkSyntax(int pos, const SyntaxRecord& r, const std::vector<int>& earlierSiblings) {
        const std::string_view pattern = fieldText(r.pattern, kPatternSize);
        const std::string_view exit = fieldText(r.exitPattern, kExitPatternSize);

        if (pattern.empty()) {
            add("no-pattern", pos, CheckField::Pattern, "構文が空です（何にも一致しません）");
        } else {
            const ParsedPattern p = parseMatchPattern(pattern);
            if (p.fault != PatternFault::None) {
                add("pattern-fault", pos, CheckField::Pattern,
                    "構文が読めません（" + faultWhere(pattern) + "）");
            } else {
                const int part = highestPartReference(r.titleCode, kTitleCodeSize);
                if (part > p.maxSeparatorsOnPath) {
                    add("title-part-missing", pos, CheckField::Title,
                        "タイトルの \\" + std::to_string(part) + " はいつも空です（構文の区切り \\f は" +
                            (p.maxSeparatorsOnPath == 0
                                 ? std::string("ありません")
                                 : " " + std::to_string(p.maxSeparatorsOnPath) + " つまで") +
                            "）");
                }
                if (matchesEmptyInsideLine(p)) {
                    add("matches-empty", pos, CheckField::Pattern,
                        "構文が空の文字列に一致するので、どこにでも一致します");
                }
            }
        }

        if (!exit.empty()) {
            const ParsedPattern e = parseMatchPattern(exit);
            if (e.fault != PatternFault::None) {
                add("exit-fault", pos, CheckField::ExitPattern,
                    "出口の構文が読めません（" + faultWhere(exit) + "）");
            }
            if (holdsEscape(exit, 'n') || holdsEscape(exit, 'f')) {
                add("exit-multiline", pos, CheckField::ExitPattern,
                    "出口の構文に \\n か \\f があります（出口の構文では使えません）");
            }
        }

        const int lines = 1 + countPatternLines(pattern);
        if (int(r.colourLines) > lines) {
            add("colour-lines", pos, CheckField::ColourLines,
                "カラーにする行数 " + std::to_string(int(r.colourLines)) + " が構文の行数 " +
                    std::to_string(lines) + " より多い");
        }

        if (!pattern.empty()) {
            for (int s : earlierSiblings) {
                const SyntaxRecord& other = *doc_.syntaxAt(s);
                if (fieldText(other.pattern, kPatternSize) == pattern) {
                    add("same-pattern", pos, CheckField::Pattern,
                        "前の兄弟「" + cp932ToUtf8(nameOf(other)) +
                            "」と同じ構文です");
                    break;
                }
            }
        }

        const MessageFormat& m = r.messageFormat;
        if (m.kind != kNotMessage && m.numberCode[0] == 0 && m.dateCode[0] == 0 &&
            m.commentCode[0] == 0) {
            add("message-format-empty", pos, CheckField::MessageFormat,
                "発言の構文ですが、発言番号・日付・コメント番号の構文がどれも空です");
        }
    }

    void checkIndex(int i) {
        const IndexEntry& e = *doc_.indexAt(i);
        const std::string name(fieldText(e.name, kIndexNameSize));
        const int members = std::min(int(e.memberCount), kIndexMemberSlots);
        if (members == 0) {
            Finding f;
            f.code = "index-empty";
            f.indexPosition = i;
            f.field = CheckField::Index;
            f.path = name;
            f.text = "索引「" + cp932ToUtf8(name) + "」に構文がひとつもありません";
            out_.push_back(std::move(f));
            return;
        }
        // Once per repeated member, at its second entry.
        for (int k = 1; k < members; ++k) {
            if (std::count(e.members, e.members + k, e.members[k]) != 1) continue;
            add("index-duplicate", e.members[k], CheckField::Index,
                "索引「" + cp932ToUtf8(name) + "」に 2 回以上入っています");
            out_.back().indexPosition = i;
        }
    }

    const Document& doc_;
    std::vector<Finding>& out_;
    std::vector<std::string> paths_;
};

}  // namespace

std::vector<Finding> checkDocument(const Document& doc) {
    std::vector<Finding> findings;
    Checker(doc, findings).run();
    return findings;
}

std::string syntaxTreePath(const Document& doc, int position) {
    if (position < 0 || position >= doc.syntaxCount()) return {};
    const SyntaxRecord& r = *doc.syntaxAt(position);
    if (position < kFirstUserRecord) return nameOf(r);
    std::vector<std::string> names{nameOf(r)};
    int depth = r.depth;
    for (int p = position - 1; p >= kFirstUserRecord && depth > 1; --p) {
        const SyntaxRecord& up = *doc.syntaxAt(p);
        if (up.depth < depth) {
            names.push_back(nameOf(up));
            depth = up.depth;
        }
    }
    std::string path;
    for (auto it = names.rbegin(); it != names.rend(); ++it) {
        if (!path.empty()) path += '/';
        path += *it;
    }
    return path;
}

}  // namespace lumaset
