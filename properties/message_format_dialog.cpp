#include "properties/message_format_dialog.h"

#include <cstring>
#include <string>

#include "document/error_message.h"
#include "pattern/pattern_code.h"
#include "properties/logic/pattern_check.h"
#include "resources/resource_ids.h"
#include "ui/cp932_input.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"
#include "views/app.h"

namespace lumaset {

namespace {

// What a pattern edit holds: one byte less than its code field, as typed.
constexpr std::size_t kPatternEditBytes = kMessageCodeSize - 1;
// What is read back for compiling: the text area less its NUL.
constexpr std::size_t kPatternReadBytes = kRenderAreaSize - 1;
constexpr wchar_t kUnrenderableText[] = L"エラー";

// One of the three patterns, in the order OK compiles them.
struct PatternField {
    int editId;
    int checkId;  // the line under the edit
    std::uint8_t* (*code)(MessageFormat&);
    const char* wrongText;
    const char* tooLongText;
};

const PatternField kPatternFields[] = {
    {IDC_MF_NUMBER, IDC_MF_NUMBER_CHECK, [](MessageFormat& f) { return f.numberCode; }, "発言番号の構文が間違っています。",
     "発言番号の構文が長すぎます。"},
    {IDC_MF_DATE, IDC_MF_DATE_CHECK, [](MessageFormat& f) { return f.dateCode; }, "日付部分の構文が間違っています。",
     "日付部分の構文が長すぎます。"},
    {IDC_MF_COMMENT, IDC_MF_COMMENT_CHECK, [](MessageFormat& f) { return f.commentCode; }, "コメント番号の構文が間違っています。",
     "コメント番号の構文が長すぎます。"},
};

MessageFormat& draftOf(HWND dialog) {
    return *reinterpret_cast<MessageFormat*>(GetWindowLongPtrW(dialog, DWLP_USER));
}

bool isChecked(HWND dialog, int id) { return IsDlgButtonChecked(dialog, id) == BST_CHECKED; }

void check(HWND dialog, int id, bool on) { CheckDlgButton(dialog, id, on ? BST_CHECKED : BST_UNCHECKED); }

void enable(HWND dialog, int id, bool on) { EnableWindow(GetDlgItem(dialog, id), on ? TRUE : FALSE); }

void updateCommentControls(HWND dialog) {
    const bool on = isChecked(dialog, IDC_MF_CHECK_NUMBER) && isChecked(dialog, IDC_MF_ALLOW_COMMENT);
    enable(dialog, IDC_MF_COMMENT, on);
    enable(dialog, IDC_MF_UP_ARROW_COMMENT, on);
}

void updateDateEdit(HWND dialog) {
    enable(dialog, IDC_MF_DATE, isChecked(dialog, IDC_MF_CHECK_NUMBER) && isChecked(dialog, IDC_MF_CHECK_DATE));
}

void updateNumberControls(HWND dialog) {
    const bool on = isChecked(dialog, IDC_MF_CHECK_NUMBER);
    enable(dialog, IDC_MF_NUMBER, on);
    enable(dialog, IDC_MF_CHECK_DATE, on);
    updateCommentControls(dialog);
    updateDateEdit(dialog);
}

// A stored code comes from a file or the clipboard: one the renderer
// refuses is shown as a word the user can replace, without a message.
void showCode(HWND dialog, int editId, const std::uint8_t* code) {
    char text[kRenderAreaSize];
    std::wstring shown = kUnrenderableText;
    if (renderPattern(code, kMessageCodeSize, text) >= 0) shown = wideFromCp932(text);
    SetDlgItemTextW(dialog, editId, shown.c_str());
}

BOOL onInitDialog(HWND dialog, MessageFormat* draft) {
    SetWindowLongPtrW(dialog, DWLP_USER, reinterpret_cast<LONG_PTR>(draft));
    for (const PatternField& field : kPatternFields) {
        installCp932Input(GetDlgItem(dialog, field.editId), {kPatternEditBytes});
    }
    check(dialog, IDC_MF_CHECK_NUMBER, draft->kind == kMessageNumberChecked);
    showCode(dialog, IDC_MF_NUMBER, draft->numberCode);
    check(dialog, IDC_MF_CHECK_DATE, draft->checkDate != 0);
    showCode(dialog, IDC_MF_DATE, draft->dateCode);
    check(dialog, IDC_MF_ALLOW_COMMENT, draft->allowComment != 0);
    showCode(dialog, IDC_MF_COMMENT, draft->commentCode);
    check(dialog, IDC_MF_UP_ARROW_COMMENT, draft->upArrowIsComment != 0);
    updateNumberControls(dialog);
    return TRUE;  // the dialog manager puts the focus on the first control
}

// The edit's text as OK compiles it: cp932, cut to the compile's input.
std::string patternText(HWND dialog, const PatternField& field) {
    HWND edit = GetDlgItem(dialog, field.editId);
    return std::string(cutCp932(cp932FromWide(windowText(edit)), kPatternReadBytes));
}

// The line under a pattern says what OK will make of it.
void showPatternCheck(HWND dialog, int editId) {
    for (const PatternField& field : kPatternFields) {
        if (field.editId != editId) continue;
        const std::string line = patternCheckLine(patternText(dialog, field), kMessageCodeLimit);
        SetDlgItemTextW(dialog, field.checkId, wideFromUtf8(line).c_str());
    }
}

// Compiles one pattern edit into its code field. The bytes after the new
// code's end byte keep what they held. False after telling the user why.
bool storePattern(HWND dialog, const PatternField& field, MessageFormat& draft) {
    HWND edit = GetDlgItem(dialog, field.editId);
    const std::string kept = patternText(dialog, field);
    char text[kRenderAreaSize] = {};
    std::memcpy(text, kept.data(), kept.size());

    std::uint8_t code[kCompileAreaSize];
    const int codeLength = compilePattern(text, code);
    const char* refusal = nullptr;
    if (codeLength < 0) {
        refusal = field.wrongText;
    } else if (codeLength > kMessageCodeSize) {
        refusal = field.tooLongText;
    }
    if (refusal) {
        showErrorMessage(refusal);
        // Back to the pattern to fix, when the user can reach it.
        if (IsWindowEnabled(edit)) {
            SendMessageW(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(edit), TRUE);
            SendMessageW(edit, EM_SETSEL, 0, -1);
        }
        return false;
    }
    std::memcpy(field.code(draft), code, std::size_t(codeLength));
    return true;
}

// Each step writes into the draft as soon as it passes, so a refusal
// later on leaves the earlier values stored, Cancel or not.
void onOk(HWND dialog) {
    MessageFormat& draft = draftOf(dialog);
    draft.kind = isChecked(dialog, IDC_MF_CHECK_NUMBER) ? kMessageNumberChecked : kMessageNumberUnchecked;
    for (const PatternField& field : kPatternFields) {
        if (!storePattern(dialog, field, draft)) return;
    }
    draft.checkDate = isChecked(dialog, IDC_MF_CHECK_DATE) ? 1 : 0;
    draft.allowComment = isChecked(dialog, IDC_MF_ALLOW_COMMENT) ? 1 : 0;
    draft.upArrowIsComment = isChecked(dialog, IDC_MF_UP_ARROW_COMMENT) ? 1 : 0;
    EndDialog(dialog, IDOK);
}

BOOL onCommand(HWND dialog, int id, int code) {
    switch (id) {
    case IDOK:
        onOk(dialog);
        return TRUE;
    case IDCANCEL:
        EndDialog(dialog, IDCANCEL);
        return TRUE;
    case IDC_MF_HELP:
        showHelp(app().windows.main, HELP_CONTEXT_MESSAGE_FORMAT);
        return TRUE;
    case IDC_MF_CHECK_NUMBER:
        updateNumberControls(dialog);
        return TRUE;
    case IDC_MF_ALLOW_COMMENT:
        updateCommentControls(dialog);
        return TRUE;
    case IDC_MF_CHECK_DATE:
        updateDateEdit(dialog);
        return TRUE;
    case IDC_MF_NUMBER:
    case IDC_MF_DATE:
    case IDC_MF_COMMENT:
        if (code != EN_CHANGE) return FALSE;
        showPatternCheck(dialog, id);
        return TRUE;
    default:
        return FALSE;
    }
}

INT_PTR CALLBACK messageFormatDialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_INITDIALOG:
        return onInitDialog(dialog, reinterpret_cast<MessageFormat*>(lParam));
    case WM_COMMAND:
        return onCommand(dialog, LOWORD(wParam), HIWORD(wParam));
    default:
        return FALSE;
    }
}

}  // namespace

INT_PTR editMessageFormat(HWND owner, MessageFormat& draft) {
    HINSTANCE instance = app().windows.instance ? app().windows.instance : GetModuleHandleW(nullptr);
    const INT_PTR result = runModalDialog(instance, IDD_MESSAGE_FORMAT, owner, messageFormatDialogProc,
                                          reinterpret_cast<LPARAM>(&draft));
    return result == IDOK ? IDOK : IDCANCEL;
}

}  // namespace lumaset
