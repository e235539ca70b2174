#include <algorithm>
#include <cstring>
#include <utility>

#include "document/document.h"

namespace lumaset {

namespace {

// The system records' names, in cp932 as they are stored.
constexpr const char* kSystemRecordNames[kSystemRecordCount] = {
    "(sys)\x89\xbd\x82\xe0\x82\xc8\x82\xb5",                  // (sys)何もなし
    "(sys)\x83\x4a\x83\x89\x81\x5b\x82\xcc\x91\xb1\x82\xab",  // (sys)カラーの続き
    "(sys)\x90\xda\x91\xb1\x8a\x4a\x8e\x6e",                  // (sys)接続開始
};

// Index entries from a file may claim more members than there are slots.
int memberSlots(const IndexEntry& entry) {
    return std::min<int>(entry.memberCount, kIndexMemberSlots);
}

}  // namespace

SyntaxRecord blankSystemRecord() {
    SyntaxRecord r;
    std::memset(&r, 0, sizeof r);
    r.reservedA = kReservedAValue;
    r.patternLines = 1;
    r.colourLines = 1;
    r.titleCode[0] = 0;
    return r;
}

Document::Document() { newDocument(); }

bool Document::newDocument() {
    memo_.reset();
    if (!indexTable.reset(kIndexEntrySize) || !syntaxTable.reset(kSyntaxRecordSize)) return false;
    for (int i = 0; i < kSystemRecordCount; ++i) {
        SyntaxRecord r = blankSystemRecord();
        std::strncpy(r.name, kSystemRecordNames[i], kNameSize - 1);
        // Twenty slots are there already, so this cannot need a new block.
        if (!insertSyntax(i, r)) return false;
    }
    return true;
}

void Document::freeDocument() {
    syntaxTable.release();
    indexTable.release();
    memo_.reset();
}

bool Document::insertSyntax(int position, const SyntaxRecord& record) {
    if (!syntaxTable.insertAt(position, &record)) return false;
    if (position > syntaxTable.count() - 1) position = syntaxTable.count() - 1;
    for (int i = 0; i < indexTable.count(); ++i) {
        auto* entry = reinterpret_cast<IndexEntry*>(indexTable.at(i));
        for (int m = 0; m < memberSlots(*entry); ++m) {
            // A position never exceeds 254 below the 255-record cap; a damaged
            // entry must not wrap round to 0.
            if (entry->members[m] >= position && entry->members[m] < 255) ++entry->members[m];
        }
    }
    return true;
}

void Document::removeSyntax(int position) {
    if (position < 0 || position >= syntaxTable.count()) return;
    syntaxTable.removeAt(position);
    for (int i = 0; i < indexTable.count(); ++i) {
        auto* entry = reinterpret_cast<IndexEntry*>(indexTable.at(i));
        int n = memberSlots(*entry);
        int m = 0;
        while (m < n) {
            const int member = entry->members[m];
            if (member == position) {
                std::memmove(entry->members + m, entry->members + m + 1, std::size_t(n - m - 1));
                --n;
                entry->memberCount = std::uint8_t(n);
            } else {
                if (member > position) entry->members[m] = std::uint8_t(member - 1);
                ++m;
            }
        }
    }
}

std::vector<std::vector<int>> Document::blockMembers(int position, int count) const {
    std::vector<std::vector<int>> found(std::size_t(std::max(indexTable.count(), 0)));
    for (int i = 0; i < indexTable.count(); ++i) {
        const auto* entry = reinterpret_cast<const IndexEntry*>(indexTable.at(i));
        for (int m = 0; m < memberSlots(*entry); ++m) {
            const int member = entry->members[m];
            if (member >= position && member < position + count) found[std::size_t(i)].push_back(member - position);
        }
    }
    return found;
}

void Document::addBlockMembers(int position, const std::vector<std::vector<int>>& members) {
    for (int i = 0; i < indexTable.count() && std::size_t(i) < members.size(); ++i) {
        auto* entry = reinterpret_cast<IndexEntry*>(indexTable.at(i));
        for (int offset : members[std::size_t(i)]) {
            const int member = position + offset;
            int n = memberSlots(*entry);
            if (n >= kIndexMemberSlots || member < 0 || member > 254) continue;
            int at = 0;
            while (at < n && entry->members[at] < member) ++at;
            if (at < n && entry->members[at] == member) continue;
            std::memmove(entry->members + at + 1, entry->members + at, std::size_t(n - at));
            entry->members[at] = std::uint8_t(member);
            entry->memberCount = std::uint8_t(n + 1);
        }
    }
}

SyntaxRecord* Document::syntaxAt(int position) {
    if (std::uint8_t* p = syntaxTable.at(position)) return reinterpret_cast<SyntaxRecord*>(p);
    if (std::uint8_t* p = syntaxTable.at(0)) return reinterpret_cast<SyntaxRecord*>(p);
    // Whatever a caller wrote into the stand-in last time is forgotten.
    std::memset(&empty_, 0, sizeof empty_);
    return &empty_;
}

const SyntaxRecord* Document::syntaxAt(int position) const {
    static const SyntaxRecord kZeroRecord{};
    if (const std::uint8_t* p = syntaxTable.at(position)) return reinterpret_cast<const SyntaxRecord*>(p);
    if (const std::uint8_t* p = syntaxTable.at(0)) return reinterpret_cast<const SyntaxRecord*>(p);
    return &kZeroRecord;
}

IndexEntry* Document::indexAt(int position) {
    return reinterpret_cast<IndexEntry*>(indexTable.at(position));
}

const IndexEntry* Document::indexAt(int position) const {
    return reinterpret_cast<const IndexEntry*>(indexTable.at(position));
}

bool Document::hasChildren(int position) const {
    const std::uint8_t* here = syntaxTable.at(position);
    const std::uint8_t* next = syntaxTable.at(position + 1);
    if (here == nullptr || next == nullptr) return false;
    const auto* a = reinterpret_cast<const SyntaxRecord*>(here);
    const auto* b = reinterpret_cast<const SyntaxRecord*>(next);
    return b->depth == a->depth + 1;
}

std::string_view Document::memoText() const {
    if (!memo_) return {};
    return *memo_;
}

void Document::setMemoText(std::optional<std::string> memo) {
    if (memo) {
        const std::size_t nul = memo->find('\0');
        if (nul != std::string::npos) memo->resize(nul);
    }
    memo_ = std::move(memo);
}

int repairDepths(std::vector<int>& depths, int previous) {
    int changed = 0;
    for (int& depth : depths) {
        const int repaired = std::min(std::clamp(depth, 1, kMaxDepth), previous + 1);
        if (repaired != depth) ++changed;
        depth = previous = repaired;
    }
    return changed;
}

int repairSyntaxDepths(Document& doc) {
    int changed = 0;
    // The root of every user syntax stands at the top of the tree.
    if (doc.syntaxCount() > kRootRecord && doc.syntaxAt(kRootRecord)->depth != 0) {
        doc.syntaxAt(kRootRecord)->depth = 0;
        ++changed;
    }
    std::vector<int> depths;
    for (int position = kRootRecord + 1; position < doc.syntaxCount(); ++position)
        depths.push_back(doc.syntaxAt(position)->depth);
    changed += repairDepths(depths, 0);
    for (std::size_t k = 0; k < depths.size(); ++k)
        doc.syntaxAt(kRootRecord + 1 + int(k))->depth = std::uint8_t(depths[k]);
    return changed;
}

}  // namespace lumaset
