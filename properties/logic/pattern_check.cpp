#include "properties/logic/pattern_check.h"

#include <cstdint>

#include "document/records.h"
#include "pattern/pattern_code.h"

namespace lumaset {

namespace {

// Characters (a double-byte character counts once) in the first `bytes`.
int charactersBefore(std::string_view text, int bytes) {
    int characters = 0;
    for (int at = 0; at < bytes && at < int(text.size()); ++characters)
        at += isLeadByte(static_cast<unsigned char>(text[std::size_t(at)])) && at + 1 < int(text.size()) ? 2 : 1;
    return characters;
}

}  // namespace

std::string patternCheckLine(std::string_view text, int limit) {
    // The compiler reads NUL-terminated text; what the edits hold has no NUL.
    const std::string terminated(text.substr(0, text.find('\0')));
    std::uint8_t code[kCompileAreaSize];
    int failedAt = 0;
    const int length = compilePattern(terminated.c_str(), code, &failedAt);
    const std::string of = "/" + std::to_string(limit) + " バイト";
    if (length == kPatternFailed)
        return std::to_string(charactersBefore(terminated, failedAt) + 1) + " 文字目で変換できません";
    if (length == kCompileOverflow) return "長すぎます " + std::to_string(kCompileAreaSize) + " 超" + of;
    if (length > limit) return "長すぎます " + std::to_string(length) + of;
    return "OK " + std::to_string(length) + of;
}

}  // namespace lumaset
