// The little that differs between the native and the Windows build of our
// command-line programs, beyond text conversion.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace lumaset {

// The command-line arguments as UTF-8, program name first. On Windows they
// come from the wide command line, so any path survives.
std::vector<std::string> utf8Arguments(int argc, char** argv);

// Standard input and output carry bytes, not translated line ends.
void useBinaryStdio();

// A path from a UTF-8 argument.
std::filesystem::path pathFromUtf8(const std::string& utf8);

}  // namespace lumaset
