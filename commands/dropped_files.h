// Files dropped on the main window from Explorer: each opens as Open would.
#pragma once

#include <string>
#include <vector>

#include "views/app.h"

namespace lumaset {

// Beyond this many files one drop asks before starting the instances.
inline constexpr int kMaxDroppedFilesWithoutAsking = 10;

// The first file loads into this window when its document is untitled and
// unchanged; every other file gets an instance of its own. A file that
// would not load is reported by name and no instance is started for it.
// Beyond the limit: Yes opens every file, No the first ones up to the limit,
// Cancel none. 1 when every chosen file opened.
int openDroppedFiles(App& app, const std::vector<std::wstring>& paths);

}  // namespace lumaset
