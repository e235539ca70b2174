// The readable listing of a .tag file (also used as a diff text converter).
#pragma once

#include <filesystem>
#include <ostream>

namespace lumaset {

// Loads the file as the editor does and lists it on out. Loader messages go
// to standard error. Returns false when the file could not be loaded.
bool dumpTagFile(const std::filesystem::path& path, std::ostream& out);

}  // namespace lumaset
