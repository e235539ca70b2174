// The tag-file reader over arbitrary bytes: every version branch, legacy
// skip and conversion, on files that may be cut short or lie in their counts.
#include <cstdint>
#include <cstdlib>
#include <span>

#include "document/tag_file.h"

using namespace lumaset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // One document for the whole run, as in the editor: each load must
    // start clean whatever the last one left.
    static Document doc;
    const bool loaded = loadTagFileFromBytes(doc, std::span<const std::uint8_t>(data, size), "fuzz.tag");
    const int count = doc.syntaxCount();
    if (count < kSystemRecordCount || count > kMaxSyntaxCount) abort();
    if (!loaded && (count != kSystemRecordCount || doc.indexCount() != 0 || doc.hasMemo())) abort();
    if (doc.memoText().size() >= std::size_t(kMaxMemoLength)) abort();

    // Later edits must cope with whatever index members the file held.
    if (count > kFirstUserRecord) {
        const SyntaxRecord copy = *doc.syntaxAt(kFirstUserRecord);
        doc.removeSyntax(kFirstUserRecord);
        if (!doc.insertSyntax(kFirstUserRecord, copy)) abort();
        for (int i = 0; i < count; ++i) (void)doc.hasChildren(i);
    }
    return 0;
}
