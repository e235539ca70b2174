#include "views/logic/history_log.h"

#include <cstring>
#include <string_view>
#include <unordered_map>
#include <unordered_set>

namespace lumaset {

namespace {

constexpr std::size_t kTreeItemOffset = offsetof(SyntaxRecord, treeItem);

// What a state costs besides its record images.
std::size_t frameBytes(const TableState& state) {
    return sizeof state + state.syntaxes.capacity() * sizeof state.syntaxes[0] + state.indexes.capacity() +
           state.expanded.capacity();
}

// A record image with its allocation, as the heap holds it.
constexpr std::size_t kImageBytes = kSyntaxRecordSize + 1 + sizeof(std::string) + 2 * sizeof(void*);

std::size_t ownBytesOf(const TableState& state, const TableState* before) {
    std::size_t bytes = frameBytes(state);
    std::unordered_set<const std::string*> shared;
    if (before)
        for (const auto& image : before->syntaxes) shared.insert(image.get());
    for (const auto& image : state.syntaxes)
        if (!shared.count(image.get())) bytes += kImageBytes;
    return bytes;
}

}  // namespace

TableState captureTables(const Document& doc, const TableState* like) {
    std::unordered_map<std::string_view, std::shared_ptr<const std::string>> known;
    if (like)
        for (const auto& image : like->syntaxes) known.emplace(*image, image);

    TableState state;
    state.syntaxes.reserve(std::size_t(doc.syntaxCount()));
    std::string image(kSyntaxRecordSize, '\0');
    for (int position = 0; position < doc.syntaxCount(); ++position) {
        std::memcpy(image.data(), doc.syntaxAt(position), kSyntaxRecordSize);
        // Item slots are the tree's, not the document's: the rebuild makes new ones.
        if (position >= kRootRecord) std::memset(image.data() + kTreeItemOffset, 0, 4);
        const auto found = known.find(image);
        state.syntaxes.push_back(found != known.end() ? found->second : std::make_shared<const std::string>(image));
    }
    state.indexes.resize(std::size_t(doc.indexCount()) * kIndexEntrySize);
    for (int i = 0; i < doc.indexCount(); ++i)
        std::memcpy(state.indexes.data() + std::size_t(i) * kIndexEntrySize, doc.indexAt(i), kIndexEntrySize);
    return state;
}

bool sameTables(const TableState& a, const TableState& b) {
    if (a.syntaxes.size() != b.syntaxes.size() || a.indexes != b.indexes) return false;
    for (std::size_t i = 0; i < a.syntaxes.size(); ++i)
        if (a.syntaxes[i] != b.syntaxes[i] && *a.syntaxes[i] != *b.syntaxes[i]) return false;
    return true;
}

bool restoreTables(Document& doc, const TableState& state) {
    // Blocks of both sizes are had once before the tables are released, so a
    // heap that cannot give them fails here with the tables untouched.
    RecordArray syntaxes;
    RecordArray indexes;
    const int records = int(state.syntaxes.size());
    const int entries = int(state.indexes.size() / kIndexEntrySize);
    if (!syntaxes.resetToCount(records, kSyntaxRecordSize) || !indexes.resetToCount(entries, kIndexEntrySize))
        return false;
    syntaxes.release();
    indexes.release();
    if (!doc.syntaxTable.resetToCount(records, kSyntaxRecordSize)) return false;
    if (!doc.indexTable.resetToCount(entries, kIndexEntrySize)) return false;
    for (int position = 0; position < records; ++position)
        std::memcpy(doc.syntaxTable.at(position), state.syntaxes[std::size_t(position)]->data(), kSyntaxRecordSize);
    if (entries > 0) std::memcpy(doc.indexTable.at(0), state.indexes.data(), std::size_t(entries) * kIndexEntrySize);
    return true;
}

void HistoryLog::reset(TableState initial) {
    states_.clear();
    initial.ownBytes = ownBytesOf(initial, nullptr);
    states_.push_back(std::move(initial));
    cursor_ = 0;
    savedAt_ = 0;
}

void HistoryLog::replaceCurrent(TableState state) {
    states_[cursor_] = std::move(state);
    const auto own = [this](int i) { return ownBytesOf(states_[i], i > 0 ? &states_[i - 1] : nullptr); };
    states_[cursor_].ownBytes = own(cursor_);
    if (canRedo()) states_[cursor_ + 1].ownBytes = own(cursor_ + 1);
}

void HistoryLog::updateView(const TableState& state) {
    states_[cursor_].expanded = state.expanded;
    states_[cursor_].selection = state.selection;
}

bool HistoryLog::push(TableState after) {
    if (sameTables(after, current())) {
        updateView(after);
        return false;
    }
    states_.erase(states_.begin() + cursor_ + 1, states_.end());
    if (savedAt_ > cursor_) savedAt_ = -1;
    after.ownBytes = ownBytesOf(after, &current());
    states_.push_back(std::move(after));
    ++cursor_;
    while (cursor_ > kMaxSteps || (cursor_ > 1 && budgetBytes() > kByteBudget)) dropOldest();
    return true;
}

const TableState* HistoryLog::undo() {
    if (!canUndo()) return nullptr;
    return &states_[--cursor_];
}

const TableState* HistoryLog::redo() {
    if (!canRedo()) return nullptr;
    return &states_[++cursor_];
}

void HistoryLog::dropOldest() {
    states_.pop_front();
    --cursor_;
    savedAt_ = savedAt_ > 0 ? savedAt_ - 1 : -1;
    // The images the dropped state shared with it now count here.
    states_.front().ownBytes = ownBytesOf(states_.front(), nullptr);
}

std::size_t HistoryLog::budgetBytes() const {
    std::size_t total = 0;
    for (const TableState& state : states_) total += state.ownBytes;
    return total;
}

std::size_t HistoryLog::bytesHeld() const {
    std::unordered_set<const std::string*> images;
    std::size_t total = 0;
    for (const TableState& state : states_) {
        total += frameBytes(state);
        for (const auto& image : state.syntaxes) images.insert(image.get());
    }
    return total + images.size() * kImageBytes;
}

}  // namespace lumaset
