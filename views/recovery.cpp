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
    // The side file first: a copy without one is never offered as current.
    DeleteFileW(ownCopyPath(kRecoveryInfoExtension).c_str());
    DeleteFileW(ownCopyPath(kRecoveryCopyExtension).c_str());
    app.recovery.written = false;
}

RecoveryOwner thisEditor() {
    FILETIME created{}, exited{}, kernel{}, user{};
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    return {GetCurrentProcessId(), ticksOf(created)};
}

bool ownerIsRunning(const RecoveryOwner& owner) {
    if (owner == thisEditor()) return true;
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, owner.processId);
    if (!process) return false;
    DWORD code = 0;
    FILETIME created{}, exited{}, kernel{}, user{};
    // The same id with another start time is another program now.
    const bool running = GetExitCodeProcess(process, &code) && code == STILL_ACTIVE &&
                         GetProcessTimes(process, &created, &exited, &kernel, &user) &&
                         ticksOf(created) == owner.processStart;
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
