// Recovery copies offered at start: each answer to the question, and what
// it leaves in the window, in the file and in the recovery folder.
#include "gui_support.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>

#include "commands/document_commands.h"
#include "document/tag_file.h"
#include "resources/resource_ids.h"
#include "ui/captions.h"
#include "views/logic/window_title.h"
#include "views/recovery.h"

namespace lumaset::testing {
namespace {

namespace fs = std::filesystem;

// An owner that runs nowhere: no process has id 0xFFFFFFF0.
constexpr RecoveryOwner kGoneEditor{0xFFFFFFF0u, 0x01DB000000000001ULL};

std::vector<std::uint8_t> bytesOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// The bytes a file holds, but for the tree mirror's slot number.
bool sameStoredBytes(SyntaxRecord a, SyntaxRecord b) {
    setTreeItemSlot(a, 0);
    setTreeItemSlot(b, 0);
    return std::memcmp(&a, &b, kStoredSyntaxRecordSize) == 0;
}

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }
std::u16string u16(std::wstring_view text) { return std::u16string(text.begin(), text.end()); }

class Recovery : public GuiTest {
protected:
    void SetUp() override {
        GuiTest::SetUp();
        wchar_t previous[MAX_PATH] = {};
        GetEnvironmentVariableW(L"LUMASET_RECOVERY_FOLDER", previous, MAX_PATH);
        previous_ = previous;
        recovery_ = folder() / L"recovery";
        fs::create_directories(recovery_);
        SetEnvironmentVariableW(L"LUMASET_RECOVERY_FOLDER", recovery_.c_str());
    }
    void TearDown() override {
        GuiTest::TearDown();
        SetEnvironmentVariableW(L"LUMASET_RECOVERY_FOLDER", previous_.empty() ? nullptr : previous_.c_str());
    }

    fs::path copyPath(std::u16string_view extension, const RecoveryOwner& owner = kGoneEditor) const {
        return recovery_ / wide(recoveryStem(owner) + std::u16string(extension));
    }
    std::vector<std::wstring> leftInFolder() const {
        std::vector<std::wstring> names;
        for (const auto& entry : fs::directory_iterator(recovery_)) names.push_back(entry.path().filename().wstring());
        std::sort(names.begin(), names.end());
        return names;
    }

    // The saved file holds "alpha"; the copy of a crashed editor adds
    // "beta", a memo, and a pane edit renaming beta to "gamma" not yet
    // applied.
    fs::path plantCopy(const RecoveryOwner& owner = kGoneEditor) {
        const fs::path file = tempPath(L"作業.tag"), fresh = tempPath(L"fresh.tag");
        Document saved;
        appendSyntax(saved, "alpha", 1);
        EXPECT_TRUE(saveTagFile(saved, fresh));
        // Written only when it differs, so copies planted earlier keep
        // matching the file as it is.
        if (bytesOf(fresh) != bytesOf(file)) writeBytes(file, bytesOf(fresh));
        savedBytes_ = bytesOf(file);
        appendSyntax(saved, "beta", 1);
        std::vector<std::uint8_t> copy;
        EXPECT_TRUE(writeTagFileCopy(saved, std::string_view("メモ"), copyPath(kRecoveryCopyExtension, owner), &copy));
        RecoveryDraft draft;
        draft.selection = 4;
        draft.name = u"gamma";
        draft.colourLines = u"1";
        const std::wstring path = file.wstring();
        RecoveryInfo info;
        info.processId = owner.processId;
        info.processStart = owner.processStart;
        info.changedAt = 0x01DB000000000002ULL;
        info.documentPath = std::u16string(path.begin(), path.end());
        info.copySize = copy.size();
        info.copyChecksum = recoveryChecksum(copy);
        info.original = fileStampOf(file);
        info.draft = draft;
        writeBytes(copyPath(kRecoveryInfoExtension, owner), encodeRecoveryInfo(info));
        return file;
    }
    static void writeBytes(const fs::path& path, const std::vector<std::uint8_t>& bytes) {
        std::ofstream(path, std::ios::binary | std::ios::trunc)
            << std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size());
    }

    fs::path recovery_;
    std::wstring previous_;
    std::vector<std::uint8_t> savedBytes_;
};

TEST_F(Recovery, EachAnswerLeavesWhatItMust) {
    for (int answer : {IDYES, IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer);
        const fs::path file = plantCopy();
        ui() = ScriptedUi{};
        ui().messageBoxAnswers = {answer};
        ASSERT_TRUE(start(file.wstring()));

        ASSERT_EQ(ui().messageBoxes.size(), 1u);
        const MessageBoxCall& question = ui().messageBoxes[0];
        EXPECT_EQ(question.owner, nullptr) << "the main window is not shown yet";
        EXPECT_EQ(question.caption, kEditorCaption);
        EXPECT_EQ(question.type, UINT(MB_YESNO | MB_ICONQUESTION | MB_SETFOREGROUND));
        EXPECT_EQ(question.text.rfind(file.wstring(), 0), 0u) << "the path comes first";
        EXPECT_NE(question.text.find(L"保存されていない変更が残っています。復元しますか？\n\n「いいえ」を選ぶと、"
                                     L"コピーは名前を変えて次のフォルダーに30日間残し、その後削除します。\n" +
                                     recovery_.wstring()),
                  std::wstring::npos);
        EXPECT_EQ(question.text.find(L"新規の文書として開きます"), std::wstring::npos);

        const std::wstring own = copyPath(kRecoveryCopyExtension, thisEditor()).filename().wstring();
        if (answer == IDYES) {
            EXPECT_EQ(windowText(a().windows.main), windowTitle(file.wstring(), true));
            ASSERT_EQ(a().document.syntaxCount(), 5);
            EXPECT_STREQ(a().document.syntaxAt(4)->name, "gamma") << "the pending pane edit is applied";
            EXPECT_EQ(a().selection.selectionIndex, 4);
            // Claimed: only this editor's copy is left, no other editor offers it.
            EXPECT_EQ(leftInFolder(), (std::vector<std::wstring>{own.substr(0, own.size() - 4) + L".info", own}));
            EXPECT_EQ(bytesOf(file), savedBytes_) << "nothing is written before a save";
            EXPECT_EQ(runCommand(IDM_FILE_SAVE), 1);
            EXPECT_EQ(windowText(a().windows.main), windowTitle(file.wstring(), false));
            Document saved;
            ASSERT_TRUE(loadTagFile(saved, file));
            ASSERT_EQ(saved.syntaxCount(), 5);
            EXPECT_STREQ(saved.syntaxAt(4)->name, "gamma");
            EXPECT_EQ(saved.memoText(), "メモ");
            EXPECT_TRUE(leftInFolder().empty()) << "a save removes the copy";
        } else {
            // No, Escape and the close box: the file as saved, the copy kept aside.
            EXPECT_EQ(windowText(a().windows.main), windowTitle(file.wstring(), false));
            EXPECT_EQ(a().document.syntaxCount(), 4);
            const std::vector<std::wstring> left = leftInFolder();
            ASSERT_EQ(left.size(), 2u);
            for (const std::wstring& name : left) EXPECT_NE(name.find(L".kept-"), std::wstring::npos) << name;
            EXPECT_EQ(bytesOf(file), savedBytes_);
        }
        DestroyWindow(a().windows.main);
        pumpMessages();
        EXPECT_TRUE(leftInFolder().size() == (answer == IDYES ? 0u : 2u)) << "closing leaves no copy of its own";
        for (const auto& entry : fs::directory_iterator(recovery_)) fs::remove(entry.path());
        resetApp();
    }
}

// One window, one document: after a Yes, the copies left and a different
// command-line file each go to a new instance.
TEST_F(Recovery, WhatThisWindowCannotHoldGoesToNewInstances) {
    plantCopy();
    plantCopy({0xFFFFFFF1u, 5});
    const fs::path other = tempPath(L"other.tag");
    Document empty;
    ASSERT_TRUE(saveTagFile(empty, other));
    ui().messageBoxAnswers = {IDYES};
    ASSERT_TRUE(start(other.wstring()));
    EXPECT_EQ(ui().messageBoxes.size(), 1u);
    EXPECT_EQ(windowText(a().windows.main), windowTitle(tempPath(L"作業.tag").wstring(), true));
    ASSERT_EQ(ui().processStarts.size(), 2u);
    EXPECT_EQ(ui().processStarts[0].commandLine.find(L"tag"), std::wstring::npos) << "the rest: no file";
    EXPECT_NE(ui().processStarts[1].commandLine.find(other.wstring()), std::wstring::npos);
    EXPECT_EQ(leftInFolder().size(), 4u) << "this editor's copy and the one not asked about yet";
}

// Copies that cannot be trusted whole, or whose file changed since: never
// opened under the file's path, so a save cannot write them over it. Each
// answer is checked against the record bytes, the title and the folder.
TEST_F(Recovery, DamagedPairsAreNeverOpenedOverTheFile) {
    const fs::path copy = copyPath(kRecoveryCopyExtension), info = copyPath(kRecoveryInfoExtension);
    const fs::path ownCopy = copyPath(kRecoveryCopyExtension, thisEditor());
    const std::u16string keptInFuture = keptStem(recoveryStem(kGoneEditor), fileTimeNow() + 10 * kTicksPerDay);
    const auto moveTo = [&](std::u16string_view stem) {
        fs::rename(copy, recovery_ / wide(std::u16string(stem) + u".tag"));
        fs::rename(info, recovery_ / wide(std::u16string(stem) + u".info"));
    };
    const wchar_t* noSideFile = L"このコピーの記録（.info）がないか読めないため、元のファイル名は分かりません。";
    struct Row {
        const char* what;
        std::function<void(const fs::path& file)> harm;
        const wchar_t* note;  // nullptr: nothing is asked
        bool draftApplied;
    };
    const Row rows[] = {
        {"short copy", [&](const fs::path&) { fs::resize_file(copy, kTagFileHeaderSize + 4 * kStoredSyntaxRecordSize + 300); },
         L"このコピーは途中で切れています（3495 バイトのうち 3104 バイト）。レコード 5 個のうち 4 個までが残り", false},
        {"no side file", [&](const fs::path&) { fs::remove(info); }, noSideFile, false},
        {"damaged side file", [&](const fs::path&) { writeBytes(info, {'L', 'u', 'm'}); }, noSideFile, false},
        {"copy newer than its side file",
         [&](const fs::path&) {
             Document later;
             for (const char* name : {"alpha", "new", "beta"}) appendSyntax(later, name, 1);
             ASSERT_TRUE(writeTagFileCopy(later, std::nullopt, copy));
         },
         L"このコピーは記録された大きさ・内容と合いません", false},
        {"file changed since",
         [&](const fs::path& file) {
             Document outside;
             for (const char* name : {"outside", "more"}) appendSyntax(outside, name, 1);
             ASSERT_TRUE(saveTagFile(outside, file));
         },
         L"このファイルはコピーの後にほかで変更されています。", true},
        {"file gone", [&](const fs::path& file) { fs::remove(file); }, L"このファイルは今ディスク上にありません。", true},
        {"claimed by a running editor", [&](const fs::path&) { moveTo(recoveryStem(thisEditor())); }, nullptr, false},
        {"side file alone", [&](const fs::path&) { fs::remove(copy); }, nullptr, false},
        {"kept with a date in the future", [&](const fs::path&) { moveTo(keptInFuture); }, nullptr, false},
    };
    for (const Row& row : rows) {
        for (int answer : row.note ? std::vector<int>{IDYES, IDNO, IDCANCEL} : std::vector<int>{IDYES}) {
            SCOPED_TRACE(std::string(row.what) + " answered " + std::to_string(answer));
            const fs::path file = plantCopy();
            row.harm(file);
            const std::vector<std::uint8_t> fileBytes = bytesOf(file), copyBytes = bytesOf(copy);
            const std::vector<std::wstring> before = leftInFolder();
            ui() = ScriptedUi{};
            ui().messageBoxAnswers = {answer};
            ui().onMessageBox = [&](const MessageBoxCall&) {
                EXPECT_FALSE(fs::exists(copy)) << "claimed before it is asked about: no other editor asks";
                EXPECT_TRUE(fs::exists(ownCopy));
            };
            ASSERT_TRUE(start());
            EXPECT_EQ(bytesOf(file), fileBytes);
            if (!row.note) {
                EXPECT_TRUE(ui().messageBoxes.empty());
                EXPECT_EQ(windowText(a().windows.main), windowTitle(L"", false));
                const std::vector<std::wstring> left = leftInFolder();
                if (row.what == rows[6].what) { EXPECT_EQ(left, before); }
                if (row.what == rows[7].what) { EXPECT_TRUE(left.empty()) << "no copy to offer: nothing to say"; }
                if (row.what == rows[8].what) {
                    ASSERT_EQ(left.size(), 2u);
                    for (const std::wstring& name : left) {
                        const auto kept = keptTimeOfStem(u16(fs::path(name).stem().wstring()));
                        EXPECT_TRUE(kept && *kept <= fileTimeNow()) << "its 30 days start when first seen";
                    }
                }
            } else {
                ASSERT_EQ(ui().messageBoxes.size(), 1u);
                const std::wstring& text = ui().messageBoxes[0].text;
                EXPECT_NE(text.find(row.note), std::wstring::npos) << utf8FromWide(text);
                EXPECT_NE(text.find(L"「はい」を選ぶと新規の文書として開きます。"), std::wstring::npos);
                if (row.note == noSideFile) { EXPECT_EQ(text.rfind(L"(新規)\n", 0), 0u); }
                if (answer == IDYES) {
                    EXPECT_EQ(windowText(a().windows.main), windowTitle(L"", true));
                    Document expected;
                    ASSERT_TRUE(loadTagFileFromBytes(expected, copyBytes, "copy"));
                    ASSERT_EQ(a().document.syntaxCount(), expected.syntaxCount());
                    for (int i = 0; i < expected.syntaxCount(); ++i) {
                        if (i == 4 && row.draftApplied) EXPECT_STREQ(a().document.syntaxAt(i)->name, "gamma");
                        else EXPECT_TRUE(sameStoredBytes(*a().document.syntaxAt(i), *expected.syntaxAt(i))) << i;
                    }
                    EXPECT_EQ(runCommand(IDM_FILE_SAVE), 0) << "the save dialog was cancelled";
                    EXPECT_EQ(ui().fileDialogs.size(), 1u) << "a save asks for a name";
                    EXPECT_EQ(bytesOf(file), fileBytes);
                    EXPECT_TRUE(fs::exists(ownCopy));
                } else {
                    EXPECT_EQ(windowText(a().windows.main), windowTitle(L"", false));
                    const std::vector<std::wstring> left = leftInFolder();
                    EXPECT_EQ(left.size(), before.size());
                    for (const std::wstring& name : left) EXPECT_NE(name.find(L".kept-"), std::wstring::npos) << name;
                }
            }
            DestroyWindow(a().windows.main);
            pumpMessages();
            for (const auto& entry : fs::directory_iterator(recovery_)) fs::remove(entry.path());
            resetApp();
        }
    }
}

// What ages out of the recovery folder, and what a killed save left beside
// the document: only names certainly of an editor that is gone.
TEST_F(Recovery, KeptCopiesAgeOutAndLeftoversOfGoneEditorsGo) {
    const fs::path file = plantCopy();
    const std::u16string stem = recoveryStem({7, 7});
    const std::uint64_t now = fileTimeNow();
    const fs::path old = recovery_ / wide(keptStem(stem, now - 31 * kTicksPerDay) + u".tag");
    const fs::path recent = recovery_ / wide(keptStem(stem, now - 29 * kTicksPerDay) + u".tag");
    const fs::path cutShort = recovery_ / wide(recoveryStem(kGoneEditor) + u".tag.lumaset-7-0.tmp");
    const std::wstring gone = L"作業.tag.lumaset-4294967280-";
    const std::wstring running = L"作業.tag.lumaset-" + std::to_wstring(GetCurrentProcessId()) + L"-";
    const std::pair<std::wstring, bool> besideFile[] = {
        {gone + L"01db000000000001-0.tmp", false},
        {gone + L"3.tmp", false},  // of an earlier version: no process has that id
        {running + wide(recoveryStem(thisEditor()).substr(std::to_string(GetCurrentProcessId()).size() + 1)) + L"-0.tmp",
         true},
        {running + L"0.tmp", true},
        {L"別.tag.lumaset-4294967280-01db000000000001-0.tmp", true},
        {L"作業.tag.lumaset-x.tmp", true},
        {gone + L"01db000000000001-0.tmp.bak", true},
    };
    for (const fs::path& path : {old, recent, cutShort}) std::ofstream(path) << "x";
    for (const auto& [name, stays] : besideFile) std::ofstream(file.parent_path() / name) << "x";
    ui().messageBoxAnswers = {IDNO};
    ASSERT_TRUE(start(file.wstring()));
    EXPECT_FALSE(fs::exists(old));
    EXPECT_FALSE(fs::exists(cutShort));
    EXPECT_TRUE(fs::exists(recent));
    for (const auto& [name, stays] : besideFile) EXPECT_EQ(fs::exists(file.parent_path() / name), stays) << utf8FromWide(name);
}

}  // namespace
}  // namespace lumaset::testing
