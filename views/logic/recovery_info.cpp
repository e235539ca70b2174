#include "views/logic/recovery_info.h"

#include <cstring>

namespace lumaset {

namespace {

constexpr char kMagic[] = "LumasetRecovery";  // 15 bytes and its NUL
constexpr std::uint32_t kFirstFormatVersion = 1;
constexpr std::uint32_t kFormatVersion = 2;
constexpr std::uint8_t kHasDraft = 1;
constexpr std::uint8_t kHasChecksum = 1, kHasOriginal = 2;
constexpr std::uint8_t kInterrupting = 1, kJumpToChild = 2, kMessageSyntax = 4;

class Writer {
public:
    void bytes(const void* data, std::size_t size) {
        const auto* p = static_cast<const std::uint8_t*>(data);
        out_.insert(out_.end(), p, p + size);
    }
    void u8(std::uint8_t v) { out_.push_back(v); }
    void u32(std::uint32_t v) {
        for (int i = 0; i < 4; ++i) out_.push_back(std::uint8_t(v >> (8 * i)));
    }
    void u64(std::uint64_t v) {
        u32(std::uint32_t(v));
        u32(std::uint32_t(v >> 32));
    }
    void text(const std::u16string& t) {
        const std::size_t n = t.size() < kRecoveryTextLimit ? t.size() : kRecoveryTextLimit;
        u32(std::uint32_t(n));
        for (std::size_t i = 0; i < n; ++i) {
            out_.push_back(std::uint8_t(t[i]));
            out_.push_back(std::uint8_t(t[i] >> 8));
        }
    }
    std::vector<std::uint8_t> take() { return std::move(out_); }

private:
    std::vector<std::uint8_t> out_;
};

// Every read checks what is left; the first short read fails them all.
class Reader {
public:
    explicit Reader(std::span<const std::uint8_t> in) : in_(in) {}
    bool bytes(void* out, std::size_t size) {
        if (!ok_ || in_.size() - at_ < size) return ok_ = false;
        std::memcpy(out, in_.data() + at_, size);
        at_ += size;
        return true;
    }
    std::uint8_t u8() {
        std::uint8_t v = 0;
        bytes(&v, 1);
        return v;
    }
    std::uint32_t u32() {
        std::uint8_t b[4] = {};
        bytes(b, 4);
        return std::uint32_t(b[0]) | std::uint32_t(b[1]) << 8 | std::uint32_t(b[2]) << 16 | std::uint32_t(b[3]) << 24;
    }
    std::uint64_t u64() {
        const std::uint64_t low = u32();
        return low | std::uint64_t(u32()) << 32;
    }
    std::u16string text() {
        const std::uint32_t n = u32();
        if (!ok_ || n > kRecoveryTextLimit || (in_.size() - at_) / 2 < n) {
            ok_ = false;
            return {};
        }
        std::u16string t(n, u'\0');
        for (std::uint32_t i = 0; i < n; ++i, at_ += 2) t[i] = char16_t(in_[at_] | in_[at_ + 1] << 8);
        return t;
    }
    bool done() const { return ok_ && at_ == in_.size(); }
    bool ok() const { return ok_; }

private:
    std::span<const std::uint8_t> in_;
    std::size_t at_ = 0;
    bool ok_ = true;
};

std::u16string hex16(std::uint64_t v) {
    std::u16string s(16, u'0');
    for (int i = 15; i >= 0; --i, v >>= 4) s[std::size_t(i)] = u"0123456789abcdef"[v & 15];
    return s;
}

std::optional<std::uint64_t> parseHex16(std::u16string_view s) {
    if (s.size() != 16) return std::nullopt;
    std::uint64_t v = 0;
    for (char16_t c : s) {
        int d;
        if (c >= u'0' && c <= u'9') d = c - u'0';
        else if (c >= u'a' && c <= u'f') d = c - u'a' + 10;
        else return std::nullopt;
        v = v << 4 | std::uint64_t(d);
    }
    return v;
}

}  // namespace

std::vector<std::uint8_t> encodeRecoveryInfo(const RecoveryInfo& info) {
    Writer w;
    w.bytes(kMagic, sizeof kMagic);
    w.u32(kFormatVersion);
    w.u32(info.processId);
    w.u64(info.processStart);
    w.u64(info.changedAt);
    w.text(info.documentPath);
    w.u64(info.copySize);
    w.u8(std::uint8_t((info.copyChecksum ? kHasChecksum : 0) | (info.original ? kHasOriginal : 0)));
    if (info.copyChecksum) w.u64(*info.copyChecksum);
    if (info.original) {
        w.u64(info.original->size);
        w.u64(info.original->writeTime);
    }
    w.u8(info.draft ? kHasDraft : 0);
    if (const auto& d = info.draft) {
        w.u32(std::uint32_t(d->selection));
        for (const auto* t : {&d->name, &d->pattern, &d->exitPattern, &d->title, &d->colourLines}) w.text(*t);
        w.u8(std::uint8_t((d->interrupting ? kInterrupting : 0) | (d->jumpToChild ? kJumpToChild : 0) |
                          (d->messageSyntax ? kMessageSyntax : 0)));
        w.bytes(d->messageFormat.data(), d->messageFormat.size());
    }
    return w.take();
}

bool decodeRecoveryInfo(std::span<const std::uint8_t> bytes, RecoveryInfo& info) {
    Reader r(bytes);
    char magic[sizeof kMagic] = {};
    if (!r.bytes(magic, sizeof magic) || std::memcmp(magic, kMagic, sizeof magic) != 0) return false;
    const std::uint32_t version = r.u32();
    if (version != kFormatVersion && version != kFirstFormatVersion) return false;
    RecoveryInfo read;
    read.processId = r.u32();
    read.processStart = r.u64();
    read.changedAt = r.u64();
    read.documentPath = r.text();
    read.copySize = r.u64();
    if (version == kFormatVersion) {
        const std::uint8_t stamps = r.u8();
        if (stamps & ~(kHasChecksum | kHasOriginal)) return false;
        if (stamps & kHasChecksum) read.copyChecksum = r.u64();
        if (stamps & kHasOriginal) {
            FileStamp original;
            original.size = r.u64();
            original.writeTime = r.u64();
            read.original = original;
        }
    }
    const std::uint8_t hasDraft = r.u8();
    if (hasDraft > kHasDraft) return false;
    if (hasDraft) {
        RecoveryDraft d;
        d.selection = std::int32_t(r.u32());
        for (auto* t : {&d.name, &d.pattern, &d.exitPattern, &d.title, &d.colourLines}) *t = r.text();
        const std::uint8_t checks = r.u8();
        if (checks & ~(kInterrupting | kJumpToChild | kMessageSyntax)) return false;
        d.interrupting = checks & kInterrupting;
        d.jumpToChild = checks & kJumpToChild;
        d.messageSyntax = checks & kMessageSyntax;
        r.bytes(d.messageFormat.data(), d.messageFormat.size());
        read.draft = std::move(d);
    }
    if (!r.done()) return false;
    info = std::move(read);
    return true;
}

std::uint64_t recoveryChecksum(std::span<const std::uint8_t> bytes) {
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (std::uint8_t b : bytes) hash = (hash ^ b) * 0x100000001b3ULL;
    return hash;
}

std::u16string recoveryStem(const RecoveryOwner& owner) {
    std::u16string id;
    for (std::uint32_t v = owner.processId;; v /= 10) {
        id.insert(id.begin(), char16_t(u'0' + v % 10));
        if (v < 10) break;
    }
    return id + u'-' + hex16(owner.processStart);
}

namespace {

// Decimal digits only, at least one, within 32 bits.
std::optional<std::uint32_t> parseDecimal32(std::u16string_view s) {
    if (s.empty() || s.size() > 10) return std::nullopt;
    std::uint64_t v = 0;
    for (char16_t c : s) {
        if (c < u'0' || c > u'9') return std::nullopt;
        v = v * 10 + std::uint64_t(c - u'0');
    }
    if (v > 0xFFFFFFFFu) return std::nullopt;
    return std::uint32_t(v);
}

}  // namespace

std::optional<RecoveryOwner> ownerOfStem(std::u16string_view stem) {
    const std::size_t dash = stem.find(u'-');
    if (dash == std::u16string_view::npos) return std::nullopt;
    const auto id = parseDecimal32(stem.substr(0, dash));
    const auto start = parseHex16(stem.substr(dash + 1));
    if (!id || !start) return std::nullopt;
    return RecoveryOwner{*id, *start};
}

std::optional<RecoveryOwner> ownerOfSaveTemporary(std::u16string_view documentName, std::u16string_view fileName) {
    constexpr std::u16string_view kMark = u".lumaset-", kTail = u".tmp";
    if (documentName.empty() || fileName.size() < documentName.size() + kMark.size() + kTail.size() ||
        fileName.substr(0, documentName.size()) != documentName ||
        fileName.substr(documentName.size(), kMark.size()) != kMark ||
        fileName.substr(fileName.size() - kTail.size()) != kTail)
        return std::nullopt;
    std::u16string_view rest =
        fileName.substr(documentName.size() + kMark.size(), fileName.size() - documentName.size() - kMark.size() - kTail.size());
    const std::size_t first = rest.find(u'-');
    if (first == std::u16string_view::npos) return std::nullopt;
    const auto id = parseDecimal32(rest.substr(0, first));
    rest.remove_prefix(first + 1);
    const std::size_t second = rest.find(u'-');
    if (!id) return std::nullopt;
    if (second == std::u16string_view::npos) {
        if (!parseDecimal32(rest)) return std::nullopt;
        return RecoveryOwner{*id, 0};
    }
    const auto start = parseHex16(rest.substr(0, second));
    if (!start || *start == 0 || !parseDecimal32(rest.substr(second + 1))) return std::nullopt;
    return RecoveryOwner{*id, *start};
}

std::u16string keptStem(std::u16string_view stem, std::uint64_t keptAt) {
    return std::u16string(stem) + std::u16string(kKeptMark) + hex16(keptAt);
}

std::optional<std::uint64_t> keptTimeOfStem(std::u16string_view stem) {
    const std::size_t mark = stem.rfind(kKeptMark);
    if (mark == std::u16string_view::npos) return std::nullopt;
    return parseHex16(stem.substr(mark + kKeptMark.size()));
}

}  // namespace lumaset
