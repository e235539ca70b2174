// Files dropped from Explorer, and the window coming back where it was left.
#include "gui/edit_fixture.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstring>
#include <fstream>

#include "commands/dropped_files.h"
#include "document/error_message.h"
#include "document/tag_file.h"
#include "views/document_state.h"
#include "shell/main_window.h"
#include "shell/tree_drag.h"
#include "shell/window_memory.h"

namespace lumaset::testing {
namespace {

class WindowHabitsTest : public EditTest {
protected:
    std::filesystem::path tagFile(const std::wstring& name) {
        const auto path = tempPath(name);
        Document doc;
        appendSyntax(doc, "dropped", 1);
        EXPECT_TRUE(saveTagFile(doc, path));
        return path;
    }
    // WM_DROPFILES as Explorer sends it: a DROPFILES block with wide names.
    void dropFiles(const std::vector<std::filesystem::path>& paths) {
        std::wstring names;
        for (const auto& p : paths) names += p.wstring() + L'\0';
        names += L'\0';
        HGLOBAL block = GlobalAlloc(GHND, sizeof(DROPFILES) + names.size() * sizeof(wchar_t));
        auto* drop = static_cast<DROPFILES*>(GlobalLock(block));
        drop->pFiles = sizeof(DROPFILES);
        drop->fWide = TRUE;
        std::memcpy(drop + 1, names.data(), names.size() * sizeof(wchar_t));
        GlobalUnlock(block);
        SendMessageW(a().windows.main, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0);
        pumpMessages();
    }
    int questions() {
        int n = 0;
        for (const auto& box : ui().messageBoxes) n += (box.type & MB_YESNOCANCEL) == MB_YESNOCANCEL;
        return n;
    }
    // Ends the editor as a user would close it, and starts it again.
    void restart() {
        DestroyWindow(a().windows.main);
        pumpMessages();
        resetApp();
        ASSERT_TRUE(start());
    }
    RECT frame() {
        RECT r{};
        GetWindowRect(a().windows.main, &r);
        return r;
    }
    void storeValue(DWORD type, const void* data, DWORD bytes) {
        HKEY key;
        ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                                  nullptr), ERROR_SUCCESS);
        RegSetValueExW(key, kWindowPlacementValue, 0, type, static_cast<const BYTE*>(data), bytes);
        RegCloseKey(key);
    }
    void storeText(const std::wstring& text) {
        storeValue(REG_SZ, text.c_str(), DWORD((text.size() + 1) * sizeof(wchar_t)));
    }
};

struct DropCase {
    const char* what;
    bool changed;        // the window's document holds changes
    int files;
    int answer;          // to the question beyond the limit; 0: none comes
    bool badSecondFile;  // the second file is not a tag file
    bool dragging;       // a tree drag is running
    bool loadsHere;
    int instances;
};

TEST_F(WindowHabitsTest, DroppedFilesOpenAsOpenDoes) {
    const DropCase cases[] = {
        {"one file, fresh window", false, 1, 0, false, false, true, 0},
        {"one file, changed window", true, 1, 0, false, false, false, 1},
        {"three files, fresh window", false, 3, 0, false, false, true, 2},
        {"three files, changed window", true, 3, 0, false, false, false, 3},
        {"up to the limit asks nothing", true, 10, 0, false, false, false, 10},
        {"beyond the limit, Yes: every file", false, 12, IDYES, false, false, true, 11},
        {"beyond the limit, No: the first ten", false, 12, IDNO, false, false, true, 9},
        {"beyond the limit, Cancel: none", false, 12, IDCANCEL, false, false, false, 0},
        {"a bad file is named and skipped", true, 3, 0, true, false, false, 2},
        {"a bad file in a fresh window", false, 2, 0, true, false, true, 0},
        {"during a tree drag: nothing", false, 2, 0, false, true, false, 0},
    };
    for (const DropCase& c : cases) {
        SCOPED_TRACE(c.what);
        SetUp();
        ASSERT_TRUE(start());
        load({1, 2, 1});
        select(3);
        if (c.changed) markModified();
        std::vector<std::filesystem::path> paths;
        for (int i = 0; i < c.files; ++i) paths.push_back(tagFile(L"drop " + std::to_wstring(i) + L".tag"));
        if (c.badSecondFile) std::ofstream(paths[1], std::ios::binary) << std::string(200, 'x');
        if (c.answer) ui().messageBoxAnswers.push_back(c.answer);
        if (c.dragging) {
            ASSERT_TRUE(beginTreeDrag(a(), itemForRecord(a(), 4), {5, 5}));
        }
        const auto bytes = tableBytes();

        dropFiles(paths);

        EXPECT_EQ(questions(), c.answer ? 1 : 0);
        EXPECT_EQ(int(ui().processStarts.size()), c.instances);
        // Every instance gets its own file, in the order dropped.
        for (std::size_t i = 0; i < ui().processStarts.size(); ++i)
            EXPECT_NE(ui().processStarts[i].commandLine.find(paths.back().parent_path().wstring()), std::wstring::npos);
        if (c.instances && !c.badSecondFile)
            EXPECT_NE(ui().processStarts.back().commandLine.find(paths[std::size_t(c.loadsHere) + c.instances - 1]
                                                                   .filename()
                                                                   .wstring()),
                      std::wstring::npos);
        if (c.badSecondFile)
            EXPECT_EQ(ui().messageTexts().back(), pathForMessage(paths[1]) + "はTarvelon用のファイルではありません。");
        if (c.loadsHere) {
            EXPECT_EQ(a().file.path, paths[0].wstring());
            EXPECT_EQ(shape(), std::vector<std::string>{"dropped:1"});
        } else {
            EXPECT_TRUE(a().file.path.empty());
            EXPECT_EQ(tableBytes(), bytes);
            EXPECT_EQ(a().selection.selectionIndex, 3);
            EXPECT_EQ(a().file.modified, c.changed);
        }
        EXPECT_EQ(treeMismatch(a()), "");
        if (c.dragging) cancelTreeDrag(a());
        TearDown();
    }
}

TEST_F(WindowHabitsTest, TheWindowComesBackAsItWasLeft) {
    ASSERT_TRUE(start());
    const RECT fresh = frame();
    SetWindowPos(a().windows.main, nullptr, 60, 40, 700, 500, SWP_NOZORDER | SWP_NOACTIVATE);
    a().layout.splitPosition = 250;
    layoutPanes(a());
    restart();
    EXPECT_EQ(frame().left, 60);
    EXPECT_EQ(frame().top, 40);
    EXPECT_EQ(frame().right - frame().left, 700);
    EXPECT_EQ(frame().bottom - frame().top, 500);
    EXPECT_EQ(a().layout.splitPosition, 250);
    EXPECT_FALSE(IsZoomed(a().windows.main));

    // Maximised: it opens maximised, and un-maximising gives the frame back.
    ShowWindow(a().windows.main, SW_MAXIMIZE);
    pumpMessages();
    a().layout.splitPosition = 400;
    layoutPanes(a());
    restart();
    EXPECT_TRUE(IsZoomed(a().windows.main));
    EXPECT_EQ(a().layout.splitPosition, 400);
    ShowWindow(a().windows.main, SW_RESTORE);
    pumpMessages();
    EXPECT_EQ(frame().left, 60);
    EXPECT_EQ(frame().right - frame().left, 700);

    // Anything damaged or off every monitor: the default, and no message.
    const DWORD number = 42;
    for (int damage = 0; damage < 5; ++damage) {
        SCOPED_TRACE(damage);
        DestroyWindow(a().windows.main);
        pumpMessages();
        resetApp();
        switch (damage) {
        case 0: RegDeleteTreeW(HKEY_CURRENT_USER, kRecentFilesKey); break;
        case 1: storeValue(REG_DWORD, &number, sizeof number); break;
        case 2: storeText(L"garbage"); break;
        case 3: storeText(L"20000,20000,700,500,0,250,96"); break;
        case 4: storeValue(REG_SZ, L"60,40,700,500,0,250,96", 6);  break;  // cut, no NUL
        }
        ASSERT_TRUE(start());
        EXPECT_EQ(frame().right - frame().left, fresh.right - fresh.left);
        EXPECT_EQ(frame().bottom - frame().top, fresh.bottom - fresh.top);
        EXPECT_TRUE(ui().messageBoxes.empty());
    }
}

}  // namespace
}  // namespace lumaset::testing
