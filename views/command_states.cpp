#include "views/command_states.h"

#include <initializer_list>

#include "resources/resource_ids.h"
#include "views/status_line.h"

namespace lumaset {

namespace {

// One availability bit with its toolbar buttons and menu items, in the
// order they are pushed.
struct CommandGroup {
    std::uint16_t bit;
    std::initializer_list<int> buttons;
    std::initializer_list<int> menuItems;
};

const CommandGroup kCommandGroups[] = {
    {kCanCutCopyDelete,
     {IDM_EDIT_CUT, IDM_EDIT_COPY_ONE, IDM_EDIT_COPY_TREE},
     {IDM_EDIT_DELETE, IDM_EDIT_CUT, IDM_EDIT_COPY_ONE, IDM_EDIT_COPY_TREE}},
    {kCanPaste, {IDM_EDIT_PASTE}, {IDM_EDIT_PASTE}},
    {kCanPasteChild, {IDM_EDIT_PASTE_CHILD}, {IDM_EDIT_PASTE_CHILD}},
    {kCanMoveUp, {IDM_ORDER_UP}, {IDM_ORDER_UP}},
    {kCanMoveDown, {IDM_ORDER_DOWN}, {IDM_ORDER_DOWN}},
    {kCanNewSyntax, {IDM_EDIT_NEW_SYNTAX}, {IDM_EDIT_NEW_SYNTAX}},
    {kCanNewChild, {IDM_EDIT_NEW_CHILD}, {IDM_EDIT_NEW_CHILD}},
    {kCanUndo, {IDM_EDIT_UNDO}, {IDM_EDIT_UNDO}},
    {kCanRedo, {IDM_EDIT_REDO}, {IDM_EDIT_REDO}},
};

}  // namespace

UINT syntaxClipboardFormat() {
    static const UINT format = RegisterClipboardFormatW(kSyntaxClipboardFormatName);
    return format;
}

bool takesChildren(const SyntaxRecord& record) {
    return !record.interrupting && fieldText(record.exitPattern, kExitPatternSize).empty();
}

int checkClipboardFormat(App& app) {
    SelectionState& selection = app.selection;
    selection.commandFlags &= std::uint16_t(~(kCanPaste | kCanPasteChild));
    // Only a syntax takes a paste: not the memo, not nothing.
    const int s = selection.selectionIndex;
    if (s < kRootRecord || s >= app.document.syntaxCount()) return 0;
    if (!OpenClipboard(app.windows.main)) return 0;
    const bool present = GetClipboardData(syntaxClipboardFormat()) != nullptr;
    CloseClipboard();
    if (!present) return 0;
    const SyntaxRecord& record = *app.document.syntaxAt(s);
    // A syntax with an exit pattern or the interrupting flag takes no
    // children, whenever the clipboard is looked at.
    if (takesChildren(record)) selection.commandFlags |= kCanPasteChild;
    if (record.depth >= 1) selection.commandFlags |= kCanPaste;
    return 1;
}

void refreshCommandStates(App& app) {
    SelectionState& selection = app.selection;
    // The history's bits hold whatever the selection does.
    selection.commandFlags &= std::uint16_t(~(kCanUndo | kCanRedo));
    if (app.history.log.canUndo()) selection.commandFlags |= kCanUndo;
    if (app.history.log.canRedo()) selection.commandFlags |= kCanRedo;
    const std::uint16_t changed = selection.commandFlags ^ selection.pushedCommandFlags;
    for (const CommandGroup& group : kCommandGroups) {
        if (!(changed & group.bit)) continue;
        const bool on = (selection.commandFlags & group.bit) != 0;
        if (app.windows.toolbar)
            for (int id : group.buttons) SendMessageW(app.windows.toolbar, TB_ENABLEBUTTON, id, MAKELONG(on, 0));
        if (app.windows.mainMenu)
            for (int id : group.menuItems)
                EnableMenuItem(app.windows.mainMenu, UINT(id), MF_BYCOMMAND | (on ? MF_ENABLED : MF_GRAYED));
    }
    selection.pushedCommandFlags = selection.commandFlags;
    refreshStatusBar(app);
}

}  // namespace lumaset
