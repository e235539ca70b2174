#include "properties/message_format_dialog.h"

namespace lumaset {

INT_PTR editMessageFormat(HWND, MessageFormat&) { return IDCANCEL; }

}  // namespace lumaset
