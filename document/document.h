// The document: the syntax table, the index table and the memo.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/records.h"

namespace lumaset {

// Growable array of fixed-size byte records in one contiguous block.
// Elements are plain bytes: copied with byte moves, never constructed.
// A pointer from at() is valid until the next insertion or removal.
class RecordArray {
public:
    static constexpr int kInitialCapacity = 20;
    static constexpr int kGrowth = 10;

    RecordArray() = default;
    ~RecordArray();
    RecordArray(const RecordArray&) = delete;
    RecordArray& operator=(const RecordArray&) = delete;

    // release, then count 0 and a block for 20 elements. False when the block
    // cannot be had; the array is then empty with capacity 0.
    bool reset(int itemSize);
    // release, then count n and capacity n (1 when n is 0); contents undefined.
    // False (and count 0) when the block cannot be had.
    bool resetToCount(int n, int itemSize);
    // Frees the block. count and capacity drop to 0 as well, so that a
    // released array can never hand out a pointer into freed memory.
    void release();

    std::uint8_t* at(int position);
    const std::uint8_t* at(int position) const;

    // Appends when position is at or past count. False on allocation failure,
    // with the array unchanged.
    bool insertAt(int position, const void* element);
    // The caller passes a valid position.
    void removeAt(int position);

    int count() const { return count_; }
    int capacity() const { return capacity_; }
    int itemSize() const { return itemSize_; }
    bool holdsBlock() const { return items_ != nullptr; }

private:
    bool allocate(int capacity, int itemSize);

    std::uint8_t* items_ = nullptr;
    int itemSize_ = 0;
    int capacity_ = 0;
    int count_ = 0;
};

class Document {
public:
    RecordArray syntaxTable;  // SyntaxRecords, depth-first
    RecordArray indexTable;   // IndexEntrys

    Document();  // starts as a new document
    Document(const Document&) = delete;
    Document& operator=(const Document&) = delete;

    // Three system records, no index entries, no memo.
    bool newDocument();
    // Releases both tables and drops the memo.
    void freeDocument();

    // insertAt on the syntax table, then every index member at or above the
    // position moves up by one. False on allocation failure, nothing changed.
    bool insertSyntax(int position, const SyntaxRecord& record);
    // removeAt, then members equal to the position are dropped and those
    // above it move down by one.
    void removeSyntax(int position);

    // The members of every index that lie in [position, position + count),
    // as offsets from position, index by index; addBlockMembers puts them
    // back for a block now at `position`. A move keeps its syntaxes' indexes.
    std::vector<std::vector<int>> blockMembers(int position, int count) const;
    void addBlockMembers(int position, const std::vector<std::vector<int>>& members);

    int syntaxCount() const { return syntaxTable.count(); }
    int indexCount() const { return indexTable.count(); }
    // The record at the position, or record 0 when the position is not below
    // the count (a zeroed record when the table is empty).
    SyntaxRecord* syntaxAt(int position);
    const SyntaxRecord* syntaxAt(int position) const;
    IndexEntry* indexAt(int position);
    const IndexEntry* indexAt(int position) const;
    // True when a record follows and its depth is exactly one more.
    bool hasChildren(int position) const;

    // The memo text without its NUL; empty when there is no memo.
    std::string_view memoText() const;
    bool hasMemo() const { return memo_.has_value(); }
    // Replaces the memo; nullopt means no memo. The text ends at its first NUL.
    void setMemoText(std::optional<std::string> memo);

private:
    std::optional<std::string> memo_;
    SyntaxRecord empty_{};  // what syntaxAt hands out while the table is empty
};

// Brings stored depths into the tree's shape: user syntaxes between 1 and
// kMaxDepth, none more than one deeper than the record before it (`previous`
// for the first). Returns how many depths changed.
int repairDepths(std::vector<int>& depths, int previous);
// The same over the user syntaxes of a document (records after the root),
// with the root itself at depth 0.
int repairSyntaxDepths(Document& doc);

// Test hook: when failAt is n > 0, the n-th block allocation of any
// RecordArray from now on fails (calls counts them). Zero turns it off.
struct AllocationFaults {
    int failAt = 0;
    int calls = 0;
};
AllocationFaults& allocationFaults();

// Record used by newDocument and by the structure edits as a blank: zeroed,
// reservedA 255, patternLines 1, colourLines 1, empty title.
SyntaxRecord blankSystemRecord();

}  // namespace lumaset
