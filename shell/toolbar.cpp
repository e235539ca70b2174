#include "shell/main_window.h"

#include <commctrl.h>

#include <array>
#include <iterator>

#include "resources/resource_ids.h"
#include "ui/window_subclass.h"
#include "ui/dpi.h"

namespace lumaset {

namespace {

constexpr int kToolbarImageCount = 13;
constexpr int kButtonWidth = 20;
constexpr int kButtonHeight = 18;

struct ToolbarCommand {
    int commandId;
    const wchar_t* tooltip;
};

// In image order: the image index is also the tooltip's string index.
constexpr std::array<ToolbarCommand, kToolbarImageCount> kToolbarCommands{{
    {IDM_FILE_NEW, L"新規作成"},
    {IDM_FILE_OPEN, L"開く"},
    {IDM_FILE_SAVE, L"上書き保存"},
    {IDM_EDIT_CUT, L"切り取り (Ctrl+X)"},
    {IDM_EDIT_COPY_TREE, L"子構文も含めてコピー (Ctrl+C)"},
    {IDM_EDIT_COPY_ONE, L"１個だけコピー (Ctrl+Q)"},
    {IDM_EDIT_PASTE, L"貼り付け (Ctrl+V)"},
    {IDM_EDIT_PASTE_CHILD, L"子構文として貼り付け (Ctrl+R)"},
    {IDM_EDIT_NEW_SYNTAX, L"新規構文 (Ctrl+N)"},
    {IDM_EDIT_NEW_CHILD, L"新規子構文 (Ctrl+M)"},
    {IDM_ORDER_UP, L"順位を上げる (Ctrl+U)"},
    {IDM_ORDER_DOWN, L"順位を下げる (Ctrl+D)"},
    {IDM_TOOLS_TEST_SYNTAX, L"構文のテスト (Ctrl+T)"},
}};

constexpr int kSeparator = -1;
// Button positions: image index, or a separator.
constexpr int kButtonLayout[] = {kSeparator, 0, 1, 2, kSeparator, 3, 4, 5, 6, 7, kSeparator, 8, 9, kSeparator, 10, 11, kSeparator, 12};

// The toolbar paints on button face whatever the frame's own background:
// some toolbar implementations leave their background to the parent,
// whose dark grey would swallow the separators and the pictures' outlines.
LRESULT toolbarSubclassProc(HWND toolbar, UINT message, WPARAM wParam, LPARAM lParam, SubclassLayer& layer) {
    if (message == WM_ERASEBKGND) {
        RECT client;
        GetClientRect(toolbar, &client);
        FillRect(reinterpret_cast<HDC>(wParam), &client, GetSysColorBrush(COLOR_BTNFACE));
        return 1;
    }
    return layer.next(toolbar, message, wParam, lParam);
}

}  // namespace

const wchar_t* tooltipTextForCommand(int commandId) {
    for (const ToolbarCommand& command : kToolbarCommands)
        if (command.commandId == commandId) return command.tooltip;
    return kToolbarCommands[0].tooltip;
}

HWND createToolbar(App& app) {
    std::array<TBBUTTON, std::size(kButtonLayout)> buttons{};
    for (std::size_t i = 0; i < buttons.size(); ++i) {
        TBBUTTON& button = buttons[i];
        const int image = kButtonLayout[i];
        if (image == kSeparator) {
            button.fsStyle = BTNS_SEP;
            continue;
        }
        button.iBitmap = image;
        button.idCommand = kToolbarCommands[std::size_t(image)].commandId;
        button.fsState = TBSTATE_ENABLED;
        button.fsStyle = BTNS_BUTTON;
        button.iString = image;
    }
    // The pictures drawn nearest the window's DPI, at their own size.
    const int dpi = dpiOf(app.windows.main);
    const int percent = nearestDrawingPercent(dpi);
    const int width = kButtonWidth * percent / 100, height = kButtonHeight * percent / 100;
    HWND toolbar = CreateToolbarEx(app.windows.main, WS_CHILD | TBSTYLE_TOOLTIPS, IDC_TOOLBAR, kToolbarImageCount,
                                   app.windows.instance, bitmapForDpi(dpi, IDB_TOOLBAR, IDB_TOOLBAR_150, IDB_TOOLBAR_200),
                                   buttons.data(), int(buttons.size()), width, height, width, height, sizeof(TBBUTTON));
    if (toolbar) installSubclass<toolbarSubclassProc>(toolbar, nullptr);
    return toolbar;
}

}  // namespace lumaset
