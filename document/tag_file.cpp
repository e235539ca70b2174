#include "document/tag_file.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>

#include "document/error_message.h"
#include "document/file_io.h"
#include "pattern/derived_fields.h"
#include "pattern/pattern_code.h"

namespace lumaset {

namespace {

// Messages about the file itself follow its path directly.
constexpr const char kNotFound[] = "は見つかりません。";
constexpr const char kOpenFailed[] = "のオープンで何らかのエラーが発生しました。";
constexpr const char kReadFailed[] = "の読み込みに失敗しました。";
constexpr const char kNotTagFile[] = "はTarvelon用のファイルではありません。";
constexpr const char kTooNew[] = "のバージョンが新しすぎて扱えません。";
constexpr const char kCreateFailed[] = "の作成に失敗しました。";
constexpr const char kWriteFailed[] = "への書き込みに失敗しました。";
// Messages about the contents stand alone.
constexpr const char kMessageFormatsIgnored[] =
    "このカラー構文ファイルに含まれる発言形式関係の情報は無視されます。発言関係の構文を作り直してください。";
constexpr const char kPartlyInconsistent[] = "情報に一部矛盾がありますが処理を続行します。";
constexpr const char kTitleConversionFailed[] =
    "ツリーに表示するタイトルの変換処理でエラーが発生しました。該当するタイトルが\"変換エラー\"になります。";
constexpr const char kTitleTooLong[] =
    "ツリーに表示するタイトルを変換したらサイズが大きすぎて入り切りませんでした。"
    "該当するタイトルが\"タイトル長すぎ\"になります。";

// Replacement titles, in cp932 as titles are stored.
constexpr const char kConversionErrorTitle[] = "\x95\xcf\x8a\xb7\x83\x47\x83\x89\x81\x5b";  // 変換エラー
// A message about what a file holds, with the file's name above it.
std::string aboutFile(const std::string& name, const char* text) { return name + "\n" + text; }

constexpr const char kTooLongTitle[] = "\x83\x5e\x83\x43\x83\x67\x83\x8b\x92\xb7\x82\xb7\x82\xac";  // タイトル長すぎ

// Header layout.
constexpr int kMagicFieldSize = 52;
constexpr int kVersionOffset = 52;
constexpr int kLegacyCount100Offset = 56;
constexpr int kLegacyCount154Offset = 58;
constexpr int kSyntaxCountOffset = 60;
constexpr int kMessageFormatCountOffset = 62;
constexpr int kIndexCountOffset = 64;
constexpr int kMemoLengthOffset = 66;
static_assert(kMemoLengthOffset + 2 == kTagFileHeaderSize);
static_assert(sizeof kTagFileMagic <= kMagicFieldSize);

// Sizes of the older layouts.
constexpr int kLegacyBlock100 = 100;
constexpr int kLegacyBlock154 = 154;
constexpr int kLegacyIndex4096 = 20;
constexpr int kLegacyIndex4098 = 40;
constexpr int kLegacyMessageFormat = 18;
constexpr int kRecordSize4098 = 364;
constexpr int kRecordSize4103 = 616;
constexpr int kDiscardedTailStart = 414;  // end of the 50-byte title text of 4099..4103
constexpr int kDiscardedTailEnd = 484;

// Byte offsets that older versions used for other things than now.
constexpr int kOffset351 = 351;
constexpr int kOffset352 = 352;
constexpr int kOffset353 = 353;
constexpr int kOffset354 = 354;

struct TagFileHeader {
    std::uint32_t version = 0;
    std::uint16_t legacyCount100 = 0;
    std::uint16_t legacyCount154 = 0;
    std::uint16_t syntaxCount = 0;
    std::uint16_t messageFormatCount = 0;
    std::uint16_t indexCount = 0;
    std::uint16_t memoLength = 0;
};

std::uint16_t get16(const std::uint8_t* p) { return std::uint16_t(p[0] | p[1] << 8); }
std::uint32_t get32(const std::uint8_t* p) {
    return std::uint32_t(p[0]) | std::uint32_t(p[1]) << 8 | std::uint32_t(p[2]) << 16 | std::uint32_t(p[3]) << 24;
}
void put16(std::uint8_t* p, std::uint32_t v) {
    p[0] = std::uint8_t(v);
    p[1] = std::uint8_t(v >> 8);
}
void put32(std::uint8_t* p, std::uint32_t v) {
    put16(p, v);
    put16(p + 2, v >> 16);
}

std::uint8_t* recordBytes(Document& doc, int position) {
    return reinterpret_cast<std::uint8_t*>(doc.syntaxAt(position));
}

// Steps that read the file, up to and including the memo. Any failure
// shows its message and leaves a new document.
class TagReader {
public:
    TagReader(Document& doc, ByteSource& source, const std::string& name)
        : doc_(doc), source_(source), name_(name) {}

    bool read(TagFileHeader& header) {
        std::uint8_t raw[kTagFileHeaderSize] = {};
        if (source_.read(raw, sizeof raw) != kTagFileHeaderSize) return fail(kReadFailed);
        // The magic with its NUL, compared as a string from the first byte.
        if (std::memcmp(raw, kTagFileMagic, sizeof kTagFileMagic) != 0) return fail(kNotTagFile);
        header.version = get32(raw + kVersionOffset);
        header.legacyCount100 = get16(raw + kLegacyCount100Offset);
        header.legacyCount154 = get16(raw + kLegacyCount154Offset);
        header.syntaxCount = get16(raw + kSyntaxCountOffset);
        header.messageFormatCount = get16(raw + kMessageFormatCountOffset);
        header.indexCount = get16(raw + kIndexCountOffset);
        header.memoLength = get16(raw + kMemoLengthOffset);
        if (header.version > kCurrentTagVersion) return fail(kTooNew);
        // The editor needs the three system records, and positions must fit
        // one byte; such a file cannot be worked on.
        if (header.syntaxCount < kSystemRecordCount || header.syntaxCount > kMaxSyntaxCount)
            return fail(kReadFailed);

        const std::uint32_t v = header.version;
        if (v < 4101 && !skip(std::uint64_t(header.legacyCount100) * kLegacyBlock100)) return fail(kReadFailed);

        if (!doc_.indexTable.reset(kIndexEntrySize) ||
            !doc_.syntaxTable.resetToCount(header.syntaxCount, kSyntaxRecordSize))
            return fail(kReadFailed);
        std::memset(doc_.syntaxTable.at(0), 0, std::size_t(header.syntaxCount) * kSyntaxRecordSize);

        const int recordSize = v <= 4098 ? kRecordSize4098 : v <= 4103 ? kRecordSize4103 : kStoredSyntaxRecordSize;
        for (int i = 0; i < header.syntaxCount; ++i) {
            std::uint8_t* r = recordBytes(doc_, i);
            if (!readInto(r, recordSize)) return fail(kReadFailed);
            if (v >= 4099 && v <= 4103) std::memset(r + kDiscardedTailStart, 0, kDiscardedTailEnd - kDiscardedTailStart);
        }

        if (v >= 4102) {
            if (header.indexCount != 0) {
                if (!doc_.indexTable.resetToCount(header.indexCount, kIndexEntrySize)) return fail(kReadFailed);
                // Entries cut short by the end of the file read as zero.
                const std::size_t bytes = std::size_t(header.indexCount) * kIndexEntrySize;
                std::memset(doc_.indexTable.at(0), 0, bytes);
                if (!readInto(doc_.indexTable.at(0), bytes)) return fail(kReadFailed);
            }
        } else {
            const int legacyIndex = v < 4098 ? kLegacyIndex4096 : kLegacyIndex4098;
            if (!skip(std::uint64_t(header.indexCount) * legacyIndex)) return fail(kReadFailed);
            if (!skip(std::uint64_t(header.legacyCount154) * kLegacyBlock154)) return fail(kReadFailed);
        }

        if (!readMessageFormats(header)) return fail(kReadFailed);

        if (header.memoLength != 0) {
            std::string memo(header.memoLength, '\0');
            if (!readInto(memo.data(), memo.size())) return fail(kReadFailed);
            // Ends at its first NUL, or at its last byte when it has none.
            doc_.setMemoText(std::move(memo));
        }
        return true;
    }

private:
    bool readMessageFormats(const TagFileHeader& header) {
        const std::uint32_t v = header.version;
        if (v < 4106 || (v == 4106 && header.messageFormatCount != 0)) {
            if (v == 4106) {
                showErrorMessage(aboutFile(name_, kMessageFormatsIgnored));
                if (!skip(std::uint64_t(header.messageFormatCount) * kLegacyMessageFormat)) return false;
            }
            for (int i = 0; i < doc_.syntaxCount(); ++i) doc_.syntaxAt(i)->messageFormatOrdinal = 0;
            return true;
        }
        if (v != kCurrentTagVersion || header.messageFormatCount == 0) return true;
        int read = 0;
        for (int i = 0; i < doc_.syntaxCount() && read < header.messageFormatCount; ++i) {
            SyntaxRecord* r = doc_.syntaxAt(i);
            if (r->messageFormatOrdinal == 0) continue;
            if (!readInto(&r->messageFormat, kMessageFormatSize)) return false;
            ++read;
        }
        if (read < header.messageFormatCount) {
            showErrorMessage(aboutFile(name_, kPartlyInconsistent));
            if (!skip(std::uint64_t(header.messageFormatCount - read) * kMessageFormatSize)) return false;
        }
        return true;
    }

    // A short read at the end of the data is fine: the target was zeroed.
    bool readInto(void* buffer, std::size_t size) { return source_.read(buffer, size) >= 0; }
    bool skip(std::uint64_t count) { return count == 0 || source_.skip(count); }

    bool fail(const char* text) {
        showErrorMessage(name_ + text);
        doc_.newDocument();
        return false;
    }

    Document& doc_;
    ByteSource& source_;
    const std::string& name_;
};

// The title of a file older than 4099, as the text a user would type for it.
void buildLegacyTitle(std::uint8_t* r) {
    char text[32] = {};
    if (r[kOffset352] != kNoLegacyTitle) {
        if (r[kOffset351] != 0)
            std::snprintf(text, sizeof text, "\\(%u,%u,%u)", r[kOffset352], r[kOffset353], r[kOffset351]);
        else
            std::snprintf(text, sizeof text, "\\(%u,%u)", r[kOffset352], r[kOffset353]);
    }
    std::uint8_t* title = r + offsetof(SyntaxRecord, titleCode);
    std::memset(title, 0, kTitleCodeSize);
    std::memcpy(title, text, std::strlen(text));
}

void compileLegacyTitle(Document& doc, int position, const std::string& name) {
    SyntaxRecord* r = doc.syntaxAt(position);
    // The text may fill all 120 bytes without a NUL.
    char text[kTitleCodeSize + 1] = {};
    std::memcpy(text, r->titleCode, kTitleCodeSize);
    std::uint8_t area[kCompileAreaSize];
    int length = compilePattern(text, area);
    const char* replacement = nullptr;
    if (length == kPatternFailed) {
        showErrorMessage(aboutFile(name, kTitleConversionFailed));
        replacement = kConversionErrorTitle;
    } else if (length > kTitleCodeSize) {
        showErrorMessage(aboutFile(name, kTitleTooLong));
        replacement = kTooLongTitle;
    }
    if (replacement != nullptr) length = compilePattern(replacement, area);
    std::memset(r->titleCode, 0, kTitleCodeSize);
    if (length > 0 && length <= kTitleCodeSize) std::memcpy(r->titleCode, area, std::size_t(length));
}

// Brings the records of an older file up to the current layout, step by
// step in the order the format grew.
void convertOlderData(Document& doc, std::uint32_t v, const std::string& name) {
    const int count = doc.syntaxCount();
    if (v == kOldestSpecialVersion) {
        std::uint8_t* root = recordBytes(doc, kRootRecord);
        root[kOffset352] = 0;
        root[kOffset353] = 0;
        for (int i = 0; i < count; ++i) {
            std::uint8_t* r = recordBytes(doc, i);
            r[offsetof(SyntaxRecord, reservedA)] = kReservedAValue;
            r[kOffset353] = 0;
            r[kOffset354] = 1;
        }
    }
    if (v < 4098) {
        for (int i = 0; i < count; ++i) {
            std::uint8_t* r = recordBytes(doc, i);
            r[kOffset351] = 0;
            r[offsetof(SyntaxRecord, reservedA)] = kReservedAValue;
        }
    }
    if (v < 4099)
        for (int i = 0; i < count; ++i) buildLegacyTitle(recordBytes(doc, i));
    if (v < 4100)
        for (int i = 0; i < count; ++i) doc.syntaxAt(i)->colourLines = recordBytes(doc, i)[kOffset354];
    if (v < 4105) {
        for (int i = 0; i < count; ++i) {
            SyntaxRecord* r = doc.syntaxAt(i);
            r->jumpToChild = 0;
            r->reservedB = 0;
            r->reservedC = 0;
        }
    }
    if (v < kCurrentTagVersion) {
        for (int i = 0; i < count; ++i) {
            compileLegacyTitle(doc, i, name);
            deriveRecordFields(doc, i);
        }
    }
}

}  // namespace

bool loadTagFile(Document& doc, const std::filesystem::path& path) {
    const std::string name = pathForMessage(path);
    doc.freeDocument();
    FileSource file;
    switch (file.open(path)) {
    case OpenResult::Opened:
        break;
    case OpenResult::NotFound:
        showErrorMessage(name + kNotFound);
        doc.newDocument();
        return false;
    case OpenResult::Failed:
        showErrorMessage(name + kOpenFailed);
        doc.newDocument();
        return false;
    }
    TagFileHeader header;
    const bool read = TagReader(doc, file, name).read(header);
    file.close();
    if (!read) return false;
    convertOlderData(doc, header.version, name);
    return true;
}

bool loadTagFileFromBytes(Document& doc, std::span<const std::uint8_t> bytes, const std::string& displayName) {
    doc.freeDocument();
    MemorySource source(bytes);
    TagFileHeader header;
    if (!TagReader(doc, source, displayName).read(header)) return false;
    convertOlderData(doc, header.version, displayName);
    return true;
}

namespace {

void fillHeader(std::uint8_t* header, int syntaxCount, int messageFormatCount, int indexCount,
                std::optional<std::string_view> memo) {
    std::memset(header, 0, kTagFileHeaderSize);
    std::memcpy(header, kTagFileMagic, sizeof kTagFileMagic);
    put32(header + kVersionOffset, kCurrentTagVersion);
    put16(header + kSyntaxCountOffset, std::uint32_t(syntaxCount));
    put16(header + kMessageFormatCountOffset, std::uint32_t(messageFormatCount));
    put16(header + kIndexCountOffset, std::uint32_t(indexCount));
    if (memo) put16(header + kMemoLengthOffset, std::uint32_t(memo->size() + 1));
}

}  // namespace

bool saveTagFile(Document& doc, const std::filesystem::path& path) {
    const std::string name = pathForMessage(path);
    const int syntaxCount = doc.syntaxCount();
    const int indexCount = doc.indexCount();
    // memoLength is 16 bits with the NUL; a longer memo cannot be stored, and
    // saving it cut short would lose text, so nothing is written at all.
    if (doc.memoText().size() >= std::size_t(kMaxMemoLength) || syntaxCount > 0xFFFF || indexCount > 0xFFFF) {
        showErrorMessage(name + kWriteFailed);
        return false;
    }

    SafeFileWriter file;
    if (!file.create(path)) {
        showErrorMessage(name + kCreateFailed);
        return false;
    }

    int messageFormatCount = 0;
    for (int i = 0; i < syntaxCount; ++i) {
        SyntaxRecord* r = doc.syntaxAt(i);
        r->messageFormatOrdinal =
            r->messageFormat.kind != kNotMessage ? std::uint8_t(++messageFormatCount) : std::uint8_t(0);
    }

    std::uint8_t header[kTagFileHeaderSize];
    fillHeader(header, syntaxCount, messageFormatCount, indexCount,
               doc.hasMemo() ? std::optional(doc.memoText()) : std::nullopt);

    bool ok = file.write(header, sizeof header);
    for (int i = 0; ok && i < syntaxCount; ++i) ok = file.write(doc.syntaxAt(i), kStoredSyntaxRecordSize);
    if (ok && indexCount != 0) ok = file.write(doc.indexTable.at(0), std::size_t(indexCount) * kIndexEntrySize);
    for (int i = 0; ok && i < syntaxCount; ++i) {
        const SyntaxRecord* r = doc.syntaxAt(i);
        if (r->messageFormatOrdinal != 0) ok = file.write(&r->messageFormat, kMessageFormatSize);
    }
    if (ok && doc.hasMemo()) {
        std::string memo(doc.memoText());
        ok = file.write(memo.c_str(), memo.size() + 1);
    }
    if (!ok || !file.commit()) {
        file.abandon();
        showErrorMessage(name + kWriteFailed);
        return false;
    }
    return true;
}

std::optional<TagFileExtent> currentTagFileExtent(std::span<const std::uint8_t> bytes) {
    if (bytes.size() < std::size_t(kTagFileHeaderSize) || std::memcmp(bytes.data(), kTagFileMagic, sizeof kTagFileMagic) != 0 ||
        get32(bytes.data() + kVersionOffset) != kCurrentTagVersion)
        return std::nullopt;
    TagFileExtent extent;
    extent.syntaxCount = int(get16(bytes.data() + kSyntaxCountOffset));
    extent.promisedSize = std::uint64_t(kTagFileHeaderSize) + std::uint64_t(extent.syntaxCount) * kStoredSyntaxRecordSize +
                          std::uint64_t(get16(bytes.data() + kIndexCountOffset)) * kIndexEntrySize +
                          std::uint64_t(get16(bytes.data() + kMessageFormatCountOffset)) * kMessageFormatSize +
                          get16(bytes.data() + kMemoLengthOffset);
    const std::uint64_t records = (bytes.size() - kTagFileHeaderSize) / kStoredSyntaxRecordSize;
    extent.wholeRecords = int(std::min<std::uint64_t>(records, std::uint64_t(extent.syntaxCount)));
    return extent;
}

bool writeTagFileCopy(const Document& doc, std::optional<std::string_view> memo, const std::filesystem::path& path,
                      std::vector<std::uint8_t>* written) {
    const int syntaxCount = doc.syntaxCount();
    const int indexCount = doc.indexCount();
    if ((memo && memo->size() >= std::size_t(kMaxMemoLength)) || syntaxCount > 0xFFFF || indexCount > 0xFFFF)
        return false;
    // One image and one write: the records' ordinals are set in the image,
    // so the tables the undo history compares stay as they are.
    std::vector<std::uint8_t> image(kTagFileHeaderSize);
    int messageFormatCount = 0;
    for (int i = 0; i < syntaxCount; ++i) {
        const auto* r = reinterpret_cast<const std::uint8_t*>(doc.syntaxAt(i));
        const std::size_t at = image.size();
        image.insert(image.end(), r, r + kStoredSyntaxRecordSize);
        const bool message = doc.syntaxAt(i)->messageFormat.kind != kNotMessage;
        image[at + offsetof(SyntaxRecord, messageFormatOrdinal)] =
            message ? std::uint8_t(++messageFormatCount) : std::uint8_t(0);
    }
    fillHeader(image.data(), syntaxCount, messageFormatCount, indexCount, memo);
    if (indexCount != 0) {
        const auto* entries = reinterpret_cast<const std::uint8_t*>(doc.indexTable.at(0));
        image.insert(image.end(), entries, entries + std::size_t(indexCount) * kIndexEntrySize);
    }
    for (int i = 0; i < syntaxCount; ++i) {
        const MessageFormat& format = doc.syntaxAt(i)->messageFormat;
        const auto* f = reinterpret_cast<const std::uint8_t*>(&format);
        if (format.kind != kNotMessage) image.insert(image.end(), f, f + kMessageFormatSize);
    }
    if (memo) {
        image.insert(image.end(), memo->begin(), memo->end());
        image.push_back(0);
    }
    SafeFileWriter file;
    if (!(file.create(path) && file.write(image.data(), image.size()) && file.commit())) return false;
    if (written) *written = std::move(image);
    return true;
}

}  // namespace lumaset
