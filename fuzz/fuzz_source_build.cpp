// source then build over arbitrary files: never a crash, and for every file
// the editor loads, the text builds into exactly what the editor saves for
// it. The same bytes also go to build as a text, for its parser.
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "document/tag_file.h"
#include "tools/tagtool/syntax_text.h"

using namespace lumaset;

namespace {

std::filesystem::path scratchFile(const char* which) {
    return std::filesystem::temp_directory_path() /
           ("lumaset-fuzz-" + std::to_string(getpid()) + "-" + which + ".tag");
}

std::string fileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::vector<std::string> errors;
    {
        Document fromText;
        buildSyntaxText(std::string_view(reinterpret_cast<const char*>(data), size), "fuzz.txt", fromText, errors);
    }

    Document doc;
    if (!loadTagFileFromBytes(doc, std::span<const std::uint8_t>(data, size), "fuzz.tag")) return 0;
    std::ostringstream text;
    writeSyntaxText(doc, text);
    Document built;
    errors.clear();
    buildSyntaxText(text.str(), "fuzz.txt", built, errors);

    static const std::filesystem::path saved = scratchFile("saved"), rebuilt = scratchFile("rebuilt");
    if (!saveTagFile(doc, saved)) {
        // Only a memo too long to store keeps the editor from saving; the
        // text must then be refused too.
        if (errors.empty()) abort();
        return 0;
    }
    if (!errors.empty()) abort();
    if (!saveTagFile(built, rebuilt)) abort();
    if (fileBytes(saved) != fileBytes(rebuilt)) abort();
    return 0;
}
