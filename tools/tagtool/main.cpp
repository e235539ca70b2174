// tagtool: the command-line companion of the editor. It runs the editor's own
// pattern compiler, renderer, loader and writer, so scripts and tests can
// drive them, lists .tag files readably (also as a diff converter), and
// turns them into editable text and back.
#include <algorithm>
#include <array>
#include <charconv>
#include <fstream>
#include <iterator>
#include <cstdint>
#include <iostream>
#include <string>
#include <vector>

#include "lumaset_version.h"
#include "document/error_message.h"
#include "document/tag_file.h"
#include "pattern/pattern_code.h"
#include "tools/tagtool/dump.h"
#include "tools/tagtool/hex.h"
#include "tools/tagtool/match_commands.h"
#include "tools/tagtool/platform.h"
#include "tools/tagtool/syntax_text.h"

namespace lumaset {

namespace {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;
constexpr int kExitUsage = 2;
constexpr int kDefaultRenderField = kTitleCodeSize;
constexpr int kMaxRenderField = 65536;

constexpr char kUsage[] =
    "usage: tagtool compile --hex | render --hex [--field N] | upgrade IN OUT | dump FILE\n"
    "               | source FILE.tag | build SOURCE.txt OUT.tag | match --hex\n"
    "               | test FILE.tag SAMPLE.txt [--syntax PATH] | check FILE.tag... | --version";

int usage() {
    std::cerr << kUsage << "\n";
    return kExitUsage;
}

// One input line, without the CR that a Windows pipe may leave on it.
bool readLine(std::string& line) {
    if (!std::getline(std::cin, line)) return false;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    return true;
}

int badLine(long lineNumber) {
    std::cerr << "tagtool: line " << lineNumber << " is not hex bytes\n";
    return kExitUsage;
}

int runCompile() {
    std::string line;
    std::vector<std::uint8_t> bytes;
    std::array<std::uint8_t, kCompileAreaSize> area{};
    for (long n = 1; readLine(line); ++n) {
        if (!parseHexLine(line, bytes)) return badLine(n);
        // The pattern text ends at its first NUL, as in a field.
        const std::string text(bytes.begin(), bytes.end());
        const int length = compilePattern(text.c_str(), area.data());
        if (length == kCompileOverflow)
            std::cout << "overflow\n";
        else if (length < 0)
            std::cout << "-1\n";
        else
            std::cout << formatHex(area.data(), std::size_t(length)) << "\n";
        std::cout.flush();
    }
    return kExitOk;
}

int runRender(int fieldSize) {
    std::string line;
    std::vector<std::uint8_t> bytes;
    std::array<char, kRenderAreaSize> area{};
    for (long n = 1; readLine(line); ++n) {
        if (!parseHexLine(line, bytes)) return badLine(n);
        // The field holds the given bytes and zeros after them, like a
        // record field; bytes beyond the field are not part of it.
        std::vector<std::uint8_t> field(std::size_t(fieldSize), 0);
        std::copy_n(bytes.begin(), std::min(bytes.size(), field.size()), field.begin());
        const int length = renderPattern(field.data(), fieldSize, area.data());
        if (length < 0)
            std::cout << "-1\n";
        else
            std::cout << formatHex(reinterpret_cast<const std::uint8_t*>(area.data()),
                                   std::size_t(length - 1))
                      << "\n";
        std::cout.flush();
    }
    return kExitOk;
}

int runUpgrade(const std::string& in, const std::string& out) {
    Document doc;
    if (!loadTagFile(doc, pathFromUtf8(in))) return kExitFailed;
    return saveTagFile(doc, pathFromUtf8(out)) ? kExitOk : kExitFailed;
}

int runDump(const std::string& file) {
    const bool ok = dumpTagFile(pathFromUtf8(file), std::cout);
    std::cout.flush();
    return ok ? kExitOk : kExitFailed;
}

int runSource(const std::string& file) {
    Document doc;
    if (!loadTagFile(doc, pathFromUtf8(file))) return kExitFailed;
    writeSyntaxText(doc, std::cout);
    std::cout.flush();
    return std::cout ? kExitOk : kExitFailed;
}

// Nothing is written unless the whole text builds.
int runBuild(const std::string& source, const std::string& out) {
    std::ifstream in(pathFromUtf8(source), std::ios::binary);
    const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (!in && !in.eof()) {
        std::cerr << source << ": cannot be read\n";
        return kExitFailed;
    }
    Document doc;
    std::vector<std::string> errors;
    buildSyntaxText(text, source, doc, errors);
    for (const std::string& e : errors) std::cerr << e << "\n";
    if (!errors.empty()) return kExitFailed;
    return saveTagFile(doc, pathFromUtf8(out)) ? kExitOk : kExitFailed;
}

bool parseFieldSize(const std::string& s, int& size) {
    const char* end = s.data() + s.size();
    const auto r = std::from_chars(s.data(), end, size);
    return r.ec == std::errc() && r.ptr == end && size >= 1 && size <= kMaxRenderField;
}

int run(const std::vector<std::string>& args) {
    if (args.size() < 2) return usage();
    const std::string& command = args[1];
    if (command == "--version") {
        if (args.size() != 2) return usage();
        std::cout << "tagtool " LUMASET_VERSION "\n";
        return std::cout.flush() ? kExitOk : kExitFailed;
    }
    if (command == "compile") {
        if (args.size() != 3 || args[2] != "--hex") return usage();
        return runCompile();
    }
    if (command == "render") {
        int fieldSize = kDefaultRenderField;
        bool hex = false;
        for (std::size_t i = 2; i < args.size(); ++i) {
            if (args[i] == "--hex") {
                hex = true;
            } else if (args[i] == "--field" && i + 1 < args.size()) {
                if (!parseFieldSize(args[++i], fieldSize)) return usage();
            } else {
                return usage();
            }
        }
        return hex ? runRender(fieldSize) : usage();
    }
    if (command == "upgrade") {
        if (args.size() != 4) return usage();
        return runUpgrade(args[2], args[3]);
    }
    if (command == "source") {
        if (args.size() != 3) return usage();
        return runSource(args[2]);
    }
    if (command == "build") {
        if (args.size() != 4) return usage();
        return runBuild(args[2], args[3]);
    }
    if (command == "match") {
        if (args.size() != 3 || args[2] != "--hex") return usage();
        return runMatchHex();
    }
    if (command == "test") {
        if (args.size() == 4) return runTestSample(args[2], args[3], "");
        if (args.size() == 6 && args[4] == "--syntax" && !args[5].empty())
            return runTestSample(args[2], args[3], args[5]);
        return usage();
    }
    if (command == "check") {
        if (args.size() < 3) return usage();
        return runCheckFiles(std::vector<std::string>(args.begin() + 2, args.end()));
    }
    if (command == "dump") {
        if (args.size() != 3) return usage();
        return runDump(args[2]);
    }
    return usage();
}

}  // namespace

}  // namespace lumaset

int main(int argc, char** argv) {
    lumaset::useBinaryStdio();
    return lumaset::run(lumaset::utf8Arguments(argc, argv));
}
