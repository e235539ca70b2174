// The editor's command line: one optional file path.
#pragma once

#include <string>
#include <string_view>

namespace lumaset {

// Skips leading blanks and one opening quote, then takes characters up to a
// quote or a control character. Blanks inside stay part of the path, so an
// unquoted path with blanks works. Empty: no file.
std::wstring filePathFromCommandLine(std::wstring_view tail);

}  // namespace lumaset
