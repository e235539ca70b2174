// Shared by the GUI tests: each test gets a fresh App, scripted answers for
// everything that would block on a person, a clean registry key and its
// own temporary folder. Real windows, controls and clipboard under Wine.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "document/error_message.h"
#include "views/app.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"

namespace lumaset::testing {

struct MessageBoxCall {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

struct ProcessStart {
    std::wstring exePath;
    std::wstring commandLine;
};

// The scripted side of ui_calls. Queued answers are used in order; with
// the queue empty a question is cancelled, an error box acknowledged, a
// file dialog cancelled and a modal dialog ends with IDCANCEL.
struct ScriptedUi {
    std::deque<int> messageBoxAnswers;
    std::vector<MessageBoxCall> messageBoxes;
    // Runs as each box is shown, before it is answered.
    std::function<void(const MessageBoxCall&)> onMessageBox;
    std::deque<std::optional<std::wstring>> fileDialogAnswers;
    std::vector<FileDialogRequest> fileDialogs;
    // Where an answered file dialog leaves the current directory, as a real
    // one may after the user browsed; empty: unchanged.
    std::wstring fileDialogMovesTo;
    bool processStartSucceeds = true;
    std::vector<ProcessStart> processStarts;
    std::vector<unsigned> helpContexts;
    std::deque<INT_PTR> dialogAnswers;
    std::vector<int> dialogs;

    // The texts of the message boxes shown so far, as UTF-8.
    std::vector<std::string> messageTexts() const;
};

ScriptedUi& scriptedUi();

// Handles every pending message the way the message loop would; a quit
// message is dropped.
void pumpMessages();
using lumaset::windowText;
// Tree view queries: the item related by TVGN_*, and an item's text.
HTREEITEM treeItem(HWND tree, HTREEITEM item, UINT relation);
std::wstring treeItemText(HWND tree, HTREEITEM item);
// The window has WS_VISIBLE (its parent may still be hidden).
bool isShown(HWND window);

// A user syntax appended at the end of the table.
void appendSyntax(Document& document, const char* cp932Name, int depth);

inline constexpr wchar_t kRecentFilesKey[] = L"Software\\Pemberlyx\\Tarvelon95\\Lumaset";

class GuiTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // Runs start-up with the command-line tail; false when start-up ended
    // the program (the exit code is then 0).
    bool start(const std::wstring& commandLineTail = L"");
    App& a() { return app(); }
    ScriptedUi& ui() { return scriptedUi(); }
    // A file path inside this test's own folder (not created).
    std::filesystem::path tempPath(const std::wstring& name) const { return folder_ / name; }
    const std::filesystem::path& folder() const { return folder_; }

private:
    std::filesystem::path folder_;
};

}  // namespace lumaset::testing
