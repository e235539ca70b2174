#include "properties/recovery_draft.h"

#include <cstring>

#include "resources/resource_ids.h"
#include "ui/text_convert.h"
#include "views/document_state.h"

namespace lumaset {

namespace {

constexpr int kTextFields[] = {IDC_NAME, IDC_PATTERN, IDC_EXIT_PATTERN, IDC_TITLE, IDC_COLOUR_LINES};
constexpr int kCheckBoxes[] = {IDC_INTERRUPTING, IDC_JUMP_TO_CHILD, IDC_MESSAGE_SYNTAX};

std::u16string* textOf(RecoveryDraft& draft, int id) {
    switch (id) {
    case IDC_NAME: return &draft.name;
    case IDC_PATTERN: return &draft.pattern;
    case IDC_EXIT_PATTERN: return &draft.exitPattern;
    case IDC_TITLE: return &draft.title;
    default: return &draft.colourLines;
    }
}

bool* checkOf(RecoveryDraft& draft, int id) {
    switch (id) {
    case IDC_INTERRUPTING: return &draft.interrupting;
    case IDC_JUMP_TO_CHILD: return &draft.jumpToChild;
    default: return &draft.messageSyntax;
    }
}

std::u16string u16(const std::wstring& text) { return std::u16string(text.begin(), text.end()); }

}  // namespace

std::optional<RecoveryDraft> capturePaneDraft(const App& app) {
    HWND pane = app.windows.propertyPane;
    const int s = app.selection.selectionIndex;
    if (!pane || s < kFirstUserRecord || s >= app.document.syntaxCount() || app.selection.paneStale)
        return std::nullopt;
    RecoveryDraft draft;
    draft.selection = s;
    for (int id : kTextFields) *textOf(draft, id) = u16(windowText(GetDlgItem(pane, id)));
    for (int id : kCheckBoxes) *checkOf(draft, id) = IsDlgButtonChecked(pane, id) == BST_CHECKED;
    static_assert(sizeof(MessageFormat) == kRecoveryFormatSize);
    std::memcpy(draft.messageFormat.data(), &app.selection.draftMessageFormat, kRecoveryFormatSize);
    return draft;
}

void restorePaneDraft(App& app, const RecoveryDraft& draft) {
    HWND pane = app.windows.propertyPane;
    if (!pane || app.selection.selectionIndex != draft.selection) return;
    RecoveryDraft wanted = draft;
    for (int id : kTextFields) {
        const std::u16string& text = *textOf(wanted, id);
        if (u16(windowText(GetDlgItem(pane, id))) == text) continue;
        SetDlgItemTextW(pane, id, std::wstring(text.begin(), text.end()).c_str());
    }
    if (std::memcmp(&app.selection.draftMessageFormat, draft.messageFormat.data(), kRecoveryFormatSize) != 0) {
        std::memcpy(&app.selection.draftMessageFormat, draft.messageFormat.data(), kRecoveryFormatSize);
        markDraftEdited(app, 0);
    }
    // As clicks, so the pane keeps its rules between the boxes.
    for (int id : kCheckBoxes) {
        if ((IsDlgButtonChecked(pane, id) == BST_CHECKED) == *checkOf(wanted, id)) continue;
        CheckDlgButton(pane, id, *checkOf(wanted, id) ? BST_CHECKED : BST_UNCHECKED);
        SendMessageW(pane, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(pane, id)));
    }
}

}  // namespace lumaset
