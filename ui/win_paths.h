// The few path queries several parts of the editor make, without a fixed
// buffer size limiting what they return.
#pragma once

#include <filesystem>
#include <string>

namespace lumaset {

// Full path of the running executable; empty when it cannot be read.
std::wstring programPath();
// Folder of the running executable.
std::filesystem::path programDirectory();
std::wstring currentDirectory();
// The absolute form of a path; the path itself when it cannot be resolved.
std::wstring fullPath(const std::wstring& path);
// True when LUMASET.HLP stands beside the program.
bool helpFileBesideProgram();

inline constexpr wchar_t kHelpFileName[] = L"LUMASET.HLP";

}  // namespace lumaset
