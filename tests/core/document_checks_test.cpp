#include "pattern/document_checks.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pattern/pattern_code.h"

namespace lumaset {
namespace {

struct Row {
    const char* name;
    int depth;
    const char* pattern;
    const char* exit;
    int colourLines;
    const char* title;
    bool message;
};

// One document that holds each problem once, and syntaxes that hold none.
const Row kRows[] = {
    {"ok", 1, "^login: \\f.*\\f$", "", 1, "\\1", false},           // 3
    {"fault", 1, "abc[de", "", 1, "", false},                      // 4
    {"exit", 2, "x", "(y", 1, "", false},                          // 5
    {"multi", 2, "x2", "a\\nb", 1, "", false},                     // 6
    {"part", 1, "a\\fb|c", "", 1, "\\2", false},                   // 7
    {"empty", 1, "a*", "", 1, "", false},                          // 8
    {"lines", 1, "^$", "", 3, "", false},                          // 9
    {"none", 1, "", "", 1, "", false},                             // 10
    {"twin", 1, "^login: \\f.*\\f$", "", 1, "", false},            // 11: sibling of 3
    {"msg", 2, "^\\(\\f[0-9]+\\f\\)", "", 1, "\\s(\\1,\"\",1)\\1", true},  // 12
    {"cousin", 2, "x", "", 1, "", false},                          // 13: not a sibling of 5
};

Document& sample() {
    static Document doc;
    static bool built = false;
    if (built) return doc;
    built = true;
    int pos = kFirstUserRecord;
    for (const Row& row : kRows) {
        SyntaxRecord r{};
        std::strcpy(r.name, row.name);
        r.depth = std::uint8_t(row.depth);
        std::strcpy(r.pattern, row.pattern);
        std::strcpy(r.exitPattern, row.exit);
        r.colourLines = std::uint8_t(row.colourLines);
        std::uint8_t code[kCompileAreaSize];
        const int n = compilePattern(row.title, code);
        std::memcpy(r.titleCode, code, std::size_t(n));
        if (row.message) r.messageFormat.kind = kMessageNumberChecked;
        doc.insertSyntax(pos++, r);
    }
    IndexEntry twice{};
    std::strcpy(twice.name, "twice");
    twice.memberCount = 3;
    twice.members[0] = 3;
    twice.members[1] = 3;
    twice.members[2] = 3;
    doc.indexTable.insertAt(0, &twice);
    IndexEntry none{};
    std::strcpy(none.name, "none");
    doc.indexTable.insertAt(1, &none);
    return doc;
}

TEST(DocumentChecks, EachProblemOnceWithPathPositionAndField) {
    const std::vector<Finding> found = checkDocument(sample());
    std::string got;
    for (const Finding& f : found) {
        got += f.code + " " + std::to_string(f.position) + " " + std::to_string(f.indexPosition) +
               " " + f.path + " " + std::to_string(int(f.field)) + "\n";
        EXPECT_FALSE(f.text.empty()) << f.code;
        EXPECT_EQ(f.text.find('\n'), std::string::npos) << f.code;
    }
    EXPECT_EQ(got,
              "pattern-fault 4 -1 fault 1\n"
              "exit-fault 5 -1 fault/exit 2\n"
              "exit-multiline 6 -1 fault/multi 2\n"
              "title-part-missing 7 -1 part 4\n"
              "matches-empty 8 -1 empty 1\n"
              "colour-lines 9 -1 lines 3\n"
              "no-pattern 10 -1 none 1\n"
              "same-pattern 11 -1 twin 1\n"
              "message-format-empty 12 -1 twin/msg 5\n"
              "index-duplicate 3 0 ok 6\n"
              "index-empty -1 1 none 6\n");
    EXPECT_EQ(found[0].text, "構文が読めません（4 文字目: 閉じていない [）");
    EXPECT_EQ(syntaxTreePath(sample(), 13), "twin/cousin");
    EXPECT_EQ(syntaxTreePath(sample(), 2).substr(0, 5), "(sys)");  // cp932 name
    EXPECT_EQ(syntaxTreePath(sample(), 99), "");
}

}  // namespace
}  // namespace lumaset
