// The main window's title.
#pragma once

#include <string>

#include "ui/captions.h"

namespace lumaset {

// "(新規)" for an untitled document, " (更新)" when modified, then the
// program's name.
std::wstring windowTitle(const std::wstring& documentPath, bool modified);

}  // namespace lumaset
