#include "document/error_message.h"
#include "ui/text_convert.h"
#include "ui/ui_calls.h"

namespace lumaset {

void showErrorMessage(const std::string& text) {
    // Owned by whatever window of ours is active (a modal dialog included);
    // with none active the box stands alone, as at a failed start-up.
    showMessageBox(GetActiveWindow(), wideFromUtf8(text), std::wstring(), MB_ICONERROR | MB_OK);
}

}  // namespace lumaset
