// The command dispatcher and the document's lifecycle.
#pragma once

#include <windows.h>

#include <string>

namespace lumaset {

// Runs a command id; 1 when it ran or needs nothing, 0 when it failed or was
// cancelled.
int runCommand(int commandId);
int openDocumentFile(const std::wstring& path, const std::wstring& directoryToRestore);
int confirmSaveChanges();

}  // namespace lumaset
