// The private clipboard block as any program could leave it: the parser
// must refuse or bound it, never read past the bytes it was given.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "commands/logic/syntax_block.h"

using namespace lumaset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // An exact-size copy, so a read past the end is caught.
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size ? size : 1]);
    if (size) std::memcpy(bytes.get(), data, size);

    const auto records = parseSyntaxBlock(bytes.get(), size);
    if (!records) return 0;
    if (records->empty() || records->size() > kMaxBlockRecords) abort();
    if (syntaxBlockSize(records->size()) > size) abort();
    for (const SyntaxRecord& r : *records) {
        if (!std::memchr(r.name, 0, kNameSize) || !std::memchr(r.pattern, 0, kPatternSize) ||
            !std::memchr(r.exitPattern, 0, kExitPatternSize) || !std::memchr(r.patternNoSep, 0, kPatternNoSepSize))
            abort();
        if (treeItemSlot(r) != 0) abort();
    }
    return 0;
}
