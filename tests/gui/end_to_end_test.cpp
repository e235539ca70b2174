// The real Lumaset.exe as separate processes: a second instance started by
// the first one opens the file it was given, and the list of recent files
// that the second one saves reaches the first one's File menu.
#include <gtest/gtest.h>

#include <windows.h>
#include <tlhelp32.h>

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <cstring>
#include <utility>
#include <filesystem>
#include <fstream>
#include <functional>
#include <initializer_list>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "document/tag_file.h"
#include "pattern/derived_fields.h"
#include "pattern/pattern_code.h"
#include "resources/resource_ids.h"
#include "views/logic/recent_file_list.h"
#include "views/logic/recovery_info.h"

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

std::wstring windowText(HWND window) {
    wchar_t text[1024] = {};
    GetWindowTextW(window, text, 1024);
    return text;
}

// The visible main window of exactly this process.
HWND editorWindowOf(DWORD processId) {
    struct Search {
        DWORD processId;
        HWND found;
    } search{processId, nullptr};
    EnumWindows(
        [](HWND window, LPARAM param) -> BOOL {
            auto* s = reinterpret_cast<Search*>(param);
            wchar_t className[100] = {};
            GetClassNameW(window, className, 100);
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != s->processId || std::wstring(className) != L"TarvelonLumaset" || !IsWindowVisible(window))
                return TRUE;
            s->found = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// Processes that this one started, not yet in `known`.
DWORD childProcess(DWORD parent, const std::vector<DWORD>& known) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return 0;
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    DWORD found = 0;
    for (BOOL more = Process32FirstW(snapshot, &entry); more && !found; more = Process32NextW(snapshot, &entry)) {
        if (entry.th32ParentProcessID != parent) continue;
        bool seen = false;
        for (DWORD k : known) seen = seen || k == entry.th32ProcessID;
        if (!seen) found = entry.th32ProcessID;
    }
    CloseHandle(snapshot);
    return found;
}

struct Editor {
    DWORD processId = 0;
    HWND window = nullptr;
};

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        editor_ = findEditor();
        // A missing program is a broken build, not a reason to pass.
        ASSERT_FALSE(editor_.empty()) << "Lumaset.exe has not been built";
        wchar_t temp[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, temp);
        folder_ = fs::path(temp) / (L"lumaset e2e " + std::to_wstring(GetCurrentProcessId()));
        fs::create_directories(folder_);
        // Each test keeps its recovery copies in its own folder: an editor
        // ended hard by a failed test leaves one, which the next test's
        // editor would offer.
        wchar_t previous[MAX_PATH] = {};
        GetEnvironmentVariableW(L"LUMASET_RECOVERY_FOLDER", previous, MAX_PATH);
        previousRecovery_ = previous;
        SetEnvironmentVariableW(L"LUMASET_RECOVERY_FOLDER", (folder_ / L"recovery").c_str());
    }

    // Whatever failed on the way: no editor, folder or registry key is left.
    void TearDown() override {
        for (auto it = started_.rbegin(); it != started_.rend(); ++it) endEditor(*it);
        RegDeleteKeyW(HKEY_CURRENT_USER, kRecentFilesKey);
        std::error_code error;
        fs::remove_all(folder_, error);
        SetEnvironmentVariableW(L"LUMASET_RECOVERY_FOLDER",
                                previousRecovery_.empty() ? nullptr : previousRecovery_.c_str());
    }

    Editor startEditor(const fs::path& file) {
        const DWORD processId = launchEditor(file);
        return processId ? waitForWindow(processId) : Editor{};
    }

    // Started, without waiting for its window (a question may come first).
    DWORD launchEditor(const fs::path& file) {
        std::wstring commandLine = L"\"" + editor_.wstring() + L"\" \"" + file.wstring() + L"\"";
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        PROCESS_INFORMATION process = {};
        if (!CreateProcessW(editor_.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                            &startup, &process)) {
            return 0;
        }
        CloseHandle(process.hThread);
        CloseHandle(process.hProcess);
        started_.push_back(process.dwProcessId);
        return process.dwProcessId;
    }

    // The instance that `parent` starts next.
    Editor waitForInstanceStartedBy(const Editor& parent) {
        for (int tries = 0; tries < 300; ++tries) {
            if (const DWORD child = childProcess(parent.processId, started_)) {
                started_.push_back(child);
                return waitForWindow(child);
            }
            pumpFor(std::chrono::milliseconds(100));
        }
        return {};
    }

    const fs::path& folder() const { return folder_; }

    Editor waitForWindow(DWORD processId) {
        for (int tries = 0; tries < 300; ++tries) {
            if (HWND window = editorWindowOf(processId)) return {processId, window};
            pumpFor(std::chrono::milliseconds(100));
        }
        return {processId, nullptr};
    }

private:
    void endEditor(DWORD processId) {
        HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, processId);
        if (!process) return;
        if (HWND window = editorWindowOf(processId)) PostMessageW(window, WM_CLOSE, 0, 0);
        for (int tries = 0; tries < 200 && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; ++tries) {
            pumpFor(std::chrono::milliseconds(50));
        }
        const bool ended = WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
        if (!ended) TerminateProcess(process, 1);
        CloseHandle(process);
        EXPECT_TRUE(ended) << "the editor did not end when closed";
    }

    fs::path editor_;
    fs::path folder_;
    std::wstring previousRecovery_;
    std::vector<DWORD> started_;
};

// Waits, up to ten seconds, for what the editor must have done: a loaded
// machine may take a while, and a key sent before the last one was taken
// would go to the wrong window.
bool waitUntil(const std::function<bool()>& done) {
    for (int tries = 0; tries < 100; ++tries) {
        if (done()) return true;
        pumpFor(std::chrono::milliseconds(100));
    }
    return done();
}

// Waits for the title, which the editor sets once the file has loaded.
std::wstring waitForTitle(HWND window, const std::wstring& wanted) {
    waitUntil([&] { return windowText(window) == wanted; });
    return windowText(window);
}

std::wstring titleFor(const fs::path& file) { return file.wstring() + L" - Tarvelonカラー構文エディタ"; }

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

TEST_F(EndToEnd, SecondInstanceOpensItsFileAndTheFirstSeesItsRecentFiles) {
    const fs::path first = folder() / L"最初.tag";
    const fs::path second = folder() / L"二番目 の ファイル.tag";
    {
        Document doc;
        ASSERT_TRUE(saveTagFile(doc, first));
        ASSERT_TRUE(saveTagFile(doc, second));
    }
    // The first editor adds its own file after this one: the list is then
    // second (command 1001), first (1002).
    setRecentFiles({second.wstring()});

    const Editor one = startEditor(first);
    ASSERT_TRUE(one.window) << "the first editor's window did not appear";
    EXPECT_EQ(waitForTitle(one.window, titleFor(first)), titleFor(first));

    // The first window holds a named document, so the recent file goes to a
    // new instance, whose command line carries the path with its blanks.
    PostMessageW(one.window, WM_COMMAND, MAKEWPARAM(kFirstRecentFileId, 0), 0);
    const Editor two = waitForInstanceStartedBy(one);
    ASSERT_TRUE(two.window) << "no second instance appeared";
    EXPECT_EQ(waitForTitle(two.window, titleFor(second)), titleFor(second));
    // The first window kept its document.
    EXPECT_EQ(windowText(one.window), titleFor(first));

    // Opening made second the newest entry, and the second instance told the
    // first: its command 1001 now stands for first.
    PostMessageW(one.window, WM_COMMAND, MAKEWPARAM(kFirstRecentFileId, 0), 0);
    const Editor three = waitForInstanceStartedBy(one);
    ASSERT_TRUE(three.window) << "no third instance appeared";
    EXPECT_EQ(waitForTitle(three.window, titleFor(first)), titleFor(first));
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

TEST_F(EndToEnd, ASubtreeCopiedInOneEditorIsPastedInAnother) {
    const fs::path from = folder() / L"from.tag";
    const fs::path to = folder() / L"to.tag";
    {
        Document doc;
        for (auto [name, depth] : {std::pair{"a", 1}, std::pair{"b", 2}, std::pair{"c", 3}, std::pair{"d", 1}}) {
            SyntaxRecord record = blankSystemRecord();
            std::strcpy(record.name, name);
            record.depth = std::uint8_t(depth);
            std::strcpy(record.pattern, name);
            doc.insertSyntax(doc.syntaxCount(), record);
            deriveRecordFields(doc, doc.syntaxCount() - 1);  // as the editor saves it
        }
        ASSERT_TRUE(saveTagFile(doc, from));
        Document empty;
        ASSERT_TRUE(saveTagFile(empty, to));
    }

    // Nothing of ours on the clipboard yet.
    if (OpenClipboard(nullptr)) {
        EmptyClipboard();
        CloseClipboard();
    }
    const Editor two = startEditor(to);
    ASSERT_TRUE(two.window) << "the second editor's window did not appear";
    waitForTitle(two.window, titleFor(to));
    HWND tree = treeOf(two.window);
    HTREEITEM top = nextItem(tree, nextItem(tree, nullptr, TVGN_ROOT), TVGN_NEXT);
    sendTo(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(top));
    HWND toolbar = FindWindowExW(two.window, nullptr, TOOLBARCLASSNAMEW, nullptr);
    ASSERT_TRUE(toolbar);
    EXPECT_FALSE(sendTo(toolbar, TB_ISBUTTONENABLED, 40012, 0));

    const Editor one = startEditor(from);
    ASSERT_TRUE(one.window) << "the first editor's window did not appear";
    waitForTitle(one.window, titleFor(from));
    tree = treeOf(one.window);
    top = nextItem(tree, nextItem(tree, nullptr, TVGN_ROOT), TVGN_NEXT);
    HTREEITEM a = nextItem(tree, top, TVGN_CHILD);
    ASSERT_TRUE(a);
    sendTo(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(a));
    sendTo(one.window, WM_COMMAND, MAKEWPARAM(40011, 0), 0);  // copy with child syntaxes
    EXPECT_TRUE(IsClipboardFormatAvailable(RegisterClipboardFormatW(L"TARVELON_TAGPROP")));

    // The second editor's paste as child comes on without a selection change.
    bool enabled = false;
    for (int tries = 0; tries < 50 && !enabled; ++tries) {
        enabled = sendTo(toolbar, TB_ISBUTTONENABLED, 40012, 0) != 0;
        if (!enabled) pumpFor(std::chrono::milliseconds(100));
    }
    EXPECT_TRUE(enabled);
    sendTo(two.window, WM_COMMAND, MAKEWPARAM(40009, 0), 0);  // paste: under record 2
    sendTo(two.window, WM_COMMAND, MAKEWPARAM(40003, 0), 0);  // save

    Document pasted;
    ASSERT_TRUE(loadTagFile(pasted, to));
    ASSERT_EQ(pasted.syntaxCount(), 6);
    const char* names[] = {"a", "b", "c"};
    for (int k = 0; k < 3; ++k) {
        EXPECT_STREQ(pasted.syntaxAt(3 + k)->name, names[k]);
        EXPECT_STREQ(pasted.syntaxAt(3 + k)->pattern, names[k]);
        EXPECT_EQ(pasted.syntaxAt(3 + k)->depth, 1 + k);
    }
}

// The window of the editor's GUI thread that has the keyboard focus.
HWND focusOf(const Editor& editor) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const DWORD thread = GetWindowThreadProcessId(editor.window, nullptr);
    return GetGUIThreadInfo(thread, &info) ? info.hwndFocus : nullptr;
}

// Keys as the editor's message loop gets them, each to whatever has the
// focus when it is sent.
void postKey(const Editor& editor, UINT key) {
    HWND target = focusOf(editor);
    PostMessageW(target, WM_KEYDOWN, key, 1);
    PostMessageW(target, WM_KEYUP, key, LPARAM(0xC0000001));
}
void postText(const Editor& editor, const std::wstring& text) {
    for (wchar_t ch : text) PostMessageW(focusOf(editor), WM_CHAR, ch, 1);
}
void postAltLetter(const Editor& editor, wchar_t letter) {
    PostMessageW(focusOf(editor), WM_SYSCHAR, letter, 1 | (LPARAM(KF_ALTDOWN) << 16));
}

TEST_F(EndToEnd, ASyntaxEditedWithKeysOnlyIsSavedAsTyped) {
    const fs::path file = folder() / L"keys.tag";
    {
        Document doc;
        SyntaxRecord record = blankSystemRecord();
        std::strcpy(record.name, "alpha");
        record.depth = 1;
        ASSERT_TRUE(doc.insertSyntax(doc.syntaxCount(), record));
        ASSERT_TRUE(saveTagFile(doc, file));
    }
    const Editor one = startEditor(file);
    ASSERT_TRUE(one.window) << "the editor's window did not appear";
    const std::wstring title = titleFor(file);
    ASSERT_EQ(waitForTitle(one.window, title), title);

    // Down to "alpha", Enter into the pane, Alt+T to the title field, a
    // title, Enter to apply.
    HWND tree = treeOf(one.window);
    ASSERT_TRUE(waitUntil([&] { return focusOf(one) == tree; }));
    const auto selected = [&] { return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)); };
    const HTREEITEM top = nextItem(tree, nextItem(tree, nullptr, TVGN_ROOT), TVGN_NEXT);
    const HTREEITEM alphaItem = nextItem(tree, top, TVGN_CHILD);
    ASSERT_TRUE(alphaItem);
    postKey(one, VK_DOWN);
    ASSERT_TRUE(waitUntil([&] { return selected() == top; }));
    postKey(one, VK_DOWN);
    ASSERT_TRUE(waitUntil([&] { return selected() == alphaItem; }));
    postKey(one, VK_RETURN);
    ASSERT_TRUE(waitUntil([&] { return focusOf(one) != tree; })) << "Enter left the focus in the tree";
    postAltLetter(one, L't');
    HWND titleField = nullptr;
    ASSERT_TRUE(waitUntil([&] {
        titleField = focusOf(one);
        return GetDlgCtrlID(titleField) == IDC_TITLE;
    })) << "Alt+T did not reach the title field";
    postText(one, L"\\1 xyz");
    // Another process's edit answers with what it holds only when asked.
    const auto fieldText = [&] {
        wchar_t text[64] = {};
        SendMessageW(titleField, WM_GETTEXT, 64, reinterpret_cast<LPARAM>(text));
        return std::wstring(text);
    };
    ASSERT_TRUE(waitUntil([&] { return fieldText() == L"\\1 xyz"; }));
    postKey(one, VK_RETURN);
    // The title is marked from the first key typed; applied, the focus is
    // back in the tree.
    ASSERT_TRUE(waitUntil([&] { return focusOf(one) == tree; })) << "Enter did not apply";
    EXPECT_EQ(windowText(one.window), file.wstring() + L" (更新) - Tarvelonカラー構文エディタ");
    // Alt+F opens the File menu, S saves.
    postAltLetter(one, L'f');
    const DWORD thread = GetWindowThreadProcessId(one.window, nullptr);
    ASSERT_TRUE(waitUntil([&] {
        GUITHREADINFO info{};
        info.cbSize = sizeof info;
        bool open = false;
        EnumThreadWindows(thread, [](HWND w, LPARAM found) {
            wchar_t kind[16] = {};
            GetClassNameW(w, kind, 16);
            if (IsWindowVisible(w) && lstrcmpW(kind, L"#32768") == 0) *reinterpret_cast<bool*>(found) = true;
            return TRUE;
        }, reinterpret_cast<LPARAM>(&open));
        return open || (GetGUIThreadInfo(thread, &info) && (info.flags & GUI_POPUPMENUMODE));
    })) << "Alt+F did not open the File menu";
    PostMessageW(one.window, WM_CHAR, L's', 1);
    EXPECT_EQ(waitForTitle(one.window, title), title);

    Document saved;
    ASSERT_TRUE(loadTagFile(saved, file));
    ASSERT_EQ(saved.syntaxCount(), 4);
    const SyntaxRecord& alpha = *saved.syntaxAt(3);
    const std::uint8_t expected[] = {PartRef, '1', TextRun, 4, ' ', 'x', 'y', 'z', End};
    EXPECT_EQ(std::memcmp(alpha.titleCode, expected, sizeof expected), 0);
    EXPECT_STREQ(alpha.name, "alpha");
}

// Recovery copies between editors: each test keeps its own folder, so no
// copy of another test is offered.
class RecoveryEndToEnd : public EndToEnd {
protected:
    void SetUp() override {
        EndToEnd::SetUp();
        recovery_ = folder() / L"recovery";
        file_ = folder() / L"復元.tag";
        Document doc;
        SyntaxRecord record = blankSystemRecord();
        std::strcpy(record.name, "alpha");
        record.depth = 1;
        doc.insertSyntax(doc.syntaxCount(), record);
        deriveRecordFields(doc, doc.syntaxCount() - 1);
        ASSERT_TRUE(saveTagFile(doc, file_));
    }

    std::vector<std::wstring> leftInFolder() const {
        std::vector<std::wstring> names;
        std::error_code error;
        for (const auto& entry : fs::directory_iterator(recovery_, error))
            names.push_back(entry.path().filename().wstring());
        return names;
    }
    // The side file of this editor's copy, once it holds what `done` wants.
    bool waitForCopy(const Editor& editor, const std::function<bool(const RecoveryInfo&)>& done) {
        for (int tries = 0; tries < 60; ++tries) {
            for (const auto& entry : fs::directory_iterator(recovery_, ignored_)) {
                const std::wstring stem = entry.path().stem().wstring();
                const auto owner = ownerOfStem(std::u16string(stem.begin(), stem.end()));
                if (!owner || owner->processId != editor.processId || entry.path().extension() != L".info") continue;
                std::ifstream in(entry.path(), std::ios::binary);
                const std::vector<std::uint8_t> bytes{std::istreambuf_iterator<char>(in), {}};
                RecoveryInfo info;
                if (decodeRecoveryInfo(bytes, info) && done(info)) return true;
            }
            pumpFor(std::chrono::milliseconds(100));
        }
        return false;
    }

    fs::path recovery_, file_;
    std::error_code ignored_;
};

void crash(const Editor& editor) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, editor.processId);
    ASSERT_TRUE(process);
    TerminateProcess(process, 3);
    WaitForSingleObject(process, 10000);
    CloseHandle(process);
}

// A message box of one of those processes, the text it shows and whose it is.
HWND questionOf(std::initializer_list<DWORD> processIds, std::wstring* text, DWORD* asker = nullptr,
                int tries = 150) {
    for (; tries > 0; --tries) {
        HWND found = nullptr;
        for (HWND w = GetTopWindow(nullptr); w && !found; w = GetWindow(w, GW_HWNDNEXT)) {
            wchar_t className[32] = {};
            GetClassNameW(w, className, 32);
            DWORD owner = 0;
            GetWindowThreadProcessId(w, &owner);
            const bool ours = std::find(processIds.begin(), processIds.end(), owner) != processIds.end();
            if (ours && std::wstring(className) == L"#32770" && IsWindowVisible(w)) {
                found = w;
                if (asker) *asker = owner;
            }
        }
        if (found) {
            wchar_t shown[2048] = {};
            GetDlgItemTextW(found, 0xFFFF, shown, 2048);
            *text = shown;
            return found;
        }
        pumpFor(std::chrono::milliseconds(100));
    }
    return nullptr;
}

// A change: a new syntax after "alpha", selected and shown in the pane.
void newSyntaxAfterAlpha(const Editor& editor) {
    HWND tree = treeOf(editor.window);
    HTREEITEM alpha = nextItem(tree, nextItem(tree, nextItem(tree, nullptr, TVGN_ROOT), TVGN_NEXT), TVGN_CHILD);
    sendTo(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(alpha));
    sendTo(editor.window, WM_COMMAND, MAKEWPARAM(40015, 0), 0);
}

TEST_F(RecoveryEndToEnd, AKilledEditorsWorkComesBackWithTheTextTypedInThePane) {
    const Editor one = startEditor(file_);
    ASSERT_TRUE(one.window);
    waitForTitle(one.window, titleFor(file_));
    newSyntaxAfterAlpha(one);
    HWND name = GetDlgItem(FindWindowExW(one.window, nullptr, L"#32770", nullptr), 1000);
    ASSERT_TRUE(name);
    sendTo(name, EM_SETSEL, 0, -1);
    for (wchar_t ch : std::wstring(L"電報x")) PostMessageW(name, WM_CHAR, ch, 1);
    // Typed, not applied, and the editor ends as in a crash.
    ASSERT_TRUE(waitForCopy(one, [](const RecoveryInfo& info) { return info.draft && info.draft->name == u"電報x"; }));
    crash(one);

    std::wstring text;
    const DWORD two = launchEditor(file_);
    HWND question = questionOf({two}, &text);
    ASSERT_TRUE(question) << "no recovery question";
    EXPECT_EQ(text.rfind(file_.wstring(), 0), 0u) << std::string(text.begin(), text.end());
    EXPECT_NE(text.find(L"保存されていない変更が残っています。復元しますか？"), std::wstring::npos);
    PostMessageW(question, WM_COMMAND, IDYES, 0);
    const Editor recovered = waitForWindow(two);
    ASSERT_TRUE(recovered.window);
    const std::wstring changed = file_.wstring() + L" (更新) - Tarvelonカラー構文エディタ";
    EXPECT_EQ(waitForTitle(recovered.window, changed), changed);

    sendTo(recovered.window, WM_COMMAND, MAKEWPARAM(40003, 0), 0);  // save
    EXPECT_EQ(waitForTitle(recovered.window, titleFor(file_)), titleFor(file_));
    Document saved;
    ASSERT_TRUE(loadTagFile(saved, file_));
    ASSERT_EQ(saved.syntaxCount(), 5);
    EXPECT_STREQ(saved.syntaxAt(3)->name, "alpha");
    EXPECT_STREQ(saved.syntaxAt(4)->name, "\x93\x64\x95\xF1x");  // 電報x in cp932
    pumpFor(std::chrono::milliseconds(1500));
    EXPECT_TRUE(leftInFolder().empty()) << "the save removed the copy";
}

TEST_F(RecoveryEndToEnd, NoKeepsTheCopyAsideAndExitWithoutSavingLeavesNothing) {
    const auto bytesOf = [](const fs::path& path) {
        std::ifstream in(path, std::ios::binary);
        return std::vector<char>(std::istreambuf_iterator<char>(in), {});
    };
    const std::vector<char> original = bytesOf(file_);
    const Editor one = startEditor(file_);
    ASSERT_TRUE(one.window);
    waitForTitle(one.window, titleFor(file_));
    newSyntaxAfterAlpha(one);
    ASSERT_TRUE(waitForCopy(one, [](const RecoveryInfo&) { return true; }));
    // A second editor beside it is not offered the running one's copy.
    const Editor beside = startEditor(file_);
    ASSERT_TRUE(beside.window) << "a running editor's copy was offered";
    crash(one);

    // Two editors started at once: the one that claims the copy asks, the
    // other opens the file without a question.
    std::wstring text;
    const DWORD first = launchEditor(file_), second = launchEditor(file_);
    DWORD two = 0;
    HWND question = questionOf({first, second}, &text, &two);
    ASSERT_TRUE(question);
    const Editor rival = waitForWindow(two == first ? second : first);
    ASSERT_TRUE(rival.window);
    EXPECT_EQ(waitForTitle(rival.window, titleFor(file_)), titleFor(file_));
    pumpFor(std::chrono::milliseconds(500));
    std::wstring ignored;
    EXPECT_EQ(questionOf({rival.processId}, &ignored, nullptr, 5), nullptr) << "both editors asked";
    PostMessageW(question, WM_COMMAND, IDNO, 0);
    const Editor reopened = waitForWindow(two);
    ASSERT_TRUE(reopened.window);
    EXPECT_EQ(waitForTitle(reopened.window, titleFor(file_)), titleFor(file_));
    std::vector<std::wstring> kept = leftInFolder();
    ASSERT_EQ(kept.size(), 2u);
    for (const std::wstring& name : kept) EXPECT_NE(name.find(L".kept-"), std::wstring::npos);

    // A change, its copy, then Exit answered No: only the kept pair stays.
    newSyntaxAfterAlpha(reopened);
    ASSERT_TRUE(waitForCopy(reopened, [](const RecoveryInfo&) { return true; }));
    EXPECT_EQ(leftInFolder().size(), 4u);
    PostMessageW(reopened.window, WM_COMMAND, MAKEWPARAM(40005, 0), 0);
    HWND save = questionOf({two}, &text);
    ASSERT_TRUE(save) << "no save question";
    PostMessageW(save, WM_COMMAND, IDNO, 0);
    HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, two);
    for (int tries = 0; tries < 100 && process && WaitForSingleObject(process, 0) == WAIT_TIMEOUT; ++tries)
        pumpFor(std::chrono::milliseconds(100));
    if (process) CloseHandle(process);
    EXPECT_EQ(leftInFolder(), kept);
    EXPECT_EQ(bytesOf(file_), original);

    // A third start finds nothing to offer.
    const Editor three = startEditor(file_);
    ASSERT_TRUE(three.window) << "a kept copy was offered again";
}

}  // namespace
}  // namespace lumaset
