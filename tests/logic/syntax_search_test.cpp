#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "pattern/pattern_code.h"
#include "views/logic/syntax_search.h"

namespace lumaset {
namespace {

// cp932 bytes of a few characters the tests need.
const std::string kA = "\x83\x41";     // ア: its trail byte is 'A'
const std::string kSo = "\x83\x5c";    // ソ: its trail byte is '\'
const std::string kHalfA = "\xb1";     // half-width ｱ, a single byte
const std::string kFullA = "\x82\x60"; // full-width Ａ, never folded

TEST(ContainsCp932, AsciiLettersIgnoreCaseAndNothingElseIsFolded) {
    EXPECT_TRUE(containsCp932("Message Header", "message"));
    EXPECT_TRUE(containsCp932("message header", "HEADER"));
    EXPECT_TRUE(containsCp932("abc[x]", "[X]"));
    // Both ends of the letters fold; the characters beside them do not.
    EXPECT_TRUE(containsCp932("AZ", "az"));
    EXPECT_TRUE(containsCp932("az", "AZ"));
    EXPECT_FALSE(containsCp932("a@b", "a`b"));  // '@' and '`' are not a case pair
    EXPECT_FALSE(containsCp932("[", "{"));
    EXPECT_FALSE(containsCp932(kFullA, "\x82\x81"));  // Ａ and ａ stay apart
    EXPECT_TRUE(containsCp932("x" + kHalfA + "y", kHalfA));
    EXPECT_FALSE(containsCp932("abc", "abcd"));
    EXPECT_TRUE(containsCp932("", ""));
}

TEST(ContainsCp932, DoubleByteCharactersAreUnits) {
    // The trail byte of ア is 'A' and of ソ is '\': neither is found alone.
    EXPECT_FALSE(containsCp932(kA, "A"));
    EXPECT_FALSE(containsCp932(kA, "a"));
    EXPECT_FALSE(containsCp932("x" + kSo + "n", "\\n"));
    EXPECT_TRUE(containsCp932("x" + kSo + "\\n", "\\n"));
    // A lead byte followed by a trail that starts the needle does not hide it.
    EXPECT_TRUE(containsCp932(kA + "A", "a"));
    EXPECT_TRUE(containsCp932("ab" + kA + kSo + "cd", kA + kSo + "C"));
    // A needle that would begin on a trail byte: ア then ソ is not "A" + ソ.
    EXPECT_FALSE(containsCp932(kA + kSo, "A" + kSo));
    // A lead byte cut off at the end of a field is a unit of its own.
    EXPECT_TRUE(containsCp932("ab\x83", "\x83"));
    EXPECT_FALSE(containsCp932("ab\x83", "\x83\x41"));
}

SyntaxRecord syntax(const char* name, const char* pattern = "", const char* exit = "", const char* title = "") {
    SyntaxRecord record = blankSystemRecord();
    std::strncpy(record.name, name, kNameSize - 1);
    std::strncpy(record.pattern, pattern, kPatternSize - 1);
    std::strncpy(record.exitPattern, exit, kExitPatternSize - 1);
    std::uint8_t code[kCompileAreaSize] = {};
    const int length = compilePattern(title, code);
    EXPECT_GT(length, 0) << title;
    std::memcpy(record.titleCode, code, std::size_t(length));
    record.depth = 1;
    return record;
}

TEST(SyntaxMatches, OnlyTheChosenFieldsAreSearched) {
    const SyntaxRecord record = syntax("Mail", "^From:", "^End", "Title ");
    SearchFields none{false, false, false, false};
    EXPECT_FALSE(syntaxMatches(record, "mail", none));
    EXPECT_TRUE(syntaxMatches(record, "mail", {true, false, false, false}));
    EXPECT_FALSE(syntaxMatches(record, "mail", {false, true, true, true}));
    EXPECT_TRUE(syntaxMatches(record, "from", {false, true, false, false}));
    EXPECT_FALSE(syntaxMatches(record, "from", {true, false, true, true}));
    EXPECT_TRUE(syntaxMatches(record, "^end", {false, false, true, false}));
    EXPECT_FALSE(syntaxMatches(record, "^end", {true, true, false, true}));
    // The title is searched as the pane shows it, rendered from its code.
    EXPECT_TRUE(syntaxMatches(record, "title", {false, false, false, true}));
    EXPECT_FALSE(syntaxMatches(record, "title", {true, true, true, false}));
}

TEST(SyntaxMatches, FieldsWithoutTheirNulEndAtTheirWidth) {
    SyntaxRecord record = syntax("x");
    std::memset(record.name, 'n', kNameSize);  // no NUL: read up to the width
    std::memset(record.exitPattern, 'e', kExitPatternSize);
    record.exitPattern[kExitPatternSize - 1] = 'E';
    EXPECT_TRUE(syntaxMatches(record, std::string(kNameSize, 'N'), {}));
    EXPECT_FALSE(syntaxMatches(record, std::string(kNameSize + 1, 'N'), {true, false, false, false}));
    EXPECT_TRUE(syntaxMatches(record, "eE", {false, false, true, false}));
    // A broken title code is no title, and nothing is read past it.
    std::memset(record.titleCode, 0xEE, kTitleCodeSize);
    EXPECT_FALSE(syntaxMatches(record, "x", {false, false, false, true}));
}

// Records 3 up named as given.
void fill(Document& doc, std::initializer_list<const char*> names) {
    doc.newDocument();
    for (const char* name : names) doc.insertSyntax(doc.syntaxCount(), syntax(name));
}

TEST(FindSyntax, WalksOnFromTheSelectionAndWrapsRoundToIt) {
    Document doc;
    //         3      4      5      6       7
    fill(doc, {"cat", "dog", "Cat", "bird", "CAT"});
    const SearchFields all{};
    // Forward from 3: 5, then 7, then round to 3 itself.
    EXPECT_EQ(findSyntax(doc, "cat", all, 3, false).position, 5);
    EXPECT_FALSE(findSyntax(doc, "cat", all, 3, false).wrapped);
    EXPECT_EQ(findSyntax(doc, "cat", all, 5, false).position, 7);
    const SearchHit round = findSyntax(doc, "cat", all, 7, false);
    EXPECT_EQ(round.position, 3);
    EXPECT_TRUE(round.wrapped);
    // Backward from 5: 3, then round past the start to 7.
    EXPECT_EQ(findSyntax(doc, "cat", all, 5, true).position, 3);
    const SearchHit back = findSyntax(doc, "cat", all, 3, true);
    EXPECT_EQ(back.position, 7);
    EXPECT_TRUE(back.wrapped);
    // The only match is the selection itself: found again, after the wrap.
    const SearchHit self = findSyntax(doc, "bird", all, 6, false);
    EXPECT_EQ(self.position, 6);
    EXPECT_TRUE(self.wrapped);
    EXPECT_EQ(findSyntax(doc, "bird", all, 6, true).position, 6);
    // Nothing to find.
    EXPECT_EQ(findSyntax(doc, "fish", all, 4, false).position, -1);
    EXPECT_EQ(findSyntax(doc, "", all, 4, false).position, -1);
}

TEST(FindSyntax, WithoutASyntaxSelectedTheWalkCoversTheTableOnce) {
    Document doc;
    fill(doc, {"cat", "dog", "cat"});
    for (int from : {-1, 0, kRootRecord}) {
        const SearchHit forward = findSyntax(doc, "cat", {}, from, false);
        EXPECT_EQ(forward.position, 3) << from;
        EXPECT_FALSE(forward.wrapped);
        const SearchHit backward = findSyntax(doc, "cat", {}, from, true);
        EXPECT_EQ(backward.position, 5) << from;
        EXPECT_FALSE(backward.wrapped);
    }
    // Record 2 is not searched: its name is fixed and it cannot be edited.
    EXPECT_EQ(findSyntax(doc, "(sys)", {}, -1, false).position, -1);
    fill(doc, {});
    EXPECT_EQ(findSyntax(doc, "cat", {}, -1, false).position, -1);
}

}  // namespace
}  // namespace lumaset
