// The scans behind a record's derived fields, over bytes that need not hold
// a NUL, and the whole derivation over a record image from a damaged file.
#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>

#include "document/document.h"
#include "pattern/derived_fields.h"

using namespace lumaset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<char[]> bytes(new char[size]);
    std::memcpy(bytes.get(), data, size);
    const std::string_view text(bytes.get(), size);

    if (countPatternLines(text) < 0) abort();
    if (removeSeparators(text).size() > size) abort();

    const int second = scanTitleCode(reinterpret_cast<const std::uint8_t*>(bytes.get()), int(size));
    if (second < -1 || second > 127) abort();

    // The same bytes laid over a user record, so its text fields may lack
    // their NULs and its title code may run to the field's end.
    SyntaxRecord record = blankSystemRecord();
    std::memcpy(&record, data, std::min(size, sizeof record));
    record.depth = 1;
    Document doc;
    if (!doc.insertSyntax(kFirstUserRecord, record)) return 0;
    deriveRecordFields(doc, kFirstUserRecord);
    const SyntaxRecord* r = doc.syntaxAt(kFirstUserRecord);
    if (std::memchr(r->patternNoSep, 0, kPatternNoSepSize) == nullptr) abort();
    if (r->patternLines < 1) abort();
    return 0;
}
