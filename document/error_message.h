// The one way the program reports an error the user must see. Each
// executable links its own definition: the editor a message box, tagtool a
// line on standard error, the tests a recorder.
#pragma once

#include <filesystem>
#include <string>

namespace lumaset {

// text is UTF-8. Returns when the user has acknowledged it.
void showErrorMessage(const std::string& text);

// A path as it appears at the head of a file message, in UTF-8.
std::string pathForMessage(const std::filesystem::path& path);

}  // namespace lumaset
