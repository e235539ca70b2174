#include "views/logic/window_title.h"

namespace lumaset {

std::wstring windowTitle(const std::wstring& documentPath, bool modified) {
    std::wstring title = documentPath.empty() ? L"(新規)" : documentPath;
    if (modified) title += L" (更新)";
    title += L" - ";
    title += kEditorCaption;
    return title;
}

}  // namespace lumaset
