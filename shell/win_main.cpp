#include <windows.h>

#include "shell/main_window.h"

namespace {

// The command line after the program's name, as wWinMain would get it; the
// plain WinMain entry saves MinGW's -municode switch.
const wchar_t* commandLineTail() {
    const wchar_t* p = GetCommandLineW();
    if (*p == L'"') {
        ++p;
        while (*p && *p != L'"') ++p;
        if (*p == L'"') ++p;
    } else {
        while (*p > L' ') ++p;
    }
    while (*p == L' ' || *p == L'\t') ++p;
    return p;
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int showCommand) {
    return lumaset::runLumaset(instance, commandLineTail(), showCommand);
}
