// The document commands as a user meets them: titles, open here or in a new
// instance, the save-changes question, save and save as, the memo.
#include "gui/gui_support.h"

#include <commctrl.h>

#include <fstream>

#include "commands/document_commands.h"
#include "views/document_state.h"
#include "document/error_message.h"
#include "document/file_io.h"
#include "document/tag_file.h"
#include "resources/resource_ids.h"
#include "ui/text_convert.h"
#include "views/recent_files.h"
#include "views/tree_mirror.h"

namespace lumaset::testing {
namespace {

constexpr wchar_t kSuffix[] = L" - Tarvelonカラー構文エディタ";
constexpr wchar_t kCaption[] = L"Tarvelonカラー構文エディタ";

class DocumentCommandsTest : public GuiTest {
protected:
    void TearDown() override {
        fileFaults() = FileFaults{};
        GuiTest::TearDown();
    }

    std::filesystem::path writeTagFile(const std::wstring& name, const char* cp932SyntaxName = nullptr) {
        const auto path = tempPath(name);
        Document doc;
        if (cp932SyntaxName) appendSyntax(doc, cp932SyntaxName, 1);
        EXPECT_TRUE(saveTagFile(doc, path));
        return path;
    }

    std::wstring title() { return windowText(a().windows.main); }

    static std::wstring quotedExe() {
        wchar_t exe[MAX_PATH] = {};
        GetModuleFileNameW(nullptr, exe, MAX_PATH);
        return L"\"" + std::wstring(exe) + L"\"";
    }

    // What the user types into the memo edit.
    void typeIntoMemo(const std::wstring& text) {
        HWND memo = a().windows.memo;
        SendMessageW(memo, EM_SETSEL, 0, -1);
        SendMessageW(memo, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
        pumpMessages();
    }

    int treeItemCount() { return int(SendMessageW(a().windows.tree, TVM_GETCOUNT, 0, 0)); }
};

TEST_F(DocumentCommandsTest, TitleFollowsNewChangedAndSavedAs) {
    ASSERT_TRUE(start());
    EXPECT_EQ(title(), std::wstring(L"(新規)") + kSuffix);
    markModified();
    EXPECT_EQ(title(), std::wstring(L"(新規) (更新)") + kSuffix);

    const auto path = tempPath(L"保存先 file.tag");
    ui().fileDialogAnswers.push_back(path.wstring());
    EXPECT_EQ(runCommand(IDM_FILE_SAVE_AS), 1);
    ASSERT_EQ(ui().fileDialogs.size(), 1u);
    EXPECT_TRUE(ui().fileDialogs[0].save);
    EXPECT_EQ(ui().fileDialogs[0].title, L"カラー構文定義ファイルの保存");
    EXPECT_EQ(title(), path.wstring() + kSuffix);
    EXPECT_EQ(std::filesystem::file_size(path), 2120u);  // header and three records
    EXPECT_FALSE(a().file.modified);
    ASSERT_FALSE(a().recent.entries.empty());
    EXPECT_EQ(a().recent.entries.back(), path.wstring());

    // Save as again starts from the current name.
    EXPECT_EQ(runCommand(IDM_FILE_SAVE_AS), 0);
    ASSERT_EQ(ui().fileDialogs.size(), 2u);
    EXPECT_EQ(ui().fileDialogs[1].initialPath, path.wstring());
    EXPECT_TRUE(ui().fileDialogs[0].initialPath.empty());
}

TEST_F(DocumentCommandsTest, HelpContentsAndAbout) {
    ASSERT_TRUE(start());
    EXPECT_EQ(runCommand(IDM_HELP_CONTENTS), 1);
    EXPECT_EQ(ui().helpContexts, std::vector<unsigned>{0});
    EXPECT_EQ(runCommand(IDM_HELP_ABOUT), 1);
    EXPECT_EQ(ui().dialogs, std::vector<int>{IDD_ABOUT});
    EXPECT_TRUE(ui().messageBoxes.empty());
}

// The browser is a process of its own: refused at once, or a launcher that
// ends in failure later (the posted message), the user learns where the
// pages are; a browser that opens says nothing.
TEST_F(DocumentCommandsTest, HelpThatNoBrowserOpensSaysWhereThePagesAre) {
    ASSERT_TRUE(start());
    uiHooks().showHelp = nullptr;
    struct Row {
        bool opens;
        bool laterFailure;
        unsigned context;
        const wchar_t* page;
    };
    const Row rows[] = {
        {true, false, 0, L"index.html"},
        {false, false, 0, L"index.html"},
        {false, false, HELP_CONTEXT_PROPERTIES, L"context-101.html"},
        {true, true, HELP_CONTEXT_MESSAGE_FORMAT, L"context-100.html"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.page);
        ui().messageBoxes.clear();
        std::vector<std::wstring> opened;
        uiHooks().openInBrowser = [&](HWND, const std::wstring& page) {
            opened.push_back(page);
            if (row.laterFailure)
                PostMessageW(a().windows.main, WMU_HELP_NOT_OPENED, 0, LPARAM(new std::wstring(page)));
            return row.opens;
        };
        if (row.context == 0)
            EXPECT_EQ(runCommand(IDM_HELP_CONTENTS), 1);
        else
            showHelp(a().windows.main, row.context);
        pumpMessages();
        ASSERT_EQ(opened.size(), 1u);
        EXPECT_EQ(std::filesystem::path(opened[0]).filename().wstring(), row.page);
        if (row.opens && !row.laterFailure) {
            EXPECT_TRUE(ui().messageBoxes.empty());
            continue;
        }
        ASSERT_EQ(ui().messageBoxes.size(), 1u);
        const std::wstring& text = ui().messageBoxes[0].text;
        EXPECT_NE(text.find(L"ヘルプをブラウザーで開けませんでした。"), std::wstring::npos);
        EXPECT_NE(text.find(std::filesystem::path(opened[0]).parent_path().wstring()), std::wstring::npos);
        EXPECT_NE(text.find(row.page), std::wstring::npos);
    }
}

TEST_F(DocumentCommandsTest, OpenLoadsIntoAFreshWindowOnly) {
    const auto first = writeTagFile(L"first.tag", "\x83\x81\x83\x43\x83\x93");  // メイン
    const auto second = writeTagFile(L"second file.tag");
    ASSERT_TRUE(start());
    const int itemsBefore = treeItemCount();

    ui().fileDialogAnswers.push_back(first.wstring());
    EXPECT_EQ(runCommand(IDM_FILE_OPEN), 1);
    ASSERT_EQ(ui().fileDialogs.size(), 1u);
    EXPECT_FALSE(ui().fileDialogs[0].save);
    EXPECT_EQ(ui().fileDialogs[0].title, L"カラー構文定義ファイルを開く");
    EXPECT_TRUE(ui().processStarts.empty());
    EXPECT_EQ(title(), first.wstring() + kSuffix);
    EXPECT_EQ(treeItemCount(), itemsBefore + 1);

    // A named window: the file goes to a second instance, quoted whole, and
    // the directory the dialog may have moved to is restored.
    wchar_t before[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, before);
    ASSERT_NE(folder(), std::filesystem::path(before));
    ui().fileDialogMovesTo = folder().wstring();
    ui().fileDialogAnswers.push_back(second.wstring());
    EXPECT_EQ(runCommand(IDM_FILE_OPEN), 1);
    ASSERT_EQ(ui().processStarts.size(), 1u);
    EXPECT_EQ(ui().processStarts[0].commandLine, quotedExe() + L" \"" + second.wstring() + L"\"");
    EXPECT_EQ(title(), first.wstring() + kSuffix);
    wchar_t after[MAX_PATH] = {};
    GetCurrentDirectoryW(MAX_PATH, after);
    EXPECT_STREQ(after, before);
    SetCurrentDirectoryW(before);

    // A cancelled dialog changes nothing.
    EXPECT_EQ(runCommand(IDM_FILE_OPEN), 0);
    EXPECT_EQ(ui().processStarts.size(), 1u);
}

TEST_F(DocumentCommandsTest, UntitledButChangedWindowAlsoStartsASecondInstance) {
    const auto file = writeTagFile(L"other.tag");
    ASSERT_TRUE(start());
    markModified();
    EXPECT_EQ(openDocumentFile(file.wstring(), L""), 1);
    ASSERT_EQ(ui().processStarts.size(), 1u);
    EXPECT_EQ(ui().processStarts[0].commandLine, quotedExe() + L" \"" + file.wstring() + L"\"");
    EXPECT_TRUE(a().file.path.empty());
    EXPECT_EQ(title(), std::wstring(L"(新規) (更新)") + kSuffix);

    // New never touches this window; a failed start says so and fails.
    EXPECT_EQ(runCommand(IDM_FILE_NEW), 1);
    EXPECT_EQ(ui().processStarts.back().commandLine, quotedExe());
    ui().processStartSucceeds = false;
    EXPECT_EQ(runCommand(IDM_FILE_NEW), 0);
    EXPECT_EQ(openDocumentFile(file.wstring(), L""), 0);
    EXPECT_EQ(ui().messageTexts(), (std::vector<std::string>{"Lumaset.exeの起動に失敗しました。",
                                                              "Lumaset.exeの起動に失敗しました。"}));
    EXPECT_TRUE(a().file.modified);
}

TEST_F(DocumentCommandsTest, FailedLoadLeavesAUsableNewDocument) {
    const auto bad = tempPath(L"not a tag.tag");
    std::ofstream(bad, std::ios::binary) << std::string(200, 'x');  // past the header, wrong magic
    ASSERT_TRUE(start());

    EXPECT_EQ(openDocumentFile(bad.wstring(), L""), 0);
    EXPECT_EQ(ui().messageTexts(),
              std::vector<std::string>{pathForMessage(bad) + "はTarvelon用のファイルではありません。"});
    EXPECT_TRUE(a().file.path.empty());
    EXPECT_EQ(title(), std::wstring(L"(新規)") + kSuffix);
    // "Copyright" and the root record, each mapped to the new document.
    EXPECT_EQ(treeItemCount(), 2);
    HWND tree = a().windows.tree;
    HTREEITEM top = TreeView_GetRoot(tree);
    EXPECT_EQ(recordForItem(a(), top), 0);
    EXPECT_EQ(recordForItem(a(), TreeView_GetNextSibling(tree, top)), 2);
    EXPECT_TRUE(a().recent.entries.empty());
}

TEST_F(DocumentCommandsTest, PathTooLongIsNotFoundRatherThanCut) {
    ASSERT_TRUE(start());
    const std::wstring longPath = L"C:\\" + std::wstring(252, L'd') + L"\\a.tag";  // 262 characters
    EXPECT_EQ(openDocumentFile(longPath, L""), 0);
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{utf8FromWide(longPath) + "は見つかりません。"});
    EXPECT_TRUE(ui().processStarts.empty());
    EXPECT_EQ(title(), std::wstring(L"(新規)") + kSuffix);
}

TEST_F(DocumentCommandsTest, CloseAsksAndHonoursYesNoAndCancel) {
    const auto file = writeTagFile(L"doc.tag", "\x83\x81\x83\x43\x83\x93");
    ASSERT_TRUE(start(L"\"" + file.wstring() + L"\""));
    typeIntoMemo(L"第一稿");
    EXPECT_EQ(title(), file.wstring() + L" (更新)" + kSuffix);

    // Cancel: nothing happens.
    ui().messageBoxAnswers.push_back(IDCANCEL);
    EXPECT_EQ(runCommand(IDM_FILE_CLOSE), 0);
    ASSERT_EQ(ui().messageBoxes.size(), 1u);
    EXPECT_EQ(ui().messageBoxes[0].text, file.wstring() + L" は更新されています。保存しますか？");
    EXPECT_EQ(ui().messageBoxes[0].caption, kCaption);
    EXPECT_EQ(ui().messageBoxes[0].type, UINT(MB_ICONQUESTION | MB_YESNOCANCEL));
    EXPECT_EQ(ui().messageBoxes[0].owner, a().windows.main);
    EXPECT_EQ(a().file.path, file.wstring());
    EXPECT_EQ(windowText(a().windows.memo), L"第一稿");

    // Yes: saved with the memo, then a new document.
    ui().messageBoxAnswers.push_back(IDYES);
    EXPECT_EQ(runCommand(IDM_FILE_CLOSE), 1);
    EXPECT_EQ(title(), std::wstring(L"(新規)") + kSuffix);
    EXPECT_EQ(windowText(a().windows.memo), L"");
    EXPECT_EQ(treeItemCount(), 2);
    {
        Document reread;
        ASSERT_TRUE(loadTagFile(reread, file));
        EXPECT_EQ(wideFromCp932(reread.memoText()), L"第一稿");
        EXPECT_EQ(reread.syntaxCount(), 4);
    }

    // No: dropped without saving.
    typeIntoMemo(L"捨てる");
    ui().messageBoxAnswers.push_back(IDNO);
    EXPECT_EQ(runCommand(IDM_FILE_CLOSE), 1);
    EXPECT_EQ(ui().messageBoxes.back().text, L"(無題) は更新されています。保存しますか？");
    EXPECT_EQ(windowText(a().windows.memo), L"");
    EXPECT_FALSE(a().file.modified);
    EXPECT_TRUE(ui().fileDialogs.empty());
}

TEST_F(DocumentCommandsTest, CancelledSaveAsCancelsSaveCloseAndExit) {
    ASSERT_TRUE(start());
    markModified();
    // Save on an untitled document asks for a name; cancelling keeps it as it was.
    EXPECT_EQ(runCommand(IDM_FILE_SAVE), 0);
    EXPECT_EQ(ui().fileDialogs.size(), 1u);
    EXPECT_EQ(title(), std::wstring(L"(新規) (更新)") + kSuffix);

    // Yes to the question, then no name: the close does not happen.
    ui().messageBoxAnswers.push_back(IDYES);
    EXPECT_EQ(runCommand(IDM_FILE_CLOSE), 0);
    EXPECT_EQ(ui().fileDialogs.size(), 2u);
    EXPECT_TRUE(a().file.modified);

    // Exit goes through the same question.
    HWND main = a().windows.main;
    ui().messageBoxAnswers.push_back(IDYES);
    EXPECT_EQ(runCommand(IDM_FILE_EXIT), 1);
    pumpMessages();
    EXPECT_TRUE(IsWindow(main));
    ui().messageBoxAnswers.push_back(IDCANCEL);
    runCommand(IDM_FILE_EXIT);
    pumpMessages();
    EXPECT_TRUE(IsWindow(main));
    ui().messageBoxAnswers.push_back(IDNO);
    runCommand(IDM_FILE_EXIT);
    pumpMessages();
    EXPECT_FALSE(IsWindow(main));
}

TEST_F(DocumentCommandsTest, FailedSaveKeepsTheModifiedMarkAndTheOldFile) {
    const auto file = writeTagFile(L"kept.tag");
    const auto sizeBefore = std::filesystem::file_size(file);
    ASSERT_TRUE(start(L"\"" + file.wstring() + L"\""));
    typeIntoMemo(L"新しいメモ");

    fileFaults().failWriteAt = fileFaults().writes + 1;
    EXPECT_EQ(runCommand(IDM_FILE_SAVE), 0);
    const auto texts = ui().messageTexts();
    ASSERT_GE(texts.size(), 2u);
    EXPECT_EQ(texts.back(), pathForMessage(file) + " の保存に失敗しました。原因不明です。");
    EXPECT_EQ(title(), file.wstring() + L" (更新)" + kSuffix);
    EXPECT_EQ(std::filesystem::file_size(file), sizeBefore);

    // So the question comes again on close.
    EXPECT_EQ(runCommand(IDM_FILE_CLOSE), 0);
    EXPECT_EQ(ui().messageBoxes.back().text, file.wstring() + L" は更新されています。保存しますか？");

    // Save as into a folder that does not exist fails the same way.
    const auto nowhere = tempPath(L"missing folder") / L"x.tag";
    ui().fileDialogAnswers.push_back(nowhere.wstring());
    fileFaults() = FileFaults{};
    EXPECT_EQ(runCommand(IDM_FILE_SAVE_AS), 0);
    EXPECT_EQ(ui().messageTexts().back(), pathForMessage(nowhere) + " の保存に失敗しました。原因不明です。");
    EXPECT_EQ(title(), nowhere.wstring() + L" (更新)" + kSuffix);
}

TEST_F(DocumentCommandsTest, MemoIsWrittenOnlyAtTheNextSave) {
    const auto file = writeTagFile(L"memo.tag");
    ASSERT_TRUE(start(L"\"" + file.wstring() + L"\""));
    EXPECT_FALSE(a().file.modified);
    typeIntoMemo(L"接続手順のメモ");
    EXPECT_TRUE(a().file.modified);
    {
        Document reread;
        ASSERT_TRUE(loadTagFile(reread, file));
        EXPECT_FALSE(reread.hasMemo());
    }
    EXPECT_EQ(runCommand(IDM_FILE_SAVE), 1);
    EXPECT_EQ(title(), file.wstring() + kSuffix);
    Document reread;
    ASSERT_TRUE(loadTagFile(reread, file));
    EXPECT_EQ(wideFromCp932(reread.memoText()), L"接続手順のメモ");
}

// A memo ending in a lone lead byte: the first change asks; only Yes lets
// the byte be saved as "・", and No and Cancel keep the stored bytes.
TEST_F(DocumentCommandsTest, AMemoWithUnshowableBytesAsksBeforeTheyAreReplaced) {
    ASSERT_TRUE(start());
    const auto file = tempPath(L"lone.tag");
    const std::string stored("ab\x81", 3);
    for (int answer : {IDYES, IDNO, IDCANCEL}) {
        SCOPED_TRACE(answer);
        Document doc;
        doc.setMemoText(stored);
        ASSERT_TRUE(saveTagFile(doc, file));
        ui().messageBoxAnswers = {IDNO};
        runCommand(IDM_FILE_CLOSE);
        ASSERT_EQ(openDocumentFile(file, L""), 1);
        pumpMessages();
        ui().messageBoxes.clear();
        ui().messageBoxAnswers = {answer, answer};
        typeIntoMemo(L"c");
        EXPECT_EQ(ui().messageBoxes.size(), 1u);
        typeIntoMemo(L"d");  // Yes is asked once
        EXPECT_EQ(ui().messageBoxes.size(), answer == IDYES ? 1u : 2u);
        EXPECT_EQ(a().file.modified, answer == IDYES);
        EXPECT_EQ(runCommand(IDM_FILE_SAVE), 1);
        Document reread;
        ASSERT_TRUE(loadTagFile(reread, file));
        EXPECT_EQ(reread.memoText(), answer == IDYES ? "d" : stored);
    }
}

TEST_F(DocumentCommandsTest, RecentFileCommandOpensLikeOpen) {
    const auto file = writeTagFile(L"recent.tag", "\x83\x81\x83\x43\x83\x93");
    ASSERT_TRUE(start());
    a().recent.entries = {file.wstring()};
    EXPECT_EQ(runCommand(IDM_RECENT_FIRST), 1);
    EXPECT_EQ(title(), file.wstring() + kSuffix);
    EXPECT_TRUE(ui().processStarts.empty());
    // Now named: the same entry goes to a second instance.
    EXPECT_EQ(runCommand(IDM_RECENT_FIRST), 1);
    ASSERT_EQ(ui().processStarts.size(), 1u);
    EXPECT_EQ(ui().processStarts[0].commandLine, quotedExe() + L" \"" + file.wstring() + L"\"");
}

TEST_F(DocumentCommandsTest, ARecentFileThatIsGoneIsSaidSoAndLeavesTheList) {
    const auto kept = writeTagFile(L"kept.tag", "\x83\x81\x83\x43\x83\x93");
    const auto gone = tempPath(L"gone.tag");
    ASSERT_TRUE(start());
    addRecentFile(gone.wstring());
    addRecentFile(kept.wstring());  // newest: 1001 is the gone one
    markModified();  // a named or changed window would start a second instance
    EXPECT_EQ(runCommand(IDM_RECENT_FIRST), 0);
    EXPECT_EQ(ui().messageTexts(), std::vector<std::string>{utf8FromWide(gone.wstring()) + "は見つかりません。"});
    EXPECT_TRUE(ui().processStarts.empty());
    // Gone from the list, the registry and the menu (through the reload).
    EXPECT_EQ(a().recent.entries, std::vector<std::wstring>{kept.wstring()});
    a().recent.entries.clear();
    loadRecentFiles();
    EXPECT_EQ(a().recent.entries, std::vector<std::wstring>{kept.wstring()});
    HMENU fileMenu = GetSubMenu(a().windows.mainMenu, 0);
    EXPECT_EQ(GetMenuState(fileMenu, IDM_RECENT_FIRST + 1, MF_BYCOMMAND), UINT(-1));
    EXPECT_NE(GetMenuState(fileMenu, IDM_RECENT_FIRST, MF_BYCOMMAND), UINT(-1));
}

}  // namespace
}  // namespace lumaset::testing
