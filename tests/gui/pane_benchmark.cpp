// Figures, not a test: how long selecting a syntax and applying a changed
// title take in the real window with a full document, and what one
// recovery copy of it costs. Disabled in the normal
// run; start it with --gtest_also_run_disabled_tests
// --gtest_filter=*PaneBenchmark*.
#include "gui/gui_support.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "pattern/derived_fields.h"
#include "pattern/pattern_code.h"
#include "resources/resource_ids.h"
#include "properties/property_pane.h"
#include "views/command_states.h"
#include "views/tree_mirror.h"
#include "document/file_io.h"
#include "document/tag_file.h"
#include "pattern/document_checks.h"
#include "pattern/match_pattern.h"
#include "properties/tool_windows.h"
#include "views/document_state.h"
#include "shell/recovery_start.h"
#include "views/memo_edit.h"
#include "views/pane_steps.h"
#include "views/recovery.h"

namespace lumaset::testing {
namespace {

double milliseconds(LARGE_INTEGER from, LARGE_INTEGER to) {
    static const double frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return double(f.QuadPart);
    }();
    return double(to.QuadPart - from.QuadPart) * 1000.0 / frequency;
}

void report(const char* what, std::vector<double> times) {
    std::sort(times.begin(), times.end());
    std::printf("%-32s %zu steps: median %.3f ms, worst %.3f ms\n", what, times.size(), times[times.size() / 2],
                times.back());
}

class PaneBenchmark : public GuiTest {};

// 255 records with patterns and titles, shown in the tree.
void fillFullDocument(App& app) {
    Document& doc = app.document;
    for (int i = 0; doc.syntaxCount() < kMaxSyntaxCount; ++i) {
        char name[kNameSize];
        std::snprintf(name, sizeof name, "syntax %03d", i);
        appendSyntax(doc, name, 1 + i % 3);  // runs of parent, child, grandchild
        SyntaxRecord& r = *doc.syntaxAt(doc.syntaxCount() - 1);
        std::snprintf(r.pattern, kPatternSize, "^line one %d\\nline two\\nthree \\f.*\\f end", i);
        std::uint8_t code[kCompileAreaSize];
        const int length = compilePattern("\\1 title \\(2,1,-1)", code);
        if (length <= 0) return;
        std::memcpy(r.titleCode, code, std::size_t(length));
        deriveRecordFields(doc, doc.syntaxCount() - 1);
    }
    buildTree(app);
    pumpMessages();
}

TEST_F(PaneBenchmark, DISABLED_SelectAndApplyInAFullDocument) {
    ASSERT_TRUE(start());
    fillFullDocument(a());
    Document& doc = a().document;
    HWND tree = a().windows.tree;
    HWND pane = a().windows.propertyPane;

    // Each pass of selections is followed by the same walk part by part:
    // the tree's own work (the pane ignores the change while guarded), then
    // what the selection change adds to it. Alternating passes share out
    // whatever else the machine is doing.
    std::vector<double> selecting, applying, applyUnchanged, treeOnly, showing, pushed;
    for (int pass = 0; pass < 3; ++pass) {
        for (int position = kRootRecord; position < doc.syntaxCount(); ++position) {
            LARGE_INTEGER t0, t1;
            QueryPerformanceCounter(&t0);
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(itemForRecord(a(), position)));
            QueryPerformanceCounter(&t1);
            selecting.push_back(milliseconds(t0, t1));
            pumpMessages();
        }
        for (int position = kRootRecord; position < doc.syntaxCount(); ++position) {
            LARGE_INTEGER t0, t1, t2, t3, t4;
            QueryPerformanceCounter(&t0);
            applyProperties(a(), true);
            QueryPerformanceCounter(&t1);
            a().selection.reselectGuard = true;
            SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(itemForRecord(a(), position)));
            a().selection.reselectGuard = false;
            QueryPerformanceCounter(&t2);
            a().selection.selectionIndex = position;
            a().selection.commandFlags = 0;
            showSelectedRecord(a());
            QueryPerformanceCounter(&t3);
            refreshCommandStates(a());
            QueryPerformanceCounter(&t4);
            pumpMessages();
            applyUnchanged.push_back(milliseconds(t0, t1));
            treeOnly.push_back(milliseconds(t1, t2));
            showing.push_back(milliseconds(t2, t3));
            pushed.push_back(milliseconds(t3, t4));
        }
    }
    for (int position = kFirstUserRecord; position < doc.syntaxCount(); ++position) {
        SendMessageW(tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(itemForRecord(a(), position)));
        pumpMessages();
        HWND title = GetDlgItem(pane, IDC_TITLE);
        SetWindowTextW(title, (L"\\1 changed " + std::to_wstring(position)).c_str());
        SendMessageW(title, EM_SETMODIFY, TRUE, 0);
        LARGE_INTEGER t0, t1;
        QueryPerformanceCounter(&t0);
        SendMessageW(pane, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(pane, IDOK)));
        QueryPerformanceCounter(&t1);
        applying.push_back(milliseconds(t0, t1));
        pumpMessages();
    }
    // The parts of one selection on their own.
    std::vector<double> clipboard, filling, pushing;
    for (int k = 0; k < 100; ++k) {
        LARGE_INTEGER t0, t1, t2, t3;
        QueryPerformanceCounter(&t0);
        checkClipboardFormat(a());
        QueryPerformanceCounter(&t1);
        fillProperties(a());
        QueryPerformanceCounter(&t2);
        a().selection.commandFlags ^= 0x7F;
        refreshCommandStates(a());
        QueryPerformanceCounter(&t3);
        clipboard.push_back(milliseconds(t0, t1));
        filling.push_back(milliseconds(t1, t2));
        pushing.push_back(milliseconds(t2, t3));
    }
    // What every key and click in the tree adds: the highlight checked
    // against the selection (the last record: the longest look-up), and
    // the floor, asking the tree for its highlight alone.
    std::vector<double> following, askingTree;
    for (int k = 0; k < 1000; ++k) {
        LARGE_INTEGER t0, t1, t2;
        QueryPerformanceCounter(&t0);
        selectionFollowsTree(a());
        QueryPerformanceCounter(&t1);
        SendMessageW(tree, TVM_GETNEXTITEM, TVGN_CARET, 0);
        QueryPerformanceCounter(&t2);
        following.push_back(milliseconds(t0, t1));
        askingTree.push_back(milliseconds(t1, t2));
    }
    report("  highlight = selection check", following);
    report("  the tree's highlight alone", askingTree);
    report("  apply with nothing changed", applyUnchanged);
    report("  the tree's own selection change", treeOnly);
    report("  fill and flags of the new one", showing);
    report("  push of the changed bits", pushed);
    report("  clipboard check", clipboard);
    report("  fill", filling);
    report("  push all seven bits", pushing);
    EXPECT_TRUE(ui().messageBoxes.empty());
    report("select (apply, fill, flags, push)", selecting);
    report("apply a changed title (and refill)", applying);
}

// One recovery copy of a full document with a 60 KB memo, against the bare
// safe write of the same bytes and a plain unflushed write: the floor.
TEST_F(PaneBenchmark, DISABLED_RecoveryCopyOfAFullDocument) {
    ASSERT_TRUE(start());
    fillFullDocument(a());
    SetWindowTextW(a().windows.memo, std::wstring(30 * 1024, L'メ').c_str());  // 60 KB in cp932
    SendMessageW(a().windows.memo, EM_SETMODIFY, TRUE, 0);
    const std::optional<std::string> memo = memoTextFromEdit(a());
    ASSERT_TRUE(memo && memo->size() == 60 * 1024);
    const std::filesystem::path copy = ownCopyPath(kRecoveryCopyExtension);
    std::vector<double> whole, image, safe, plain;
    for (int k = 0; k < 30; ++k) {
        LARGE_INTEGER t0, t1, t2, t3, t4;
        QueryPerformanceCounter(&t0);
        ASSERT_TRUE(writeRecoveryCopy(a()));
        QueryPerformanceCounter(&t1);
        ASSERT_TRUE(writeTagFileCopy(a().document, std::string_view(*memo), copy));
        QueryPerformanceCounter(&t2);
        const std::uintmax_t size = std::filesystem::file_size(copy);
        const std::vector<char> bytes(size, 'x');
        SafeFileWriter writer;
        ASSERT_TRUE(writer.create(tempPath(L"safe.bin")) && writer.write(bytes.data(), size) && writer.commit());
        QueryPerformanceCounter(&t3);
        HANDLE h = CreateFileW(tempPath(L"plain.bin").c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD put = 0;
        WriteFile(h, bytes.data(), DWORD(size), &put, nullptr);
        CloseHandle(h);
        QueryPerformanceCounter(&t4);
        whole.push_back(milliseconds(t0, t1));
        image.push_back(milliseconds(t1, t2));
        safe.push_back(milliseconds(t2, t3));
        plain.push_back(milliseconds(t3, t4));
    }
    std::printf("copy file: %ju bytes\n", std::uintmax_t(std::filesystem::file_size(copy)));
    report("recovery copy (memo, draft, both files)", whole);
    report("  the .tag copy alone", image);
    report("  bare safe write of those bytes", safe);
    report("  plain write, no flush or rename", plain);
    dropRecoveryCopy(a());
}

// The test window's and the problems list's refresh with 255 syntaxes and a
// 25 x 80 screen, beside the floor of the same work without a window (the
// matcher over every syntax; the checks), and a key typed in the pattern
// field with both windows open against the same key with them closed.
TEST_F(PaneBenchmark, DISABLED_ToolWindowsInAFullDocument) {
    ASSERT_TRUE(start());
    fillFullDocument(a());
    std::wstring screen;
    for (int line = 0; line < 25; ++line) screen += std::wstring(79, L'a' + line % 26) + L"\r\n";
    screen += L"line one 7\r\nline two\r\nthree xyz end";
    std::string sample = cp932FromWide(screen);
    sample = normaliseLineBreaks(sample);
    SendMessageW(a().windows.tree, TVM_SELECTITEM, TVGN_CARET, reinterpret_cast<LPARAM>(itemForRecord(a(), 9)));
    pumpMessages();
    HWND field = GetDlgItem(a().windows.propertyPane, IDC_PATTERN);
    const auto typeKeys = [&](std::vector<double>& into) {
        for (int k = 0; k < 40; ++k) {
            LARGE_INTEGER t0, t1;
            QueryPerformanceCounter(&t0);
            SendMessageW(field, WM_CHAR, k % 2 ? VK_BACK : L'x', 1);
            QueryPerformanceCounter(&t1);
            into.push_back(milliseconds(t0, t1));
        }
        pumpMessages();
    };
    std::vector<double> keysClosed, keysOpen;
    typeKeys(keysClosed);
    runToolCommand(a(), IDM_TOOLS_TEST_SYNTAX);
    runToolCommand(a(), IDM_TOOLS_PROBLEMS);
    setSyntaxTestSample(a(), screen);
    typeKeys(keysOpen);
    std::vector<double> window, matching, problems, checks;
    const Document& doc = a().document;
    for (int k = 0; k < 20; ++k) {
        LARGE_INTEGER t0, t1, t2, t3, t4;
        QueryPerformanceCounter(&t0);
        SendMessageW(a().tools.syntaxTest, WM_TIMER, kToolRefreshTimerId, 0);
        QueryPerformanceCounter(&t1);
        int matched = 0;
        for (int p = kFirstUserRecord; p < doc.syntaxCount(); ++p)
            matched += matchPattern(fieldText(doc.syntaxAt(p)->pattern, kPatternSize), sample).outcome ==
                       MatchOutcome::Matched;
        QueryPerformanceCounter(&t2);
        SendMessageW(a().tools.problems, WM_TIMER, kToolRefreshTimerId, 0);
        QueryPerformanceCounter(&t3);
        const std::size_t found = checkDocument(doc).size();
        QueryPerformanceCounter(&t4);
        if (k == 0) std::printf("%d syntaxes match, %zu findings\n", matched, found);
        window.push_back(milliseconds(t0, t1));
        matching.push_back(milliseconds(t1, t2));
        problems.push_back(milliseconds(t2, t3));
        checks.push_back(milliseconds(t3, t4));
    }
    report("test window refresh", window);
    report("  floor: match every syntax", matching);
    report("problems list refresh", problems);
    report("  floor: checkDocument", checks);
    report("a key in the pattern, windows shut", keysClosed);
    report("a key in the pattern, windows open", keysOpen);
}

}  // namespace
}  // namespace lumaset::testing
