// GoogleTest main for the GUI tests: real windows under Wine, one thread.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

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

}  // namespace

int main(int argc, char** argv) {
    useUnmanagedWindowsUnderWine();
    const INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX),
                                        ICC_WIN95_CLASSES | ICC_BAR_CLASSES | ICC_TREEVIEW_CLASSES | ICC_UPDOWN_CLASS};
    InitCommonControlsEx(&controls);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
