#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <limits>

#include "document/document.h"

namespace lumaset {

AllocationFaults& allocationFaults() {
    static AllocationFaults faults;
    return faults;
}

namespace {

// Every block goes through here so that a test can make one of them fail.
bool allocationAllowed() {
    AllocationFaults& f = allocationFaults();
    if (f.failAt <= 0) return true;
    return ++f.calls != f.failAt;
}

bool blockBytes(int capacity, int itemSize, std::size_t& bytes) {
    if (capacity < 0 || itemSize <= 0) return false;
    if (std::size_t(capacity) > std::numeric_limits<std::size_t>::max() / std::size_t(itemSize))
        return false;
    bytes = std::size_t(capacity) * std::size_t(itemSize);
    return true;
}

}  // namespace

RecordArray::~RecordArray() { release(); }

void RecordArray::release() {
    std::free(items_);
    items_ = nullptr;
    capacity_ = 0;
    count_ = 0;
}

bool RecordArray::allocate(int capacity, int itemSize) {
    release();
    itemSize_ = itemSize;
    std::size_t bytes = 0;
    if (!blockBytes(capacity, itemSize, bytes) || !allocationAllowed()) return false;
    // malloc(0) may hand back null; capacity is never 0 here but keep it safe.
    void* block = std::malloc(bytes == 0 ? 1 : bytes);
    if (block == nullptr) return false;
    items_ = static_cast<std::uint8_t*>(block);
    capacity_ = capacity;
    return true;
}

bool RecordArray::reset(int itemSize) { return allocate(kInitialCapacity, itemSize); }

bool RecordArray::resetToCount(int n, int itemSize) {
    if (n < 0 || !allocate(n == 0 ? 1 : n, itemSize)) {
        release();
        return false;
    }
    count_ = n;
    return true;
}

std::uint8_t* RecordArray::at(int position) {
    if (items_ == nullptr || position < 0 || position >= count_) return nullptr;
    return items_ + std::size_t(position) * std::size_t(itemSize_);
}

const std::uint8_t* RecordArray::at(int position) const {
    return const_cast<RecordArray*>(this)->at(position);
}

bool RecordArray::insertAt(int position, const void* element) {
    if (items_ == nullptr || element == nullptr || position < 0) return false;
    const std::size_t size = std::size_t(itemSize_);
    // A caller may insert a copy of one of our own elements; growing or
    // shifting would pull it from under us, so take it aside first.
    const auto* source = static_cast<const std::uint8_t*>(element);
    const auto from = reinterpret_cast<std::uintptr_t>(items_);
    const auto where = reinterpret_cast<std::uintptr_t>(source);
    const bool aliased = where >= from && where - from < std::size_t(capacity_) * size;
    std::uint8_t* copy = nullptr;
    if (aliased) {
        copy = static_cast<std::uint8_t*>(std::malloc(size));
        if (copy == nullptr) return false;
        std::memcpy(copy, source, size);
        source = copy;
    }
    if (count_ == capacity_) {
        if (capacity_ > std::numeric_limits<int>::max() - kGrowth) { std::free(copy); return false; }
        const int grown = capacity_ + kGrowth;
        std::size_t bytes = 0;
        // realloc leaves the old block alone when it fails, so nothing changes.
        void* block = nullptr;
        if (blockBytes(grown, itemSize_, bytes) && allocationAllowed()) block = std::realloc(items_, bytes);
        if (block == nullptr) {
            std::free(copy);
            return false;
        }
        items_ = static_cast<std::uint8_t*>(block);
        capacity_ = grown;
    }
    if (position < count_) {
        std::memmove(items_ + (std::size_t(position) + 1) * size, items_ + std::size_t(position) * size,
                     std::size_t(count_ - position) * size);
    } else {
        position = count_;
    }
    std::memcpy(items_ + std::size_t(position) * size, source, size);
    std::free(copy);
    ++count_;
    return true;
}

void RecordArray::removeAt(int position) {
    if (items_ == nullptr || position < 0 || position >= count_) return;
    const std::size_t size = std::size_t(itemSize_);
    if (position < count_ - 1) {
        std::memmove(items_ + std::size_t(position) * size, items_ + (std::size_t(position) + 1) * size,
                     std::size_t(count_ - 1 - position) * size);
    }
    --count_;
}

}  // namespace lumaset
