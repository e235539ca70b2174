// GoogleTest main for the GUI tests: real windows under Wine, one thread.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

namespace {

// Under a virtual X display there is no window manager to confirm that a
// window went away, and every hide would wait for it; unmanaged windows
// don't wait. Only this test program, in the test prefix, is affected.
void useUnmanagedWindowsUnderWine() {
    if (!GetModuleHandleW(L"ntdll.dll") || !GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version")) return;
    HKEY key;
    if (RegCreateKeyExW(HKEY_CURRENT_USER, L"Software\\Wine\\AppDefaults\\gui_tests.exe\\X11 Driver", 0, nullptr, 0,
                        KEY_SET_VALUE, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExW(key, L"Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>(L"N"), 2 * sizeof(wchar_t));
    RegCloseKey(key);
}

// Recovery copies of this run go to a folder of its own, so no copy that
// another run left is offered to these tests, and none of theirs stays.
std::wstring useOwnRecoveryFolder() {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::wstring folder = std::wstring(temp) + L"lumaset-recovery-" + std::to_wstring(GetCurrentProcessId());
    SetEnvironmentVariableW(L"LUMASET_RECOVERY_FOLDER", folder.c_str());
    return folder;
}

}  // namespace

int main(int argc, char** argv) {
    useUnmanagedWindowsUnderWine();
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    const std::filesystem::path recoveryFolder = useOwnRecoveryFolder();
    ::testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    std::error_code ignored;
    std::filesystem::remove_all(recoveryFolder, ignored);
    return result;
}
