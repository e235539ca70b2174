#include "gui/gui_support.h"

#include <cstring>

#include "document/records.h"
#include "pattern/derived_fields.h"
#include "shell/main_window.h"
#include "ui/text_convert.h"

namespace lumaset::testing {

namespace {

void installScriptedHooks() {
    UiHooks& hooks = uiHooks();
    hooks.messageBox = [](HWND owner, const std::wstring& text, const std::wstring& caption, UINT type) {
        ScriptedUi& ui = scriptedUi();
        ui.messageBoxes.push_back({owner, text, caption, type});
        if (ui.onMessageBox) ui.onMessageBox(ui.messageBoxes.back());
        if (!ui.messageBoxAnswers.empty()) {
            const int answer = ui.messageBoxAnswers.front();
            ui.messageBoxAnswers.pop_front();
            return answer;
        }
        const UINT buttons = type & MB_TYPEMASK;
        return buttons == MB_OK ? IDOK : IDCANCEL;
    };
    hooks.fileDialog = [](const FileDialogRequest& request) -> std::optional<std::wstring> {
        ScriptedUi& ui = scriptedUi();
        ui.fileDialogs.push_back(request);
        if (ui.fileDialogAnswers.empty()) return std::nullopt;
        auto answer = ui.fileDialogAnswers.front();
        ui.fileDialogAnswers.pop_front();
        if (!ui.fileDialogMovesTo.empty()) SetCurrentDirectoryW(ui.fileDialogMovesTo.c_str());
        return answer;
    };
    hooks.startProcess = [](const std::wstring& exePath, const std::wstring& commandLine) {
        scriptedUi().processStarts.push_back({exePath, commandLine});
        return scriptedUi().processStartSucceeds;
    };
    hooks.showHelp = [](HWND, unsigned context) { scriptedUi().helpContexts.push_back(context); };
    hooks.modalDialog = [](HINSTANCE, int dialogId, HWND, DLGPROC, LPARAM) -> INT_PTR {
        ScriptedUi& ui = scriptedUi();
        ui.dialogs.push_back(dialogId);
        if (ui.dialogAnswers.empty()) return IDCANCEL;
        const INT_PTR answer = ui.dialogAnswers.front();
        ui.dialogAnswers.pop_front();
        return answer;
    };
}

std::filesystem::path makeTestFolder() {
    wchar_t base[MAX_PATH + 1];
    GetTempPathW(MAX_PATH + 1, base);
    static int serial = 0;
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    std::filesystem::path folder = std::filesystem::path(base) /
                                   (L"lumaset-gui-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
                                    std::to_wstring(++serial) + L"-" + wideFromUtf8(info ? info->name() : "x"));
    std::error_code ignored;
    std::filesystem::remove_all(folder, ignored);
    std::filesystem::create_directories(folder);
    return folder;
}

}  // namespace

std::vector<std::string> ScriptedUi::messageTexts() const {
    std::vector<std::string> texts;
    for (const MessageBoxCall& call : messageBoxes) texts.push_back(utf8FromWide(call.text));
    return texts;
}

ScriptedUi& scriptedUi() {
    static ScriptedUi ui;
    return ui;
}

void pumpMessages() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        routeMessage(msg);
    }
}

HTREEITEM treeItem(HWND tree, HTREEITEM item, UINT relation) {
    return reinterpret_cast<HTREEITEM>(SendMessageW(tree, TVM_GETNEXTITEM, relation, reinterpret_cast<LPARAM>(item)));
}

std::wstring treeItemText(HWND tree, HTREEITEM item) {
    wchar_t buffer[128] = {};
    TVITEMW query{};
    query.mask = TVIF_TEXT | TVIF_HANDLE;
    query.hItem = item;
    query.pszText = buffer;
    query.cchTextMax = 128;
    SendMessageW(tree, TVM_GETITEMW, 0, reinterpret_cast<LPARAM>(&query));
    return buffer;
}

bool isShown(HWND window) { return window && (GetWindowLongW(window, GWL_STYLE) & WS_VISIBLE) != 0; }

void appendSyntax(Document& document, const char* cp932Name, int depth) {
    SyntaxRecord record = blankSystemRecord();
    std::strncpy(record.name, cp932Name, kNameSize - 1);
    record.depth = std::uint8_t(depth);
    document.insertSyntax(document.syntaxCount(), record);
    // As the pane would store it, so that showing it asks nothing.
    deriveRecordFields(document, document.syntaxCount() - 1);
}

void GuiTest::SetUp() {
    resetApp();
    resetUiHooks();
    scriptedUi() = ScriptedUi{};
    installScriptedHooks();
    RegDeleteTreeW(HKEY_CURRENT_USER, kRecentFilesKey);
    folder_ = makeTestFolder();
}

void GuiTest::TearDown() {
    HWND main = app().windows.main;
    if (main && IsWindow(main)) DestroyWindow(main);
    pumpMessages();
    resetApp();
    resetUiHooks();
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

bool GuiTest::start(const std::wstring& commandLineTail) {
    const bool started = startMainWindow(GetModuleHandleW(nullptr), commandLineTail.c_str(), SW_SHOWNORMAL);
    pumpMessages();
    return started;
}

}  // namespace lumaset::testing
