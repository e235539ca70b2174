// The editor's state, reachable from one place. A test starts from a fresh
// App (resetApp) and a fresh main window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "document/document.h"
#include "views/logic/history_log.h"
#include "views/logic/recovery_info.h"

namespace lumaset {

// Window handles and the things made with them at start-up.
struct MainWindows {
    HINSTANCE instance = nullptr;
    HWND main = nullptr;
    HWND toolbar = nullptr;
    HWND tree = nullptr;
    HWND splitter = nullptr;
    HWND memo = nullptr;
    HWND propertyPane = nullptr;
    HMENU mainMenu = nullptr;
    HWND nextClipboardViewer = nullptr;
    HACCEL accelerators = nullptr;
    HFONT patternFont = nullptr;
    bool newShell = true;
    bool popupFirstItem = false;
    bool inClipboardChain = false;  // ChangeClipboardChain only after joining
    bool fillingMemo = false;       // our own WM_SETTEXT is not a user's change
    // The memo holds bytes that no conversion gives back, and whether the
    // user chose to edit it anyway.
    bool memoUnshowable = false;
    bool memoEditAccepted = false;
    HWND lastFocus = nullptr;       // the child that had the focus when we lost it
    HWND paneLastFocus = nullptr;   // the pane's control that had the focus last
    HWND findBar = nullptr;         // made on the first Ctrl+F
    HWND statusBar = nullptr;       // null while hidden
};

// The document's file and its modified flag.
struct FileState {
    std::wstring path;  // empty: untitled
    bool modified = false;
    // path on disk as last read or saved, for a recovery copy to tell
    // whether someone else wrote the file after it.
    std::optional<FileStamp> onDisk;
};

// What the property pane shows and which commands apply to it.
struct SelectionState {
    int selectionIndex = -1;  // -1 none, 0 the memo (root item), >= 2 a record
    std::uint16_t commandFlags = 0;
    std::uint16_t pushedCommandFlags = 0x1FF;  // as last pushed to the controls
    bool reselectGuard = false;
    bool pasting = false;    // a paste moves the focus and fills the pane once, at its end
    bool paneStale = false;  // the pane does not show the selected record (mid-paste)
    MessageFormat draftMessageFormat{};  // the pane's working copy
    // The pane holds edits the user made and has not applied, and which of
    // its text fields they touched (kDraft* bits); an untouched field keeps
    // its stored bytes.
    bool draftEdited = false;
    std::uint8_t draftFields = 0;
};

inline constexpr std::uint8_t kDraftName = 0x01;
inline constexpr std::uint8_t kDraftPattern = 0x02;
inline constexpr std::uint8_t kDraftExitPattern = 0x04;
inline constexpr std::uint8_t kDraftTitle = 0x08;

// Splitter and pane layout.
struct LayoutState {
    int splitPosition = 0;
    bool dragging = false;
    int dragPosition = 0;
    int grabOffset = 0;
    int paneTop = 0;  // toolbar height - 1, as of the last layout
    HWND focusBeforeDrag = nullptr;
    RECT normalFrame{};  // the frame when last neither minimised nor maximised
};

// The tree view's items: treeItem in a record holds a 1-based slot of
// `handles` (0: none), since an HTREEITEM does not fit in four bytes.
struct TreeMirrorState {
    HTREEITEM rootItem = nullptr;
    std::vector<HTREEITEM> handles;
    // Per slot: the item is open. Kept here because asking the tree for
    // every item's state is slow under Wine.
    std::vector<std::uint8_t> expanded;
};

// The recent-file list, oldest first.
struct RecentFiles {
    std::vector<std::wstring> entries;
};

// The ">>" buttons' menus, from the pane's creation to its destruction, and
// the push-button procedure their replacement procedure passes on to.
struct PatternHelpState {
    HMENU patternHelpMenu = nullptr;  // edits 1001 and 1005
    HMENU titleHelpMenu = nullptr;    // edit 1006
    WNDPROC standardButtonProc = nullptr;
};

// Undo and redo: the table states, how deep the running step is, and
// whether the memo changed since the last save (it keeps its own undo).
struct EditHistory {
    HistoryLog log;
    int openSteps = 0;
    bool memoEdited = false;
};

// A syntax being dragged in the tree, from TVN_BEGINDRAG to the drop.
struct TreeDragState {
    bool active = false;
    int dragged = -1;               // the dragged record's position
    HIMAGELIST image = nullptr;     // the item's drag image
    HTREEITEM hover = nullptr;      // the item shown as drop target
};

// The recovery copy of unsaved work (views/recovery.h).
struct RecoveryState {
    bool timerArmed = false;
    bool written = false;  // this editor's copy is on disk
};

// The status bar's texts as last set, and a refused command's reason.
struct StatusLine {
    std::wstring reason;
    std::wstring shownParts[3];
};

struct App;

// What the last search looked for, for F3 with the find bar closed, and the
// main window's handler of the find commands (the bar lives beside it).
struct FindState {
    std::wstring text;
    bool name = true, pattern = true, exitPattern = true, title = true;
    int (*command)(App& app, int commandId) = nullptr;
};

// The test window and the problems list (properties/): their handles while
// open, and the main window's handler of their commands.
struct ToolWindows {
    HWND syntaxTest = nullptr;
    HWND problems = nullptr;
    int (*command)(App& app, int commandId) = nullptr;
};

// The property pane's steps as the commands reach them (views/pane_steps.h).
struct PaneSteps {
    bool (*apply)(App& app, bool confirm) = nullptr;
    void (*fill)(App& app) = nullptr;
    void (*show)(App& app) = nullptr;  // fill and the commands' availability
    // The apply step asking with its own question tail after the name.
    bool (*applyAsking)(App& app, const wchar_t* questionTail) = nullptr;
    // The selection step a click runs (null item: none).
    void (*select)(App& app, HTREEITEM item) = nullptr;
};

struct App {
    Document document;
    MainWindows windows;
    FileState file;
    SelectionState selection;
    LayoutState layout;
    TreeMirrorState tree;
    RecentFiles recent;
    PaneSteps paneSteps;
    PatternHelpState patternHelp;
    FindState find;
    EditHistory history;
    TreeDragState treeDrag;
    RecoveryState recovery;
    ToolWindows tools;
    StatusLine status;
};

App& app();
// Fresh state for tests: a new document, no windows, empty lists.
void resetApp();

}  // namespace lumaset
