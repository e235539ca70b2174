// Recovery copies of unsaved work: while the document holds changes, a copy
// of it is kept in the user's local application data, written a second
// after a change, so a crash, a kill or a power cut loses at most that
// second. Saving or discarding the changes removes the copy.
#pragma once

#include <windows.h>

#include <filesystem>

#include "views/app.h"
#include "views/logic/recovery_info.h"

namespace lumaset {

// The main window's timer that writes the copy.
inline constexpr UINT_PTR kRecoveryTimerId = 17;
inline constexpr UINT kRecoveryDelayMs = 1000;

// Every change of the tables, the memo or the pane's draft calls this. The
// first change arms the timer and later ones ride along, so a copy comes
// within a second of every change however fast the user types.
void scheduleRecoveryCopy(App& app);
// The tables, the memo or the pane's draft differ from the file.
bool documentHoldsChanges(const App& app);
// The changes were saved or discarded: the copy goes at once.
void dropRecoveryCopy(App& app);

// The document's file was read or saved: remembers it as it is on disk
// now, and removes what saves of editors that were killed left beside it.
void noteFileOnDisk(App& app);
// Size and last write of a file; nullopt when it is not there.
std::optional<FileStamp> fileStampOf(const std::filesystem::path& path);

// This process as the owner of a copy.
RecoveryOwner thisEditor();
// Whether the process that wrote a copy still runs. A process that cannot
// be opened for want of rights counts as running; a processStart of 0
// (unknown) counts any process with that id.
bool ownerIsRunning(const RecoveryOwner& owner);
// LocalAppData\Lumaset\Recovery, or the folder in LUMASET_RECOVERY_FOLDER
// (tests keep their copies apart with it); empty when there is none.
std::filesystem::path recoveryFolder();
// This editor's copy and side file.
std::filesystem::path ownCopyPath(std::u16string_view extension);
std::uint64_t fileTimeNow();

}  // namespace lumaset
