#include "commands/document_commands.h"
#include "views/document_state.h"

#include <vector>

#include "commands/clipboard_transfer.h"
#include "commands/index_editor.h"
#include "commands/logic/document_text.h"
#include "commands/structure_edits.h"
#include "document/error_message.h"
#include "document/tag_file.h"
#include "resources/resource_ids.h"
#include "ui/dpi.h"
#include "views/app.h"
#include "views/document_history.h"
#include "views/pane_steps.h"
#include "views/memo_edit.h"
#include "views/recent_files.h"
#include "views/recovery.h"
#include "ui/text_convert.h"
#include "views/tree_mirror.h"
#include "ui/ui_calls.h"
#include "ui/win_paths.h"

namespace lumaset {

namespace {

constexpr wchar_t kOpenDialogTitle[] = L"カラー構文定義ファイルを開く";
constexpr wchar_t kSaveDialogTitle[] = L"カラー構文定義ファイルの保存";

// documentPath empty: a new, empty instance.
bool launchInstance(const std::wstring& documentPath) {
    const std::wstring exe = programPath();
    return !exe.empty() && startProcess(exe, secondInstanceCommandLine(exe, documentPath));
}

void reportStartFailed() { showErrorMessage(utf8FromWide(kStartFailedText)); }

// The window shows whatever document is now in app().document, clean.
void showDocument(App& state) {
    dropRecoveryCopy(state);
    buildTree(state);
    showMemoText(state);
    state.file.modified = false;
    updateTitle();
    startHistory(state);
}

int newCommand() {
    if (!launchInstance({})) {
        reportStartFailed();
        return 0;
    }
    return 1;
}

int openCommand() {
    const std::wstring directory = currentDirectory();
    FileDialogRequest request;
    request.owner = app().windows.main;
    request.title = kOpenDialogTitle;
    const auto chosen = showFileDialog(request);
    if (!chosen || chosen->empty()) return 0;
    return openDocumentFile(*chosen, directory);
}

int closeCommand() {
    if (!confirmSaveChanges()) return 0;
    App& state = app();
    clearTreeSelection(state);
    state.document.freeDocument();
    state.document.newDocument();
    state.file.path.clear();
    showDocument(state);
    return 1;
}

int saveCommand() {
    App& state = app();
    // Saving keeps what the pane shows.
    if (!applyPaneBeforeSave(state)) return 0;
    state.document.setMemoText(memoTextFromEdit(state));
    if (state.file.path.empty()) return runCommand(IDM_FILE_SAVE_AS);

    if (!saveTagFile(state.document, state.file.path)) {
        showErrorMessage(utf8FromWide(saveFailedText(state.file.path)));
        return 0;
    }
    noteFileOnDisk(state);
    addRecentFile(state.file.path);
    buildRecentFileMenu(state.windows.mainMenu);
    markSavedState(state);
    state.file.modified = false;
    updateTitle();
    // A pane edit not applied still counts; the timer settles it.
    dropRecoveryCopy(state);
    scheduleRecoveryCopy(state);
    return 1;
}

int saveAsCommand() {
    App& state = app();
    if (!applyPaneBeforeSave(state)) return 0;
    FileDialogRequest request;
    request.owner = state.windows.main;
    request.save = true;
    request.title = kSaveDialogTitle;
    request.initialPath = state.file.path;
    const auto chosen = showFileDialog(request);
    if (!chosen || chosen->empty()) return 0;
    // Never cut a long name: the cut one would be a different file.
    if (!fitsDocumentPath(*chosen)) {
        showErrorMessage(utf8FromWide(*chosen) + "の作成に失敗しました。");
        return 0;
    }
    state.file.path = *chosen;
    updateTitle();
    return runCommand(IDM_FILE_SAVE);
}

int exitCommand() {
    SendMessageW(app().windows.main, WM_CLOSE, 0, 0);
    return 1;
}

int helpCommand() {
    showHelp(app().windows.main, 0);
    return 1;
}

// The icon drawn for the dialog's DPI, not the 32-pixel one stretched.
void showAboutIcon(HWND dialog) {
    const int size = scaled(32, dpiOf(dialog));
    auto icon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_LUMASET), IMAGE_ICON,
                                              size, size, LR_DEFAULTCOLOR));
    if (!icon) return;
    HICON old = reinterpret_cast<HICON>(SendDlgItemMessageW(dialog, IDC_ABOUT_ICON, STM_SETICON,
                                                           reinterpret_cast<WPARAM>(icon), 0));
    if (old && old != icon) DestroyIcon(old);
}

void dropAboutIcon(HWND dialog) {
    if (auto icon = reinterpret_cast<HICON>(SendDlgItemMessageW(dialog, IDC_ABOUT_ICON, STM_SETICON, 0, 0)))
        DestroyIcon(icon);
}

INT_PTR CALLBACK aboutDialogProc(HWND dialog, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        showAboutIcon(dialog);
        return TRUE;
    case WM_DESTROY:
        dropAboutIcon(dialog);
        return FALSE;
    case WM_COMMAND:
        EndDialog(dialog, 1);
        return TRUE;
    default:
        return FALSE;
    }
}

int aboutCommand() {
    const App& state = app();
    runModalDialog(state.windows.instance, IDD_ABOUT, state.windows.main, aboutDialogProc, 0);
    return 1;
}

// A file that is gone (not a folder or a drive that cannot be read now) is
// said so once and leaves the list, so the menu stops offering it.
bool fileIsGone(const std::wstring& path) {
    if (GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES) return false;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

int openRecentFile(const std::wstring& path) {
    if (fileIsGone(path)) {
        showErrorMessage(pathForMessage(path) + "は見つかりません。");
        removeRecentFile(path);
        return 0;
    }
    return openDocumentFile(path, currentDirectory());
}

// Commands that change the tables, each one undo step. Those that run the
// pane's apply step run it before the step begins, so that an applied pane
// is a step of its own.
bool runsApplyFirst(int commandId) {
    switch (commandId) {
    case IDM_EDIT_NEW_SYNTAX:
    case IDM_EDIT_NEW_CHILD:
    case IDM_ORDER_UP:
    case IDM_ORDER_DOWN: return true;
    default: return false;
    }
}

bool isEditStep(int commandId) {
    switch (commandId) {
    case IDM_EDIT_CUT:
    case IDM_EDIT_PASTE:
    case IDM_EDIT_PASTE_CHILD:
    case IDM_EDIT_DELETE: return true;
    default: return runsApplyFirst(commandId);
    }
}

int runEdit(int commandId) {
    switch (commandId) {
    case IDM_EDIT_CUT: return copySyntaxes(app(), commandId);
    case IDM_EDIT_PASTE:
    case IDM_EDIT_PASTE_CHILD: return pasteSyntaxes(app(), commandId);
    // Delete reports success whatever it found to delete.
    case IDM_EDIT_DELETE: deleteSyntax(app()); return 1;
    case IDM_EDIT_NEW_SYNTAX: return newSyntax(app());
    case IDM_EDIT_NEW_CHILD: return newChildSyntax(app());
    case IDM_ORDER_UP: return moveSyntaxUp(app());
    case IDM_ORDER_DOWN: return moveSyntaxDown(app());
    default: return 1;
    }
}

int runEditStep(int commandId) {
    App& state = app();
    // Asked once, before the step, so that an applied pane is a step of its
    // own; a command that is refused anyway asks nothing.
    if (state.history.openSteps == 0 && runsApplyFirst(commandId)) {
        if (editRefused(state, commandId) || !settlePaneDraft(state)) return 0;
    }
    beginStep(state);
    const int result = runEdit(commandId);
    endStep(state);
    return result;
}

// The commands that act on the selected syntax: they act on the highlighted
// one or not at all.
bool actsOnSelection(int commandId) {
    switch (commandId) {
    case IDM_INDEX_EDIT:
    case IDM_EDIT_COPY_TREE:
    case IDM_EDIT_COPY_ONE:
    case IDM_EDIT_UNDO:
    case IDM_EDIT_REDO:
    case IDM_EDIT_FIND:
    case IDM_EDIT_FIND_NEXT:
    case IDM_EDIT_FIND_PREVIOUS: return true;
    default: return isEditStep(commandId);
    }
}

}  // namespace

int runCommand(int commandId) {
    if (const auto recent = recentFileForCommand(commandId)) return openRecentFile(*recent);
    if (actsOnSelection(commandId) && !selectionFollowsTree(app())) return 0;
    switch (commandId) {
    case IDM_FILE_NEW: return newCommand();
    case IDM_FILE_OPEN: return openCommand();
    case IDM_FILE_CLOSE: return closeCommand();
    case IDM_FILE_SAVE: return saveCommand();
    case IDM_FILE_SAVE_AS: return saveAsCommand();
    case IDM_FILE_EXIT: return exitCommand();
    case IDM_HELP_CONTENTS: return helpCommand();
    case IDM_HELP_ABOUT: return aboutCommand();
    case IDM_INDEX_EDIT: return editIndexes();
    case IDM_EDIT_COPY_TREE:
    case IDM_EDIT_COPY_ONE: return copySyntaxes(app(), commandId);
    case IDM_EDIT_UNDO: return undoStep(app());
    case IDM_EDIT_REDO: return redoStep(app());
    case IDM_EDIT_FIND:
    case IDM_EDIT_FIND_NEXT:
    case IDM_EDIT_FIND_PREVIOUS: return app().find.command ? app().find.command(app(), commandId) : 1;
    case IDM_TOOLS_TEST_SYNTAX:
    case IDM_TOOLS_PROBLEMS:
    case IDM_TOOLS_NEXT_PROBLEM: return app().tools.command ? app().tools.command(app(), commandId) : 1;
    default:
        return isEditStep(commandId) ? runEditStep(commandId) : 1;
    }
}

int openDocumentFile(const std::wstring& path, const std::wstring& directoryToRestore) {
    App& state = app();
    // A name too long for the document path would be cut into another file's.
    if (!fitsDocumentPath(path)) {
        showErrorMessage(utf8FromWide(path) + "は見つかりません。");
        return 0;
    }

    // A named or changed document stays; the file goes to a new instance.
    if (!state.file.path.empty() || documentHasChanges(state)) {
        const bool started = launchInstance(path);
        if (!directoryToRestore.empty()) SetCurrentDirectoryW(directoryToRestore.c_str());
        if (!started) {
            reportStartFailed();
            return 0;
        }
        return 1;
    }

    state.file.path = path;
    clearTreeSelection(state);
    state.document.freeDocument();
    noteFileOnDisk(state);
    if (!loadTagFile(state.document, path)) {
        // The loader left a new document; show it rather than stale items.
        state.file.path.clear();
        showDocument(state);
        return 0;
    }
    showDocument(state);
    repairLoadedDepths(state);
    addRecentFile(state.file.path);
    buildRecentFileMenu(state.windows.mainMenu);
    return 1;
}

int confirmSaveChanges() {
    App& state = app();
    if (!documentHasChanges(state)) return 1;
    const int answer = showMessageBox(state.windows.main, saveChangesQuestion(state.file.path),
                                      kEditorCaption, MB_ICONQUESTION | MB_YESNOCANCEL);
    switch (answer) {
    case IDYES: return runCommand(IDM_FILE_SAVE) ? 1 : 0;
    case IDNO: dropPaneDraft(state); return 1;
    default: return 0;
    }
}

}  // namespace lumaset
