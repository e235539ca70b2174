// The side file of a recovery copy: whose copy it is, of which document,
// when it last changed, and the property pane's unapplied edit. It is read
// back by another process after a crash, so it is outside data: the reader
// checks every count against the bytes there.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace lumaset {

inline constexpr std::size_t kRecoveryTextLimit = 65535;  // code units per text
inline constexpr std::size_t kRecoveryFormatSize = 234;   // a MessageFormat's bytes

// What the pane shows and has not applied: enough to put it back as the
// user left it and apply it.
struct RecoveryDraft {
    std::int32_t selection = -1;  // the record the pane shows
    std::u16string name, pattern, exitPattern, title, colourLines;
    bool interrupting = false;
    bool jumpToChild = false;
    bool messageSyntax = false;
    std::array<std::uint8_t, kRecoveryFormatSize> messageFormat{};
    bool operator==(const RecoveryDraft&) const = default;
};

// A file on disk as the editor last read or saved it: a checkout or
// another editor that writes it afterwards changes one or the other.
struct FileStamp {
    std::uint64_t size = 0;
    std::uint64_t writeTime = 0;  // FILETIME ticks, UTC
    bool operator==(const FileStamp&) const = default;
};

struct RecoveryInfo {
    std::uint32_t processId = 0;
    std::uint64_t processStart = 0;  // FILETIME ticks, tells a reused id apart
    std::uint64_t changedAt = 0;     // FILETIME ticks, UTC
    std::u16string documentPath;     // empty: untitled
    // The size and checksum of the copy written just before this side file:
    // an end between the two writes, or a copy cut short, shows as a
    // difference. Side files of the first layout have no checksum.
    std::uint64_t copySize = 0;
    std::optional<std::uint64_t> copyChecksum;
    // documentPath as last read or saved; nullopt when there was none to
    // read, or the side file is of the first layout.
    std::optional<FileStamp> original;
    std::optional<RecoveryDraft> draft;
    bool operator==(const RecoveryInfo&) const = default;
};

// Writes the current layout.
std::vector<std::uint8_t> encodeRecoveryInfo(const RecoveryInfo& info);
// False for anything but a whole side file of this program, of either
// layout: a short, foreign or damaged one, an over-long text, bytes left over.
bool decodeRecoveryInfo(std::span<const std::uint8_t> bytes, RecoveryInfo& info);
// What a side file says of its copy's bytes (FNV-1a, 64 bits).
std::uint64_t recoveryChecksum(std::span<const std::uint8_t> bytes);

// The names in the recovery folder. A running editor's copy is
// "<process id>-<start ticks, 16 hex>.tag" with its side file ".info"
// beside it; a copy the user declined is renamed with ".kept-<ticks>"
// before the extension, so it is offered no more and can age out.
struct RecoveryOwner {
    std::uint32_t processId = 0;
    std::uint64_t processStart = 0;
    bool operator==(const RecoveryOwner&) const = default;
};
inline constexpr std::u16string_view kRecoveryCopyExtension = u".tag";
inline constexpr std::u16string_view kKeptMark = u".kept-";
inline constexpr std::u16string_view kRecoveryInfoExtension = u".info";

std::u16string recoveryStem(const RecoveryOwner& owner);
// The owner of a copy's stem; nullopt for any other name (kept copies too).
std::optional<RecoveryOwner> ownerOfStem(std::u16string_view stem);
std::u16string keptStem(std::u16string_view stem, std::uint64_t keptAt);
// When a kept copy was put aside; nullopt for any other name.
std::optional<std::uint64_t> keptTimeOfStem(std::u16string_view stem);

// The owner of a temporary file that a save leaves beside documentName
// while it writes ("<name>.lumaset-<id>-<start, 16 hex>-<n>.tmp"); the
// layout of earlier versions ("<name>.lumaset-<id>-<n>.tmp") gives a
// processStart of 0, unknown. nullopt for any other name.
std::optional<RecoveryOwner> ownerOfSaveTemporary(std::u16string_view documentName, std::u16string_view fileName);

inline constexpr std::uint64_t kTicksPerDay = 864000000000ULL;
inline constexpr std::uint64_t kKeptCopyDays = 30;

}  // namespace lumaset
