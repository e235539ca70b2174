// Recovery copies offered at start: each answer to the question, and what
// it leaves in the window, in the file and in the recovery folder.
#include "gui_support.h"

#include <algorithm>
#include <fstream>
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

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

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
        const fs::path file = tempPath(L"作業.tag");
        Document saved;
        appendSyntax(saved, "alpha", 1);
        EXPECT_TRUE(saveTagFile(saved, file));
        savedBytes_ = bytesOf(file);
        appendSyntax(saved, "beta", 1);
        EXPECT_TRUE(writeTagFileCopy(saved, std::string_view("メモ"), copyPath(kRecoveryCopyExtension, owner)));
        RecoveryDraft draft;
        draft.selection = 4;
        draft.name = u"gamma";
        draft.colourLines = u"1";
        const std::wstring path = file.wstring();
        RecoveryInfo info{owner.processId, owner.processStart, 0x01DB000000000002ULL,
                          std::u16string(path.begin(), path.end()), fs::file_size(copyPath(kRecoveryCopyExtension, owner)),
                          draft};
        std::ofstream(copyPath(kRecoveryInfoExtension, owner), std::ios::binary) << std::string_view(
            reinterpret_cast<const char*>(encodeRecoveryInfo(info).data()), encodeRecoveryInfo(info).size());
        return file;
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
        EXPECT_EQ(question.owner, a().windows.main);
        EXPECT_EQ(question.caption, kEditorCaption);
        EXPECT_EQ(question.type, UINT(MB_YESNO | MB_ICONQUESTION));
        EXPECT_EQ(question.text.rfind(file.wstring(), 0), 0u) << "the path comes first";
        EXPECT_NE(question.text.find(L"保存されていない変更が残っています。復元しますか？"), std::wstring::npos);

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

// An end between writing the copy and its side file: the pane edit was made
// in another state of the document and is not applied to this one.
TEST_F(Recovery, APaneEditOfAnotherStateIsNotApplied) {
    const fs::path file = plantCopy();
    Document later;
    appendSyntax(later, "alpha", 1);
    appendSyntax(later, "new", 1);
    appendSyntax(later, "beta", 1);
    ASSERT_TRUE(writeTagFileCopy(later, std::nullopt, copyPath(kRecoveryCopyExtension)));
    ui().messageBoxAnswers = {IDYES};
    ASSERT_TRUE(start(file.wstring()));
    ASSERT_EQ(a().document.syntaxCount(), 6);
    EXPECT_STREQ(a().document.syntaxAt(4)->name, "new");
    EXPECT_EQ(windowText(a().windows.main), windowTitle(file.wstring(), true));
}

TEST_F(Recovery, DamagedCopiesAreKeptAsideAndLeftoversGo) {
    const fs::path file = plantCopy();
    std::ofstream(copyPath(kRecoveryInfoExtension), std::ios::binary) << "LumasetRecovery";  // cut short
    const std::u16string stem = recoveryStem({7, 7});
    const std::uint64_t now = fileTimeNow();
    const fs::path old = recovery_ / wide(keptStem(stem, now - 31 * kTicksPerDay) + u".tag");
    const fs::path recent = recovery_ / wide(keptStem(stem, now - 29 * kTicksPerDay) + u".tag");
    std::ofstream(old) << "x";
    std::ofstream(recent) << "x";
    const fs::path cutShort = recovery_ / wide(recoveryStem(kGoneEditor) + u".tag.lumaset-7-0.tmp");
    std::ofstream(cutShort) << "x";

    ASSERT_TRUE(start(file.wstring()));
    ASSERT_EQ(ui().messageBoxes.size(), 1u) << "no question, one message";
    EXPECT_EQ(ui().messageBoxes[0].text.rfind(copyPath(kRecoveryInfoExtension).wstring(), 0), 0u);
    EXPECT_EQ(windowText(a().windows.main), windowTitle(file.wstring(), false));
    EXPECT_FALSE(fs::exists(old));
    EXPECT_FALSE(fs::exists(cutShort));
    EXPECT_TRUE(fs::exists(recent));
    EXPECT_EQ(leftInFolder().size(), 3u) << "the damaged pair, kept aside, and the recent kept copy";
    for (const std::wstring& name : leftInFolder()) EXPECT_NE(name.find(L".kept-"), std::wstring::npos) << name;
}

}  // namespace
}  // namespace lumaset::testing
