#include "properties/property_pane.h"

#include "views/tree_mirror.h"

namespace lumaset {

INT_PTR CALLBACK propertyPaneProc(HWND, UINT message, WPARAM, LPARAM) {
    switch (message) {
    case WM_INITDIALOG:
        return TRUE;
    }
    return FALSE;
}

bool applyProperties(App&, bool) { return true; }
void fillProperties(App&) {}

void selectSyntax(App& app, HTREEITEM item) {
    SelectionState& selection = app.selection;
    if (selection.reselectGuard) return;
    if (!item) {
        selection.selectionIndex = -1;
        return;
    }
    if (item == app.tree.rootItem) {
        if (selection.selectionIndex != 0) {
            ShowWindow(app.windows.memo, SW_SHOW);
            ShowWindow(app.windows.propertyPane, SW_HIDE);
            selection.selectionIndex = 0;
        }
        return;
    }
    if (selection.selectionIndex <= 0) {
        ShowWindow(app.windows.propertyPane, SW_SHOWNOACTIVATE);
        ShowWindow(app.windows.memo, SW_HIDE);
    }
    selection.selectionIndex = recordForItem(app, item);
}

}  // namespace lumaset
