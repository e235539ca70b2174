// The message-format dialog (112): edits the pane's working copy of a
// message syntax's settings, which reach the record when the pane applies.
#pragma once

#include <windows.h>

#include "document/records.h"

namespace lumaset {

// Runs the dialog modally, owned by owner; 1 after OK, 2 after Cancel.
INT_PTR editMessageFormat(HWND owner, MessageFormat& draft);

}  // namespace lumaset
