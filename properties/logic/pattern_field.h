// The pattern field's two forms: stored, one line in which `\n` escapes
// stand for line breaks; shown, with a real line break (CR LF) after such an
// escape so that a multi-line pattern reads as lines.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace lumaset {

// Breaks inserted when a stored pattern is first shown; more than that would
// make a long pattern scroll before the user has touched it.
inline constexpr int kShownPatternBreaks = 3;

// The stored cp932 pattern as the field shows it: CR LF after each of the
// first three `\n` escapes.
std::string showPatternField(std::string_view stored);

// The field's cp932 text as it is stored: every CR LF removed, cut to
// size - 1 bytes on a character boundary.
std::string readPatternField(std::string_view shown, std::size_t size);

struct ReflowResult {
    std::wstring text;
    std::size_t caret = 0;
    bool changed = false;
};

// After an edit every `\n` escape has its line break. The caret (an index
// into text) stays before an insertion after it and moves past the whole
// break inserted at or before it, so typing goes on on the new line.
ReflowResult reflowPatternField(std::wstring_view text, std::size_t caret);

}  // namespace lumaset
