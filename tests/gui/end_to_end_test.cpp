// The real Lumaset.exe as separate processes: a second instance started by
// the first one opens the file it was given.
#include <gtest/gtest.h>

#include <windows.h>

#include <chrono>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "document/tag_file.h"
#include "pattern/pattern_code.h"
#include "views/logic/recent_file_list.h"

namespace lumaset {
namespace {

namespace fs = std::filesystem;

fs::path programDirectory() {
    wchar_t buffer[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, buffer, MAX_PATH);
    return fs::path(buffer).parent_path();
}

fs::path findEditor() {
    for (const fs::path& candidate : {programDirectory() / L"Lumaset.exe",
                                      programDirectory().parent_path() / L"Lumaset.exe"}) {
        std::error_code error;
        if (fs::is_regular_file(candidate, error)) return candidate;
    }
    return {};
}

// Keeps our own windows answering while we wait, since every instance sends
// the recent-file refresh to every main window synchronously.
void pumpFor(std::chrono::milliseconds time) {
    const auto end = std::chrono::steady_clock::now() + time;
    while (std::chrono::steady_clock::now() < end) {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

struct EditorWindow {
    HWND window = nullptr;
    DWORD processId = 0;
};

// A visible main window of another process, not one of those in `known`.
EditorWindow findEditorWindow(const std::vector<DWORD>& known) {
    struct Search {
        const std::vector<DWORD>* known;
        EditorWindow found;
    } search{&known, {}};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t className[100] = {};
            GetClassNameW(window, className, 100);
            DWORD processId = 0;
            GetWindowThreadProcessId(window, &processId);
            if (std::wstring(className) != L"TarvelonLumaset" || processId == GetCurrentProcessId() ||
                !IsWindowVisible(window)) {
                return TRUE;
            }
            for (DWORD k : *s->known) {
                if (k == processId) return TRUE;
            }
            s->found = {window, processId};
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

EditorWindow waitForEditorWindow(const std::vector<DWORD>& known) {
    for (int tries = 0; tries < 300; ++tries) {
        const EditorWindow found = findEditorWindow(known);
        if (found.window) return found;
        pumpFor(std::chrono::milliseconds(100));
    }
    return {};
}

std::wstring windowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

// Waits for the title, which the editor sets once the file has loaded.
std::wstring waitForTitle(HWND window, const std::wstring& wanted) {
    for (int tries = 0; tries < 100 && windowText(window) != wanted; ++tries) {
        pumpFor(std::chrono::milliseconds(100));
    }
    return windowText(window);
}

void closeEditor(const EditorWindow& editor) {
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, editor.processId);
    PostMessageW(editor.window, WM_CLOSE, 0, 0);
    if (process) {
        for (int tries = 0; tries < 200 && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; ++tries) {
            pumpFor(std::chrono::milliseconds(50));
        }
        EXPECT_EQ(WaitForSingleObject(process, 0), WAIT_OBJECT_0) << "the editor did not end";
        CloseHandle(process);
    }
}

void setRecentFiles(const std::vector<std::wstring>& paths) {
    RegDeleteKeyW(HKEY_CURRENT_USER, kRecentFilesKey);
    HKEY key = nullptr;
    ASSERT_EQ(RegCreateKeyExW(HKEY_CURRENT_USER, kRecentFilesKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                              &key, nullptr),
              ERROR_SUCCESS);
    for (std::size_t i = 0; i < paths.size(); ++i) {
        RegSetValueExW(key, recentValueName(static_cast<int>(i)).c_str(), 0, REG_SZ,
                       reinterpret_cast<const BYTE*>(paths[i].c_str()),
                       static_cast<DWORD>((paths[i].size() + 1) * sizeof(wchar_t)));
    }
    RegCloseKey(key);
}

TEST(EndToEnd, SecondInstanceStartedByTheFirstOpensItsFile) {
    const fs::path editor = findEditor();
    if (editor.empty()) GTEST_SKIP() << "Lumaset.exe has not been built";

    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const fs::path folder = fs::path(temp) / (L"lumaset e2e " + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder);
    const fs::path first = folder / L"最初.tag";
    const fs::path second = folder / L"二番目 の ファイル.tag";
    {
        Document doc;
        ASSERT_TRUE(saveTagFile(doc, first));
        ASSERT_TRUE(saveTagFile(doc, second));
    }
    // The second file is the oldest recent entry, so command 1001 opens it.
    setRecentFiles({second.wstring()});

    std::wstring commandLine = L"\"" + editor.wstring() + L"\" \"" + first.wstring() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(editor.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                               nullptr, &startup, &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);

    const EditorWindow one = waitForEditorWindow({});
    ASSERT_TRUE(one.window) << "the first editor's window did not appear";
    EXPECT_EQ(waitForTitle(one.window, first.wstring() + L" - Tarvelonカラー構文エディタ"),
              first.wstring() + L" - Tarvelonカラー構文エディタ");

    // The first window holds a named document, so the recent file goes to a
    // new instance, whose command line carries the path with its blanks.
    PostMessageW(one.window, WM_COMMAND, MAKEWPARAM(kFirstRecentFileId, 0), 0);
    const EditorWindow two = waitForEditorWindow({one.processId});
    ASSERT_TRUE(two.window) << "no second instance appeared";
    EXPECT_EQ(waitForTitle(two.window, second.wstring() + L" - Tarvelonカラー構文エディタ"),
              second.wstring() + L" - Tarvelonカラー構文エディタ");
    // The first window kept its document.
    EXPECT_EQ(windowText(one.window), first.wstring() + L" - Tarvelonカラー構文エディタ");

    closeEditor(two);
    closeEditor(one);
    RegDeleteKeyW(HKEY_CURRENT_USER, kRecentFilesKey);
    std::error_code error;
    fs::remove_all(folder, error);
}

// The window of the editor's GUI thread that has the keyboard focus.
HWND focusOf(const EditorWindow& editor) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(editor.window, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// Keys as the editor's message loop gets them, each to whatever has the
// focus when it is sent.
void postKey(const EditorWindow& editor, UINT key) {
    HWND target = focusOf(editor);
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, LPARAM(0xC0000001));
    pumpFor(std::chrono::milliseconds(150));
}
void postText(const EditorWindow& editor, const std::wstring& text) {
    for (wchar_t ch : text) PostMessageW(focusOf(editor), WM_CHAR, ch, 1);
    pumpFor(std::chrono::milliseconds(150));
}
void postAltLetter(const EditorWindow& editor, wchar_t letter) {
    PostMessageW(focusOf(editor), WM_SYSCHAR, letter, 1 | (LPARAM(KF_ALTDOWN) << 16));
    pumpFor(std::chrono::milliseconds(300));
}

TEST(EndToEnd, ASyntaxEditedWithKeysOnlyIsSavedAsTyped) {
    const fs::path editor = findEditor();
    if (editor.empty()) GTEST_SKIP() << "Lumaset.exe has not been built";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const fs::path folder = fs::path(temp) / (L"lumaset keys " + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder);
    const fs::path file = folder / L"keys.tag";
    {
        Document doc;
        SyntaxRecord record = blankSystemRecord();
        std::strcpy(record.name, "alpha");
        record.depth = 1;
        ASSERT_TRUE(doc.insertSyntax(doc.syntaxCount(), record));
        ASSERT_TRUE(saveTagFile(doc, file));
    }
    std::wstring commandLine = L"\"" + editor.wstring() + L"\" \"" + file.wstring() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    ASSERT_TRUE(CreateProcessW(editor.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                               &startup, &process));
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const EditorWindow one = waitForEditorWindow({});
    ASSERT_TRUE(one.window) << "the editor's window did not appear";
    const std::wstring title = file.wstring() + L" - Tarvelonカラー構文エディタ";
    ASSERT_EQ(waitForTitle(one.window, title), title);

    // Down to "alpha", Enter into the pane, Alt+T to the title field, a
    // title, Enter to apply.
    postKey(one, VK_DOWN);
    postKey(one, VK_DOWN);
    postKey(one, VK_RETURN);
    postAltLetter(one, L't');
    postText(one, L"\\1 xyz");
    postKey(one, VK_RETURN);
    EXPECT_EQ(waitForTitle(one.window, file.wstring() + L" (更新) - Tarvelonカラー構文エディタ"),
              file.wstring() + L" (更新) - Tarvelonカラー構文エディタ");
    // Alt+F opens the File menu, S saves.
    postAltLetter(one, L'f');
    PostMessageW(one.window, WM_CHAR, L's', 1);
    EXPECT_EQ(waitForTitle(one.window, title), title);
    closeEditor(one);

    Document saved;
    ASSERT_TRUE(loadTagFile(saved, file));
    ASSERT_EQ(saved.syntaxCount(), 4);
    const SyntaxRecord& alpha = *saved.syntaxAt(3);
    const std::uint8_t expected[] = {PartRef, '1', TextRun, 4, ' ', 'x', 'y', 'z', End};
    EXPECT_EQ(std::memcmp(alpha.titleCode, expected, sizeof expected), 0);
    EXPECT_STREQ(alpha.name, "alpha");
    std::error_code error;
    fs::remove_all(folder, error);
}

}  // namespace
}  // namespace lumaset
