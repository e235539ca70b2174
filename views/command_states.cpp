#include "views/command_states.h"

namespace lumaset {

UINT syntaxClipboardFormat() {
    static const UINT format = RegisterClipboardFormatW(kSyntaxClipboardFormatName);
    return format;
}

// Filled in with the property pane.
int checkClipboardFormat(App&) { return 0; }
void refreshCommandStates(App&) {}

}  // namespace lumaset
