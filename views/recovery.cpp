#include "views/recovery.h"

#include <shlobj.h>

#include "views/document_state.h"
#include "views/pane_steps.h"

namespace lumaset {

namespace {

std::uint64_t ticksOf(const FILETIME& time) {
    return std::uint64_t(time.dwHighDateTime) << 32 | time.dwLowDateTime;
}

std::wstring wide(std::u16string_view text) { return std::wstring(text.begin(), text.end()); }

}  // namespace

void scheduleRecoveryCopy(App& app) {
    if (app.recovery.timerArmed || !app.windows.main) return;
    app.recovery.timerArmed = SetTimer(app.windows.main, kRecoveryTimerId, kRecoveryDelayMs, nullptr) != 0;
}

bool documentHoldsChanges(const App& app) {
    return documentHasChanges(app) || app.history.memoEdited;
}

void dropRecoveryCopy(App& app) {
    if (app.recovery.timerArmed && app.windows.main) KillTimer(app.windows.main, kRecoveryTimerId);
    app.recovery.timerArmed = false;
    if (!app.recovery.written) return;
    // The copy first: an end between the two leaves a side file alone,
    // which the next start removes without a word, never a copy that would
    // be offered again.
    DeleteFileW(ownCopyPath(kRecoveryCopyExtension).c_str());
    DeleteFileW(ownCopyPath(kRecoveryInfoExtension).c_str());
    app.recovery.written = false;
}

std::optional<FileStamp> fileStampOf(const std::filesystem::path& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return std::nullopt;
    return FileStamp{std::uint64_t(data.nFileSizeHigh) << 32 | data.nFileSizeLow, ticksOf(data.ftLastWriteTime)};
}

void noteFileOnDisk(App& app) {
    app.file.onDisk.reset();
    if (app.file.path.empty()) return;
    const std::filesystem::path document(app.file.path);
    app.file.onDisk = fileStampOf(document);
    // Only names a save of ours makes, of this very file, whose editor is
    // gone: anything else beside it is someone else's.
    const std::wstring name = document.filename().wstring();
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(document.parent_path(), error)) {
        const std::wstring file = entry.path().filename().wstring();
        const auto owner = ownerOfSaveTemporary(std::u16string(name.begin(), name.end()),
                                                std::u16string(file.begin(), file.end()));
        std::error_code kindError;
        if (owner && entry.is_regular_file(kindError) && !ownerIsRunning(*owner)) DeleteFileW(entry.path().c_str());
    }
}

RecoveryOwner thisEditor() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return {GetCurrentProcessId(), ticksOf(created)};
}

bool ownerIsRunning(const RecoveryOwner& owner) {
    if (owner == thisEditor()) return true;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.processId);
    // Another user's or a higher one's: it may well be that editor, so its
    // copy is not taken from under it.
    if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
    DWORD code = 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    // The same id with another start time is another program now.
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE &&
                         (owner.processStart == 0 ||
                          (GetProcessTimes(process, &created, &exited, &kernel, &user) &&
                           ticksOf(created) == owner.processStart));
    CloseHandle(process);
    return running;
}

std::filesystem::path recoveryFolder() {
    wchar_t overridden[MAX_PATH] = {};
    const DWORD n = GetEnvironmentVariableW(L"LUMASET_RECOVERY_FOLDER", overridden, MAX_PATH);
    if (n > 0 && n < MAX_PATH) return std::filesystem::path(overridden);
    PWSTR local = nullptr;
    std::filesystem::path folder;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, KF_FLAG_CREATE, nullptr, &local) == S_OK && local)
        folder = std::filesystem::path(local) / L"Lumaset" / L"Recovery";
    CoTaskMemFree(local);
    return folder;
}

std::filesystem::path ownCopyPath(std::u16string_view extension) {
    const std::filesystem::path folder = recoveryFolder();
    if (folder.empty()) return {};
    return folder / wide(recoveryStem(thisEditor()) + std::u16string(extension));
}

std::uint64_t fileTimeNow() {
    FILETIME now{};
    GetSystemTimeAsFileTime(&now);
    return ticksOf(now);
}

}  // namespace lumaset
