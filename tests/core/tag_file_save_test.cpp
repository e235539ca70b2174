#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#ifdef _WIN32
#include <windows.h>
#endif

#include "document/error_message.h"
#include "document/file_io.h"
#include "document/tag_file.h"
#include "support/recorded_errors.h"
#include "tag_file_builder.h"

namespace lumaset {
namespace {

using testing::Bytes;
using testing::readFileBytes;
using testing::recordedErrors;
using testing::ScratchFolder;
using testing::writeFileBytes;

SyntaxRecord patterned(const char* name, int depth, std::uint8_t seed) {
    SyntaxRecord r = blankSystemRecord();
    auto* bytes = reinterpret_cast<std::uint8_t*>(&r);
    for (int i = 0; i < kSyntaxRecordSize; ++i) bytes[i] = std::uint8_t(seed + i * 13);
    std::memset(r.name, 0, kNameSize);
    std::strcpy(r.name, name);
    r.depth = std::uint8_t(depth);
    return r;
}

// A document that uses every section of the file.
void fillDocument(Document& doc) {
    SyntaxRecord a = patterned("a", 1, 1);
    a.messageFormat.kind = kMessageNumberChecked;
    SyntaxRecord b = patterned("b", 2, 2);
    b.messageFormat.kind = kNotMessage;
    SyntaxRecord c = patterned("c", 1, 3);
    c.messageFormat.kind = kMessageNumberUnchecked;
    ASSERT_TRUE(doc.insertSyntax(3, a));
    ASSERT_TRUE(doc.insertSyntax(4, b));
    ASSERT_TRUE(doc.insertSyntax(5, c));
    IndexEntry e{};
    std::strcpy(e.name, "index");
    e.memberCount = 2;
    e.members[0] = 3;
    e.members[1] = 5;
    e.members[7] = 0x99;  // slots past the count are kept too
    ASSERT_TRUE(doc.indexTable.insertAt(0, &e));
    doc.setMemoText(std::string("memo \x83\x5c text"));
}

class TagFileSave : public ::testing::Test {
protected:
    void SetUp() override {
        recordedErrors().clear();
        fileFaults() = {};
    }
    void TearDown() override { fileFaults() = {}; }

    std::string message(const std::filesystem::path& p, const char* text) { return pathForMessage(p) + text; }

    ScratchFolder folder;
    Document doc;
};

TEST_F(TagFileSave, NewDocumentIsHeaderAndThreeRecords) {
    const auto path = folder / "new.tag";
    ASSERT_TRUE(saveTagFile(doc, path));
    const Bytes file = readFileBytes(path);
    ASSERT_EQ(file.size(), 2120u);
    EXPECT_EQ(0, std::memcmp(file.data(), kTagFileMagic, sizeof kTagFileMagic));
    EXPECT_TRUE(std::all_of(file.begin() + 36, file.begin() + 52, [](std::uint8_t c) { return c == 0; }));
    const Bytes counts(file.begin() + 52, file.begin() + 68);
    EXPECT_EQ(counts, (Bytes{0x0B, 0x10, 0, 0, 0, 0, 0, 0, 3, 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(0, std::memcmp(file.data() + 68 + 2 * 684, doc.syntaxAt(2), 684));
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"new.tag"});
}

TEST_F(TagFileSave, SaveThenLoadGivesBackEveryStoredByte) {
    fillDocument(doc);
    const auto path = folder / "round.tag";
    ASSERT_TRUE(saveTagFile(doc, path));
    // Ordinals are numbered on saving: message syntaxes only, in table order.
    EXPECT_EQ(doc.syntaxAt(3)->messageFormatOrdinal, 1);
    EXPECT_EQ(doc.syntaxAt(4)->messageFormatOrdinal, 0);
    EXPECT_EQ(doc.syntaxAt(5)->messageFormatOrdinal, 2);

    const Bytes file = readFileBytes(path);
    const std::size_t memoLength = doc.memoText().size() + 1;
    EXPECT_EQ(file.size(), 68 + 6 * 684 + 61 + 2 * 234 + memoLength);
    EXPECT_EQ(file[62], 2);
    EXPECT_EQ(file[64], 1);
    EXPECT_EQ(file[66], memoLength);
    EXPECT_EQ(file.back(), 0);

    Document loaded;
    ASSERT_TRUE(loadTagFile(loaded, path));
    EXPECT_TRUE(recordedErrors().empty());
    ASSERT_EQ(loaded.syntaxCount(), 6);
    for (int i = 0; i < 6; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(0, std::memcmp(loaded.syntaxAt(i), doc.syntaxAt(i), kStoredSyntaxRecordSize));
        if (doc.syntaxAt(i)->messageFormat.kind != kNotMessage) {
            EXPECT_EQ(0, std::memcmp(&loaded.syntaxAt(i)->messageFormat, &doc.syntaxAt(i)->messageFormat,
                                     kMessageFormatSize));
        }
    }
    ASSERT_EQ(loaded.indexCount(), 1);
    EXPECT_EQ(0, std::memcmp(loaded.indexAt(0), doc.indexAt(0), kIndexEntrySize));
    EXPECT_EQ(loaded.memoText(), doc.memoText());
}

TEST_F(TagFileSave, MemoLengths) {
    const auto path = folder / "memo.tag";
    doc.setMemoText(std::string());  // present but empty: just its NUL
    ASSERT_TRUE(saveTagFile(doc, path));
    Bytes file = readFileBytes(path);
    EXPECT_EQ(file.size(), 2121u);
    EXPECT_EQ(file[66], 1);

    doc.setMemoText(std::string(kMaxMemoLength - 1, 'm'));  // the longest that fits
    ASSERT_TRUE(saveTagFile(doc, path));
    file = readFileBytes(path);
    EXPECT_EQ(file[66], 0xFF);
    EXPECT_EQ(file[67], 0xFF);
    Document loaded;
    ASSERT_TRUE(loadTagFile(loaded, path));
    EXPECT_EQ(loaded.memoText().size(), std::size_t(kMaxMemoLength - 1));

    // One more byte cannot be stored: refused, and the file stays as it was.
    const Bytes before = readFileBytes(path);
    doc.setMemoText(std::string(kMaxMemoLength, 'm'));
    EXPECT_FALSE(saveTagFile(doc, path));
    EXPECT_EQ(recordedErrors(), std::vector<std::string>{message(path, "への書き込みに失敗しました。")});
    EXPECT_EQ(readFileBytes(path), before);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"memo.tag"});

    // No memo at all: memoLength 0, and none comes back.
    doc.setMemoText(std::nullopt);
    ASSERT_TRUE(saveTagFile(doc, path));
    file = readFileBytes(path);
    EXPECT_EQ(file.size(), 2120u);
    EXPECT_EQ(file[66], 0);
    loaded.setMemoText(std::string("left over"));
    ASSERT_TRUE(loadTagFile(loaded, path));
    EXPECT_FALSE(loaded.hasMemo());
}

// Through the real file layer: old layouts skip their legacy blocks by
// moving the file position, and a file cut short at its end still loads.
TEST_F(TagFileSave, OldAndCutShortFilesLoadFromDisk) {
    const auto path = folder / "old.tag";
    for (std::uint32_t v : {4096u, 4098u, 4101u, 4105u}) {
        SCOPED_TRACE(v);
        testing::TagFileBuilder b(v);
        b.addSystemRecords();
        testing::Bytes& r = b.addRecord("old", 1);
        if (v <= 4098) {
            r[352] = 3;
            r[353] = 4;
        } else {
            std::memcpy(r.data() + 364, "\\(3,4)", 6);
        }
        b.addLegacy100(2);
        b.addLegacyIndex(3);
        b.addLegacy154(2);
        b.setMemoBlock({'o', 'l', 'd', 0});
        writeFileBytes(path, b.bytes());
        ASSERT_TRUE(loadTagFile(doc, path));
        EXPECT_TRUE(recordedErrors().empty());
        ASSERT_EQ(doc.syntaxCount(), 4);
        EXPECT_STREQ(doc.syntaxAt(3)->name, "old");
        EXPECT_EQ(doc.syntaxAt(3)->titleMaxSecond, v == 4096 ? 0 : 4);
        EXPECT_EQ(doc.memoText(), "old");
    }

    ASSERT_TRUE(doc.newDocument());
    fillDocument(doc);
    ASSERT_TRUE(saveTagFile(doc, path));
    const Bytes full = readFileBytes(path);
    const std::string memo(doc.memoText());
    // The memo's last bytes missing: what is there is kept.
    writeFileBytes(path, Bytes(full.begin(), full.end() - 3));
    Document loaded;
    ASSERT_TRUE(loadTagFile(loaded, path));
    EXPECT_EQ(loaded.memoText(), memo.substr(0, memo.size() - 2));
    // Cut inside the last record: its missing bytes read as zero.
    const std::size_t cut = 68 + 5 * 684 + 10;
    writeFileBytes(path, Bytes(full.begin(), full.begin() + std::ptrdiff_t(cut)));
    ASSERT_TRUE(loadTagFile(loaded, path));
    ASSERT_EQ(loaded.syntaxCount(), 6);
    EXPECT_EQ(0, std::memcmp(loaded.syntaxAt(4), doc.syntaxAt(4), kStoredSyntaxRecordSize));
    EXPECT_EQ(0, std::memcmp(loaded.syntaxAt(5), doc.syntaxAt(5), 10));
    EXPECT_EQ(loaded.syntaxAt(5)->titleCode[0], 0);
    EXPECT_EQ(loaded.indexCount(), 1);
    EXPECT_EQ(loaded.memoText(), "");
    // The cut took the second message syntax's ordinal with it.
    EXPECT_EQ(recordedErrors(), std::vector<std::string>{pathForMessage(path) + "\n情報に一部矛盾がありますが処理を続行します。"});
}

TEST_F(TagFileSave, EveryFailingStepKeepsTheOldFile) {
    fillDocument(doc);
    const auto path = folder / "keep.tag";
    const Bytes old = {'o', 'l', 'd'};
    // header, 6 records, the index, 2 message formats, the memo
    const int writes = 1 + 6 + 1 + 2 + 1;
    const std::string writeFailed = message(path, "への書き込みに失敗しました。");

    struct Fault {
        int FileFaults::*field;
        int at;
        std::string message;
    };
    std::vector<Fault> faults = {{&FileFaults::failCreateAt, 1, message(path, "の作成に失敗しました。")},
                                 {&FileFaults::failFlushAt, 1, writeFailed},
                                 {&FileFaults::failReplaceAt, 1, writeFailed}};
    for (int k = 1; k <= writes; ++k) faults.push_back({&FileFaults::failWriteAt, k, writeFailed});

    for (const Fault& f : faults) {
        SCOPED_TRACE(f.at);
        writeFileBytes(path, old);
        recordedErrors().clear();
        fileFaults() = {};
        fileFaults().*f.field = f.at;
        EXPECT_FALSE(saveTagFile(doc, path));
        EXPECT_EQ(recordedErrors(), std::vector<std::string>{f.message});
        EXPECT_EQ(readFileBytes(path), old);
        EXPECT_EQ(folder.entries(), std::vector<std::string>{"keep.tag"});
        // The document keeps its contents.
        EXPECT_EQ(doc.syntaxCount(), 6);
        EXPECT_EQ(doc.memoText(), "memo \x83\x5c text");
    }
    // One write past the last is never reached: the save goes through.
    fileFaults() = {};
    fileFaults().failWriteAt = writes + 1;
    recordedErrors().clear();
    EXPECT_TRUE(saveTagFile(doc, path));
    EXPECT_TRUE(recordedErrors().empty());
    EXPECT_EQ(readFileBytes(path).size(), 68 + 6 * 684 + 61 + 2 * 234 + doc.memoText().size() + 1);
}

// A recovery copy is the file a save would write, with the memo given;
// it leaves the document alone and fails without a word.
TEST_F(TagFileSave, RecoveryCopyIsTheSavedFileQuietly) {
    fillDocument(doc);
    for (int i = 0; i < doc.syntaxCount(); ++i) doc.syntaxAt(i)->messageFormatOrdinal = 99;
    const auto copy = folder / "copy.tag";
    const auto saved = folder / "saved.tag";
    ASSERT_TRUE(writeTagFileCopy(doc, doc.memoText(), copy));
    for (int i = 0; i < doc.syntaxCount(); ++i) EXPECT_EQ(doc.syntaxAt(i)->messageFormatOrdinal, 99);
    ASSERT_TRUE(saveTagFile(doc, saved));
    EXPECT_EQ(readFileBytes(copy), readFileBytes(saved));
    ASSERT_TRUE(writeTagFileCopy(doc, std::nullopt, copy));
    Document loaded;
    ASSERT_TRUE(loadTagFile(loaded, copy));
    EXPECT_FALSE(loaded.hasMemo());

    const Bytes before = readFileBytes(copy);
    fileFaults() = {};
    fileFaults().failFlushAt = 1;
    EXPECT_FALSE(writeTagFileCopy(doc, doc.memoText(), copy));
    fileFaults() = {};
    EXPECT_EQ(readFileBytes(copy), before);
    EXPECT_FALSE(writeTagFileCopy(doc, std::string(kMaxMemoLength, 'm'), copy));
    EXPECT_TRUE(recordedErrors().empty());
    EXPECT_EQ(folder.entries().size(), 2u) << "no temporary file is left";
}

TEST_F(TagFileSave, MissingFilesAndFoldersAreReported) {
    const auto nowhere = folder.path() / "no such folder" / "x.tag";
    EXPECT_FALSE(saveTagFile(doc, nowhere));
    EXPECT_EQ(recordedErrors(), std::vector<std::string>{message(nowhere, "の作成に失敗しました。")});
    recordedErrors().clear();
    // A folder in the file's place is refused before anything is written.
    const auto folderInPlace = folder / "a folder.tag";
    std::filesystem::create_directory(folderInPlace);
    EXPECT_FALSE(saveTagFile(doc, folderInPlace));
    EXPECT_EQ(recordedErrors(), std::vector<std::string>{message(folderInPlace, "の作成に失敗しました。")});
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"a folder.tag"});
    recordedErrors().clear();

    fillDocument(doc);
    const auto missing = folder / "missing.tag";
    EXPECT_FALSE(loadTagFile(doc, missing));
    const auto noFolder = folder.path() / "nowhere" / "x.tag";
    EXPECT_FALSE(loadTagFile(doc, noFolder));
    // A folder where the file should be cannot be opened as one.
    EXPECT_FALSE(loadTagFile(doc, folder.path()));
    EXPECT_EQ(recordedErrors(), (std::vector<std::string>{
                                    message(missing, "は見つかりません。"),
                                    message(noFolder, "は見つかりません。"),
                                    message(folder.path(), "のオープンで何らかのエラーが発生しました。"),
                                }));
    EXPECT_EQ(doc.syntaxCount(), 3);
    EXPECT_FALSE(doc.hasMemo());
}

#ifdef _WIN32
// The reader opens unshared, so a file someone else holds is an open failure.
TEST_F(TagFileSave, FileInUseIsAnOpenFailure) {
    const auto path = folder / "busy.tag";
    ASSERT_TRUE(saveTagFile(doc, path));
    FileSource holder;
    ASSERT_EQ(holder.open(path), OpenResult::Opened);
    EXPECT_FALSE(loadTagFile(doc, path));
    EXPECT_EQ(recordedErrors(), std::vector<std::string>{message(path, "のオープンで何らかのエラーが発生しました。")});
}

// A read-only file is not written over, and no copy is left beside it.
TEST_F(TagFileSave, ReadOnlyFileIsACreateFailure) {
    const auto path = folder / "locked.tag";
    ASSERT_TRUE(saveTagFile(doc, path));
    ASSERT_TRUE(SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY));
    fillDocument(doc);
    EXPECT_FALSE(saveTagFile(doc, path));
    EXPECT_EQ(recordedErrors(), std::vector<std::string>{message(path, "の作成に失敗しました。")});
    EXPECT_EQ(std::filesystem::file_size(path), 68u + 3u * 684u);
    EXPECT_EQ(folder.entries(), std::vector<std::string>{"locked.tag"});
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
}
#endif

}  // namespace
}  // namespace lumaset
