#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "document/tag_file.h"
#include "pattern/pattern_code.h"
#include "support/recorded_errors.h"
#include "tag_file_builder.h"

namespace lumaset {
namespace {

using testing::Bytes;
using testing::TagFileBuilder;
using testing::recordedErrors;

const std::string kName = "x.tag";
const std::string kReadFailed = kName + "の読み込みに失敗しました。";
// Messages about what a file holds name it on their first line.
const std::string kTitleTooLong = kName + "\n" +
    "ツリーに表示するタイトルを変換したらサイズが大きすぎて入り切りませんでした。"
    "該当するタイトルが\"タイトル長すぎ\"になります。";
const std::string kTitleConversionFailed = kName + "\n" +
    "ツリーに表示するタイトルの変換処理でエラーが発生しました。該当するタイトルが\"変換エラー\"になります。";

class TagFileLoad : public ::testing::Test {
protected:
    void SetUp() override { recordedErrors().clear(); }

    bool load(const Bytes& bytes) { return loadTagFileFromBytes(doc, bytes, kName); }

    void expectNewDocument() {
        EXPECT_EQ(doc.syntaxCount(), 3);
        EXPECT_EQ(doc.indexCount(), 0);
        EXPECT_FALSE(doc.hasMemo());
        EXPECT_EQ(doc.syntaxAt(2)->name[0], '(');
    }

    std::vector<std::uint8_t> titleOf(int position) {
        const std::uint8_t* t = doc.syntaxAt(position)->titleCode;
        return std::vector<std::uint8_t>(t, t + kTitleCodeSize);
    }

    Document doc;
};

// The title code a text compiles to, padded to its field.
std::vector<std::uint8_t> compiledTitle(const char* text) {
    std::uint8_t area[kCompileAreaSize] = {};
    const int n = compilePattern(text, area);
    std::vector<std::uint8_t> field(kTitleCodeSize, 0);
    if (n > 0 && n <= kTitleCodeSize) std::memcpy(field.data(), area, std::size_t(n));
    return field;
}

void putTitleText(Bytes& record, const char* text) { std::memcpy(record.data() + 364, text, std::strlen(text)); }

TEST_F(TagFileLoad, CurrentVersionKeepsEveryStoredByte) {
    TagFileBuilder b(4107);
    b.addSystemRecords();
    Bytes& r = b.addRecord("user", 1);
    for (int i = 51; i < kStoredSyntaxRecordSize; ++i) r[std::size_t(i)] = std::uint8_t(i * 7);
    r[357] = 1;  // has a message format
    b.addRecord("plain", 1)[357] = 0;
    MessageFormat f{};
    f.kind = 2;
    std::memset(f.reserved, 0x5A, sizeof f.reserved);
    b.addMessageFormat(f);
    IndexEntry e{};
    std::strcpy(e.name, "idx");
    e.memberCount = 2;
    e.members[0] = 3;
    e.members[1] = 4;
    b.addIndex(e);
    b.setMemoBlock({'m', 'e', 'm', 'o', 0});
    const Bytes file = b.bytes();

    ASSERT_TRUE(load(file));
    EXPECT_TRUE(recordedErrors().empty());
    ASSERT_EQ(doc.syntaxCount(), 5);
    // Derived fields are taken as stored: no recomputation for 4107.
    EXPECT_EQ(0, std::memcmp(doc.syntaxAt(3), file.data() + 68 + 3 * 684, 684));
    EXPECT_EQ(0, std::memcmp(&doc.syntaxAt(3)->messageFormat, &f, sizeof f));
    EXPECT_EQ(doc.syntaxAt(4)->messageFormat.kind, 0);
    ASSERT_EQ(doc.indexCount(), 1);
    EXPECT_EQ(0, std::memcmp(doc.indexAt(0), &e, sizeof e));
    EXPECT_EQ(doc.memoText(), "memo");
}

TEST_F(TagFileLoad, MoreMessageFormatsThanRecordsStillReadsTheMemo) {
    TagFileBuilder b(4107);
    b.addSystemRecords();
    b.addRecord("msg", 1)[357] = 9;  // any non-zero ordinal counts
    MessageFormat f{};
    f.kind = 1;
    b.addMessageFormat(f);
    b.addMessageFormat(f);
    b.addMessageFormat(f);
    b.setMemoBlock({'o', 'k', 0});
    ASSERT_TRUE(load(b.bytes()));
    EXPECT_EQ(recordedErrors(), std::vector<std::string>{kName + "\n情報に一部矛盾がありますが処理を続行します。"});
    EXPECT_EQ(doc.syntaxAt(3)->messageFormat.kind, 1);
    EXPECT_EQ(doc.memoText(), "ok");
}

TEST_F(TagFileLoad, MessageFormatsStopAtTheirCount) {
    TagFileBuilder b(4107);
    b.addSystemRecords();
    b.addRecord("first", 1)[357] = 1;
    b.addRecord("second", 1)[357] = 2;  // its block is not in the file
    MessageFormat f{};
    f.kind = 1;
    b.addMessageFormat(f);
    b.setMemoBlock(Bytes(kMessageFormatSize, 'k'));
    ASSERT_TRUE(load(b.bytes()));
    EXPECT_TRUE(recordedErrors().empty());
    EXPECT_EQ(doc.syntaxAt(3)->messageFormat.kind, 1);
    EXPECT_EQ(doc.syntaxAt(4)->messageFormat.kind, 0);
    EXPECT_EQ(doc.memoText(), std::string(kMessageFormatSize, 'k'));

    // memoLength 0: no memo at all, whatever follows.
    b.memoLength = 0;
    ASSERT_TRUE(load(b.bytes()));
    EXPECT_FALSE(doc.hasMemo());
}

TEST_F(TagFileLoad, Version4106IgnoresMessageFormats) {
    for (int blocks : {2, 0}) {
        SCOPED_TRACE(blocks);
        recordedErrors().clear();
        TagFileBuilder b(4106);
        b.addSystemRecords();
        Bytes& r = b.addRecord("msg", 1);
        r[357] = 1;
        r[356] = 1;  // jumpToChild is in use from 4105
        std::memcpy(r.data() + 51, "a\\fb\\nc", 7);
        putTitleText(r, "\\(0,5)");
        b.addLegacyMessageFormats(blocks);
        b.setMemoBlock({'m', 0});
        ASSERT_TRUE(load(b.bytes()));
        // Only a file that holds blocks hears about them.
        const std::vector<std::string> ignored{kName + "\nこのカラー構文ファイルに含まれる発言形式関係の情報は無視されます。"
                                               "発言関係の構文を作り直してください。"};
        EXPECT_EQ(recordedErrors(), blocks ? ignored : std::vector<std::string>{});
        const SyntaxRecord* rec = doc.syntaxAt(3);
        EXPECT_EQ(rec->messageFormat.kind, 0);
        if (blocks) EXPECT_EQ(rec->messageFormatOrdinal, 0);
        EXPECT_EQ(rec->jumpToChild, 1);
        // Its title is still text: compiled, and the derived fields follow.
        EXPECT_EQ(titleOf(3), compiledTitle("\\(0,5)"));
        EXPECT_EQ(rec->titleMaxSecond, 5);
        EXPECT_EQ(rec->patternLines, 2);
        EXPECT_STREQ(rec->patternNoSep, "ab\\nc");
        EXPECT_EQ(doc.memoText(), "m");
    }
}

TEST_F(TagFileLoad, Version4104ConvertsTitlesAndRecomputesDerivedFields) {
    TagFileBuilder b(4104);
    b.addSystemRecords();
    Bytes& ok = b.addRecord("ok", 1);
    std::memcpy(ok.data() + 51, "a\\fb\\nc", 7);
    putTitleText(ok, "\\(3,1)\\(0,4,9)");
    ok[356] = 1;  // jumpToChild not yet in use: cleared
    ok[358] = 7;
    // 40 parts of three bytes each compile to more than 120 bytes.
    std::string longTitle;
    for (int i = 0; i < 40; ++i) longTitle += "\\1x";
    putTitleText(b.addRecord("long", 1), longTitle.c_str());
    putTitleText(b.addRecord("bad", 1), "\\(1,128)");
    // A title filling the whole field, with no NUL: it ends at the field.
    std::string fullTitle;
    for (int i = 0; i < 15; ++i) fullTitle += "\\(1,2,3)";
    Bytes& full = b.addRecord("full", 1);
    putTitleText(full, fullTitle.c_str());
    full[484] = 'Z';
    // A text run of 117 bytes is 120 bytes of code: the most that fits.
    const std::string fits(117, 'f');
    putTitleText(b.addRecord("fits", 1), fits.c_str());
    putTitleText(b.addRecord("over", 1), (fits + "o").c_str());
    ASSERT_TRUE(load(b.bytes()));

    EXPECT_EQ(recordedErrors(), (std::vector<std::string>{kTitleTooLong, kTitleConversionFailed, kTitleTooLong}));
    const SyntaxRecord* r = doc.syntaxAt(3);
    EXPECT_EQ(titleOf(3), compiledTitle("\\(3,1)\\(0,4,9)"));
    EXPECT_EQ(r->titleMaxSecond, 4);
    EXPECT_EQ(r->patternLines, 2);
    EXPECT_STREQ(r->patternNoSep, "ab\\nc");
    EXPECT_EQ(r->jumpToChild, 0);
    EXPECT_EQ(r->reservedB, 0);
    EXPECT_EQ(titleOf(4), compiledTitle("\x83\x5e\x83\x43\x83\x67\x83\x8b\x92\xb7\x82\xb7\x82\xac"));
    EXPECT_EQ(titleOf(5), compiledTitle("\x95\xcf\x8a\xb7\x83\x47\x83\x89\x81\x5b"));
    EXPECT_EQ(titleOf(6), compiledTitle(fullTitle.c_str()));
    EXPECT_EQ(titleOf(7), compiledTitle(fits.c_str()));
    EXPECT_EQ(titleOf(7)[kTitleCodeSize - 1], 0);
    EXPECT_EQ(titleOf(8), titleOf(4));
    EXPECT_EQ(doc.syntaxAt(0)->patternLines, 1);
}

TEST_F(TagFileLoad, Versions4099To4103ReadTheShortRecordAndSkipLegacyBlocks) {
    for (std::uint32_t v : {4099u, 4100u, 4101u, 4102u, 4103u}) {
        SCOPED_TRACE(v);
        recordedErrors().clear();
        TagFileBuilder b(v);
        b.addSystemRecords();
        Bytes& r = b.addRecord("user", 1);
        putTitleText(r, "\\(2,3)");
        std::memset(r.data() + 414, 0x77, 616 - 414);  // the discarded tail
        r[351] = 4;
        r[354] = 6;
        // A title text that fills its 50 bytes runs on into the tail unless
        // the tail is dropped.
        const std::string fullText(50, 't');
        Bytes& full = b.addRecord("full", 1);
        putTitleText(full, fullText.c_str());
        std::memset(full.data() + 414, 0x77, 616 - 414);
        b.addLegacy100(2);  // only skipped below 4101
        if (v < 4102) {
            b.addLegacyIndex(3);
            b.addLegacy154(1);
        } else {
            IndexEntry e{};
            e.memberCount = 1;
            e.members[0] = 3;
            b.addIndex(e);
        }
        b.setMemoBlock({'z', 0});
        // From 4101 the header still counts 100-byte blocks, but there are none.
        ASSERT_TRUE(load(b.bytes()));
        EXPECT_TRUE(recordedErrors().empty());
        const SyntaxRecord* rec = doc.syntaxAt(3);
        EXPECT_STREQ(rec->name, "user");
        EXPECT_EQ(titleOf(3), compiledTitle("\\(2,3)"));
        EXPECT_EQ(rec->titleMaxSecond, 3);
        // Below 4100 the line count moves from 354 to 351.
        EXPECT_EQ(rec->colourLines, v < 4100 ? 6 : 4);
        EXPECT_EQ(titleOf(4), compiledTitle(fullText.c_str()));
        EXPECT_EQ(doc.indexCount(), v < 4102 ? 0 : 1);
        EXPECT_EQ(doc.memoText(), "z");
    }
}

TEST_F(TagFileLoad, Version4098AndOlderBuildTitlesFromPositions) {
    for (std::uint32_t v : {4098u, 4097u, 4096u, 4000u, 0u}) {
        SCOPED_TRACE(v);
        recordedErrors().clear();
        TagFileBuilder b(v);
        b.addRecord("sys0", 0);
        b.addRecord("sys1", 0);
        Bytes& root = b.addRecord("sys2", 0);
        root[352] = 7;
        root[353] = 8;
        Bytes& none = b.addRecord("none", 1);
        none[352] = 255;
        none[354] = 3;
        Bytes& two = b.addRecord("two", 1);
        two[351] = 5;
        two[352] = 2;
        two[353] = 9;
        b.addLegacy100(1);
        b.addLegacyIndex(2);
        b.addLegacy154(1);
        b.setMemoBlock({'q', 0});
        ASSERT_TRUE(load(b.bytes()));
        EXPECT_TRUE(recordedErrors().empty());
        EXPECT_EQ(doc.memoText(), "q");
        // Files before 4098 did not set reservedA yet.
        if (v < 4098) {
            for (int i = 0; i < doc.syntaxCount(); ++i) EXPECT_EQ(doc.syntaxAt(i)->reservedA, 255);
        }
        EXPECT_EQ(titleOf(3), compiledTitle(""));
        EXPECT_EQ(doc.syntaxAt(3)->titleMaxSecond, 0);
        // 4098 knows a third number at 351; older versions do not use it;
        // 4096 clears the second number of every record.
        const char* expected = v == 4098 ? "\\(2,9,5)" : v == 4096 ? "\\(2,0)" : "\\(2,9)";
        EXPECT_EQ(titleOf(4), compiledTitle(expected));
        // 4096 sets the byte at 354 to 1 before it becomes the line count.
        EXPECT_EQ(doc.syntaxAt(3)->colourLines, v == 4096 ? 1 : 3);
        // 4096 clears both numbers of the root record.
        EXPECT_EQ(titleOf(2), compiledTitle(v == 4096 ? "\\(0,0)" : "\\(7,8)"));
    }
}

TEST_F(TagFileLoad, RefusedFilesLeaveANewDocument) {
    TagFileBuilder good(4107);
    good.addSystemRecords();
    const Bytes base = good.bytes();

    struct Case {
        const char* what;
        Bytes bytes;
        std::string message;
    };
    std::vector<Case> cases;
    Bytes b = base;
    b[52] = 0x0C;  // 4108
    cases.push_back({"too new", b, kName + "のバージョンが新しすぎて扱えません。"});
    b = base;
    b[35] = ' ';  // magic without its NUL
    cases.push_back({"no NUL", b, kName + "はTarvelon用のファイルではありません。"});
    b = base;
    b[0] = 't';
    cases.push_back({"wrong magic", b, kName + "はTarvelon用のファイルではありません。"});
    for (std::uint16_t count : {0, 2, 256, 65535}) {
        TagFileBuilder c(4107);
        c.addSystemRecords();
        c.syntaxCount = count;
        cases.push_back({"record count", c.bytes(), kReadFailed});
    }
    cases.push_back({"empty", Bytes{}, kReadFailed});

    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        recordedErrors().clear();
        doc.setMemoText(std::string("left over"));
        EXPECT_FALSE(load(c.bytes));
        EXPECT_EQ(recordedErrors(), std::vector<std::string>{c.message});
        expectNewDocument();
    }
}

TEST_F(TagFileLoad, TruncatedAtEveryLengthNeverCrashes) {
    for (std::uint32_t v : {4107u, 4106u, 4104u, 4101u, 4098u, 4096u}) {
        TagFileBuilder b(v);
        b.addSystemRecords();
        Bytes& r = b.addRecord("user", 1);
        r[357] = 1;
        if (v <= 4098) r[352] = 1;
        else putTitleText(r, "\\(1,2)");
        MessageFormat f{};
        f.kind = 1;
        b.addMessageFormat(f);
        IndexEntry e{};
        e.memberCount = 1;
        e.members[0] = 3;
        b.addIndex(e);
        b.addLegacyIndex(1);
        b.addLegacyMessageFormats(1);
        b.setMemoBlock({'a', 'b', 'c', 0});
        const Bytes full = b.bytes();
        for (std::size_t n = 0; n <= full.size(); ++n) {
            recordedErrors().clear();
            const Bytes cut(full.begin(), full.begin() + std::ptrdiff_t(n));
            const bool loaded = load(cut);
            if (n < 68) {
                ASSERT_FALSE(loaded) << v << " " << n;
                ASSERT_EQ(recordedErrors(), std::vector<std::string>{kReadFailed});
                continue;
            }
            ASSERT_TRUE(loaded) << v << " " << n;
            ASSERT_EQ(doc.syntaxCount(), 4);
        }
        // The full file's memo survives; a cut one is zero-padded.
        ASSERT_TRUE(load(full));
        EXPECT_EQ(doc.memoText(), "abc");
        ASSERT_TRUE(load(Bytes(full.begin(), full.end() - 2)));
        EXPECT_EQ(doc.memoText(), "ab");
    }
}

TEST_F(TagFileLoad, MemoWithoutNulAndIndexCutShort) {
    TagFileBuilder b(4107);
    b.addSystemRecords();
    IndexEntry e{};
    std::memset(&e, 0x33, sizeof e);
    b.addIndex(e);
    b.indexCount = 3;  // two entries missing from the file
    Bytes file = b.bytes();
    ASSERT_TRUE(load(file));
    ASSERT_EQ(doc.indexCount(), 3);
    EXPECT_EQ(doc.indexAt(0)->memberCount, 0x33);
    EXPECT_EQ(doc.indexAt(1)->memberCount, 0);
    EXPECT_EQ(doc.indexAt(2)->name[0], 0);

    TagFileBuilder m(4107);
    m.addSystemRecords();
    m.setMemoBlock({'e', 'n', 'd'});
    ASSERT_TRUE(load(m.bytes()));
    EXPECT_EQ(doc.memoText(), "end");

    TagFileBuilder nul(4107);
    nul.addSystemRecords();
    nul.setMemoBlock({0});
    ASSERT_TRUE(load(nul.bytes()));
    EXPECT_TRUE(doc.hasMemo());
    EXPECT_EQ(doc.memoText(), "");
}

TEST_F(TagFileLoad, OddStructureIsKeptAsStored) {
    TagFileBuilder b(4107);
    b.addSystemRecords();
    Bytes& deep = b.addRecord("deep", 12);
    std::memset(deep.data(), 'n', kNameSize);  // name without a NUL
    b.addRecord("root level", 0);
    IndexEntry e{};
    e.memberCount = 250;
    std::memset(e.members, 254, sizeof e.members);
    b.addIndex(e);
    ASSERT_TRUE(load(b.bytes()));
    EXPECT_EQ(doc.syntaxAt(3)->depth, 12);
    EXPECT_EQ(doc.syntaxAt(4)->depth, 0);
    EXPECT_EQ(testing::Bytes(doc.syntaxAt(3)->name, doc.syntaxAt(3)->name + kNameSize), Bytes(kNameSize, 'n'));
    EXPECT_EQ(doc.indexAt(0)->memberCount, 250);
    doc.removeSyntax(3);  // damaged members must not upset later edits
    EXPECT_EQ(doc.syntaxCount(), 4);
}

}  // namespace
}  // namespace lumaset
