// Reading and writing .tag colour-syntax definition files.
#pragma once

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "document/document.h"

namespace lumaset {

inline constexpr char kTagFileMagic[] = "Tarvelon Solvantra Tag file header.";
inline constexpr int kTagFileHeaderSize = 68;
inline constexpr std::uint32_t kCurrentTagVersion = 4107;
inline constexpr std::uint32_t kOldestSpecialVersion = 4096;
inline constexpr int kMaxMemoLength = 65535;  // memoLength is 16 bits, NUL included

// Loads the file into doc. On failure a message has been shown and doc is a
// new document.
bool loadTagFile(Document& doc, const std::filesystem::path& path);

// The same reader over bytes already in memory (fuzzing, tests). displayName
// heads the messages as the path would.
bool loadTagFileFromBytes(Document& doc, std::span<const std::uint8_t> bytes,
                          const std::string& displayName);

// Writes doc as version 4107. The previous file survives any failure. On
// failure a message has been shown; only messageFormatOrdinal may have changed.
bool saveTagFile(Document& doc, const std::filesystem::path& path);

// The same file for a recovery copy, with the memo given (the memo edit's
// text, which the document gets only at a save): quiet, since a copy is
// written a second after each change, and doc is left as it is.
// written, when given, receives the bytes written.
bool writeTagFileCopy(const Document& doc, std::optional<std::string_view> memo, const std::filesystem::path& path,
                      std::vector<std::uint8_t>* written = nullptr);

// How much of a current-version file bytes hold: what the header promises,
// and how many of its syntax records are there whole. nullopt when the
// bytes do not start with a current-version header.
struct TagFileExtent {
    std::uint64_t promisedSize = 0;
    int syntaxCount = 0;
    int wholeRecords = 0;
};
std::optional<TagFileExtent> currentTagFileExtent(std::span<const std::uint8_t> bytes);

}  // namespace lumaset
