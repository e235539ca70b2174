// Stands in for the terminal emulator in the capture tests: a frame window
// of the terminal's class that answers the two requests the editor sends.
//   terminal_standin.exe [--text FILE] [--position FILE]
// Both files are read at each request, so a test can change the selection
// between captures. WM_COPY puts the text file's bytes (cp932, CR LF between
// lines) on the clipboard as CF_TEXT; without the file it leaves the
// clipboard alone, as the terminal does with nothing selected. 1101 answers
// the decimal number in the position file (none: 0, no position).
#include <windows.h>
#include <shellapi.h>

#include <cstdlib>
#include <cstring>
#include <cwchar>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

constexpr UINT kPositionRequest = WM_USER + 77;

std::wstring textFile;
std::wstring positionFile;

bool readFile(const std::wstring& path, std::string& bytes) {
    std::ifstream file(std::filesystem::path(path), std::ios::binary);
    if (!file) return false;
    bytes.assign(std::istreambuf_iterator<char>(file), {});
    return true;
}

LRESULT selectionPosition() {
    std::string number;
    return readFile(positionFile, number) ? LRESULT(std::strtoul(number.c_str(), nullptr, 10)) : 0;
}

void copySelection(HWND window) {
    std::string selectedText;
    if (textFile.empty() || !readFile(textFile, selectedText) || !OpenClipboard(window)) return;
    EmptyClipboard();
    if (HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, selectedText.size() + 1)) {
        std::memcpy(GlobalLock(block), selectedText.c_str(), selectedText.size() + 1);
        GlobalUnlock(block);
        if (!SetClipboardData(CF_TEXT, block)) GlobalFree(block);
    }
    CloseClipboard();
}

LRESULT CALLBACK frameProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
    case WM_COPY: copySelection(window); return 0;
    case kPositionRequest: return selectionPosition();
    case WM_DESTROY: PostQuitMessage(0); return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

void readArguments() {
    int count = 0;
    wchar_t** args = CommandLineToArgvW(GetCommandLineW(), &count);
    for (int i = 1; args && i + 1 < count; i += 2) {
        if (std::wcscmp(args[i], L"--text") == 0) textFile = args[i + 1];
        if (std::wcscmp(args[i], L"--position") == 0) positionFile = args[i + 1];
    }
    LocalFree(args);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int) {
    readArguments();
    WNDCLASSW frameClass{};
    frameClass.lpfnWndProc = frameProc;
    frameClass.hInstance = instance;
    frameClass.lpszClassName = L"TarvelonFrameClass";
    if (!RegisterClassW(&frameClass)) return 1;
    if (!CreateWindowW(L"TarvelonFrameClass", L"terminal stand-in", WS_OVERLAPPEDWINDOW, 0, 0, 200, 100, nullptr,
                       nullptr, instance, nullptr))
        return 1;
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    return 0;
}
