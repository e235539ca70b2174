#include "properties/logic/pattern_field.h"

#include <algorithm>

#include "document/records.h"

namespace lumaset {

namespace {

constexpr char kBackslash = '\\';

std::size_t charWidth(std::string_view text, std::size_t at) {
    // A lead byte at the very end stands alone.
    return isLeadByte(static_cast<unsigned char>(text[at])) && at + 1 < text.size() ? 2 : 1;
}

}  // namespace

std::string showPatternField(std::string_view stored) {
    std::string shown;
    shown.reserve(stored.size() + 2 * kShownPatternBreaks);
    int breaks = 0;
    std::size_t i = 0;
    while (i < stored.size()) {
        if (stored[i] == kBackslash && i + 1 < stored.size()) {
            // A backslash and the whole character after it are one unit, so
            // an escaped double-byte character's trail is never read as a
            // backslash of its own.
            const char escaped = stored[i + 1];
            const std::size_t unit = 1 + charWidth(stored, i + 1);
            shown += stored.substr(i, unit);
            i += unit;
            if (escaped == 'n' && breaks < kShownPatternBreaks) {
                shown += "\r\n";
                ++breaks;
            }
            continue;
        }
        const std::size_t width = charWidth(stored, i);
        shown += stored.substr(i, width);
        i += width;
    }
    return shown;
}

std::string readPatternField(std::string_view shown, std::size_t size) {
    std::string stored;
    stored.reserve(shown.size());
    std::size_t i = 0;
    while (i < shown.size()) {
        if (shown[i] == '\r' && i + 1 < shown.size() && shown[i + 1] == '\n') {
            i += 2;
            continue;
        }
        const std::size_t width = charWidth(shown, i);
        stored += shown.substr(i, width);
        i += width;
    }
    if (size == 0) return {};
    // Cut on a character boundary, never between a lead and its trail byte.
    std::size_t keep = 0;
    while (keep < stored.size()) {
        const std::size_t width = charWidth(stored, keep);
        if (keep + width > size - 1) break;
        keep += width;
    }
    stored.resize(keep);
    return stored;
}

ReflowResult reflowPatternField(std::wstring_view text, std::size_t caret) {
    ReflowResult result;
    result.text.reserve(text.size() + 16);
    result.caret = caret;
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] != L'\\' || i + 1 >= text.size()) {
            result.text += text[i++];
            continue;
        }
        const bool lineEscape = text[i + 1] == L'n';
        result.text += text.substr(i, 2);
        i += 2;
        if (!lineEscape) continue;
        if (i < text.size() && text[i] == L'\r') {
            // The break is already there.
            result.text += text.substr(i, std::min<std::size_t>(2, text.size() - i));
            i += 2;
            continue;
        }
        // i is the insertion point in the original text.
        result.text += L"\r\n";
        if (caret >= i) result.caret += 2;
        result.changed = true;
    }
    return result;
}

}  // namespace lumaset
