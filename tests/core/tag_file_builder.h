// Builds .tag files byte by byte in the layout of any version, so that the
// reader can be tried on old and damaged files without keeping binaries.
#pragma once

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "document/records.h"
#include "document/tag_file.h"

namespace lumaset::testing {

using Bytes = std::vector<std::uint8_t>;

// Filler for blocks the reader must skip: anything it wrongly takes in shows.
inline constexpr std::uint8_t kSkipFiller = 0xEE;

inline int recordSizeFor(std::uint32_t version) {
    if (version <= 4098) return 364;
    if (version <= 4103) return 616;
    return kStoredSyntaxRecordSize;
}

inline void put16(Bytes& b, std::size_t at, std::uint32_t v) {
    b[at] = std::uint8_t(v);
    b[at + 1] = std::uint8_t(v >> 8);
}

class TagFileBuilder {
public:
    explicit TagFileBuilder(std::uint32_t version) : version_(version) {}

    // A record of the version's size; the reference lasts until the next add.
    Bytes& addRecord(const char* name, int depth = 1) {
        Bytes r(std::size_t(recordSizeFor(version_)), 0);
        std::memcpy(r.data(), name, std::strlen(name));
        r[offsetof(SyntaxRecord, depth)] = std::uint8_t(depth);
        records_.push_back(std::move(r));
        return records_.back();
    }
    void addSystemRecords() {
        addRecord("sys0", 0);
        addRecord("sys1", 0);
        addRecord("sys2", 0);
    }
    void addIndex(const IndexEntry& e) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&e);
        index_.insert(index_.end(), p, p + kIndexEntrySize);
        ++indexCount_;
    }
    void addMessageFormat(const MessageFormat& f) {
        const auto* p = reinterpret_cast<const std::uint8_t*>(&f);
        messageFormats_.insert(messageFormats_.end(), p, p + kMessageFormatSize);
        ++messageFormatCount_;
    }
    // Legacy sections that the reader skips, filled with kSkipFiller.
    void addLegacy100(int n) { legacy100_ += n; }
    void addLegacyIndex(int n) { legacyIndex_ += n; }
    void addLegacy154(int n) { legacy154_ += n; }
    void addLegacyMessageFormats(int n) { legacy18_ += n; }
    // The memo block as stored, NUL included when wanted.
    void setMemoBlock(const Bytes& block) { memo_ = block; }

    // Header values that disagree with the contents, for damaged files.
    std::optional<std::uint16_t> syntaxCount, messageFormatCount, indexCount, memoLength;

    Bytes bytes() const {
        Bytes b(kTagFileHeaderSize, 0);
        std::memcpy(b.data(), kTagFileMagic, sizeof kTagFileMagic);
        put16(b, 52, version_);
        put16(b, 54, version_ >> 16);
        put16(b, 56, std::uint32_t(legacy100_));
        put16(b, 58, std::uint32_t(legacy154_));
        put16(b, 60, syntaxCount.value_or(std::uint16_t(records_.size())));
        const int formats = version_ == 4106 ? legacy18_ : messageFormatCount_;
        put16(b, 62, messageFormatCount.value_or(std::uint16_t(formats)));
        const int indexes = version_ >= 4102 ? indexCount_ : legacyIndex_;
        put16(b, 64, indexCount.value_or(std::uint16_t(indexes)));
        put16(b, 66, memoLength.value_or(std::uint16_t(memo_.size())));

        const int legacyIndexSize = version_ < 4098 ? 20 : 40;
        if (version_ < 4101) b.insert(b.end(), std::size_t(legacy100_) * 100, kSkipFiller);
        for (const Bytes& r : records_) b.insert(b.end(), r.begin(), r.end());
        if (version_ >= 4102) {
            b.insert(b.end(), index_.begin(), index_.end());
        } else {
            b.insert(b.end(), std::size_t(legacyIndex_) * legacyIndexSize, kSkipFiller);
            b.insert(b.end(), std::size_t(legacy154_) * 154, kSkipFiller);
        }
        if (version_ == 4106) b.insert(b.end(), std::size_t(legacy18_) * 18, kSkipFiller);
        if (version_ == 4107) b.insert(b.end(), messageFormats_.begin(), messageFormats_.end());
        b.insert(b.end(), memo_.begin(), memo_.end());
        return b;
    }

private:
    std::uint32_t version_;
    std::vector<Bytes> records_;
    Bytes index_, messageFormats_, memo_;
    int indexCount_ = 0, messageFormatCount_ = 0;
    int legacy100_ = 0, legacyIndex_ = 0, legacy154_ = 0, legacy18_ = 0;
};

inline Bytes readFileBytes(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

inline void writeFileBytes(const std::filesystem::path& path, const Bytes& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

// A fresh, empty folder per test, removed afterwards.
class ScratchFolder {
public:
    ScratchFolder() {
        std::random_device random;
        path_ = std::filesystem::temp_directory_path() /
                ("lumaset-test-" + std::to_string(random()) + "-" + std::to_string(random()));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~ScratchFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const char* name) const { return path_ / name; }
    std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(path_)) names.push_back(e.path().filename().string());
        return names;
    }

private:
    std::filesystem::path path_;
};

}  // namespace lumaset::testing
