#include "ui/win_paths.h"

#include <windows.h>

#include <vector>

namespace lumaset {

std::wstring programPath() {
    std::vector<wchar_t> buffer(MAX_PATH);
    for (;;) {
        const DWORD written = GetModuleFileNameW(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (written == 0) return {};
        if (written < buffer.size()) return std::wstring(buffer.data(), written);
        buffer.resize(buffer.size() * 2);
    }
}

std::filesystem::path programDirectory() {
    return std::filesystem::path(programPath()).parent_path();
}

std::wstring currentDirectory() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    if (needed == 0) return {};
    std::wstring dir(needed, L'\0');
    const DWORD written = GetCurrentDirectoryW(needed, dir.data());
    if (written == 0 || written >= needed) return {};
    dir.resize(written);
    return dir;
}

std::wstring fullPath(const std::wstring& path) {
    const DWORD needed = GetFullPathNameW(path.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return path;
    std::wstring full(needed, L'\0');
    const DWORD got = GetFullPathNameW(path.c_str(), needed, full.data(), nullptr);
    if (got == 0 || got >= needed) return path;
    full.resize(got);
    return full;
}

bool helpFileBesideProgram() {
    std::error_code error;
    return std::filesystem::is_regular_file(programDirectory() / kHelpFileName, error);
}

}  // namespace lumaset
