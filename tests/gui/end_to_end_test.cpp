// The real Lumaset.exe as separate processes: a second instance started by
// the first one opens the file it was given.
#include <gtest/gtest.h>

#include <windows.h>

#include <commctrl.h>

#include <chrono>
#include <cstring>
#include <utility>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "document/tag_file.h"
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

// The tree view of another process's main window, and its items by the
// relations TVM_GETNEXTITEM knows; handles are plain values across processes.
HWND treeOf(HWND main) { return FindWindowExW(main, nullptr, L"SysTreeView32", nullptr); }

LRESULT sendTo(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_NORMAL, 10000, &result);
    return LRESULT(result);
}

HTREEITEM nextItem(HWND tree, HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(sendTo(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

EditorWindow startEditor(const fs::path& editor, const fs::path& file, const std::vector<DWORD>& known) {
    std::wstring commandLine = L"\"" + editor.wstring() + L"\" \"" + file.wstring() + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof(startup);
    PROCESS_INFORMATION process = {};
    if (!CreateProcessW(editor.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                        &process))
        return {};
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    const EditorWindow found = waitForEditorWindow(known);
    if (found.window) waitForTitle(found.window, file.wstring() + L" - Tarvelonカラー構文エディタ");
    return found;
}

TEST(EndToEnd, ASubtreeCopiedInOneEditorIsPastedInAnother) {
    const fs::path editor = findEditor();
    if (editor.empty()) GTEST_SKIP() << "Lumaset.exe has not been built";
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const fs::path folder = fs::path(temp) / (L"lumaset e2e clip " + std::to_wstring(GetCurrentProcessId()));
    fs::create_directories(folder);
    const fs::path from = folder / L"from.tag";
    const fs::path to = folder / L"to.tag";
    {
        Document doc;
        for (auto [name, depth] : {std::pair{"a", 1}, std::pair{"b", 2}, std::pair{"c", 3}, std::pair{"d", 1}}) {
            SyntaxRecord record = blankSystemRecord();
            std::strcpy(record.name, name);
            record.depth = std::uint8_t(depth);
            std::strcpy(record.pattern, name);
            doc.insertSyntax(doc.syntaxCount(), record);
        }
        ASSERT_TRUE(saveTagFile(doc, from));
        Document empty;
        ASSERT_TRUE(saveTagFile(empty, to));
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, kRecentFilesKey);

    const EditorWindow one = startEditor(editor, from, {});
    ASSERT_TRUE(one.window) << "the first editor's window did not appear";
    HWND tree = treeOf(one.window);
    HTREEITEM top = nextItem(tree, nextItem(tree, nullptr, TVGN_ROOT), TVGN_NEXT);
    HTREEITEM a = nextItem(tree, top, TVGN_CHILD);
    ASSERT_TRUE(a);
    sendTo(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a));
    sendTo(one.window, WM_COMMAND, MAKEWPARAM(40011, 0), 0);  // copy with child syntaxes
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"TARVELON_TAGPROP")));

    const EditorWindow two = startEditor(editor, to, {one.processId});
    ASSERT_TRUE(two.window) << "no second editor appeared";
    tree = treeOf(two.window);
    top = nextItem(tree, nextItem(tree, nullptr, TVGN_ROOT), TVGN_NEXT);
    sendTo(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
    sendTo(two.window, WM_COMMAND, MAKEWPARAM(40009, 0), 0);  // paste: under record 2
    sendTo(two.window, WM_COMMAND, MAKEWPARAM(40003, 0), 0);  // save
    closeEditor(two);
    closeEditor(one);

    Document pasted;
    ASSERT_TRUE(loadTagFile(pasted, to));
    ASSERT_EQ(pasted.syntaxCount(), 6);
    const char* names[] = {"a", "b", "c"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_STREQ(pasted.syntaxAt(3 + k)->name, names[k]);
        EXPECT_STREQ(pasted.syntaxAt(3 + k)->pattern, names[k]);
        EXPECT_EQ(pasted.syntaxAt(3 + k)->depth, 1 + k);
    }
    RegDeleteKeyW(HKEY_CURRENT_USER, kRecentFilesKey);
    std::error_code error;
    fs::remove_all(folder, error);
}

}  // namespace
}  // namespace lumaset
