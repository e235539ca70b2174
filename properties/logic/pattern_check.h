// The line beside a pattern field that says, as the user types, whether the
// pattern compiles and how much of its field the code takes.
#pragma once

#include <string>
#include <string_view>

namespace lumaset {

// The most code, end byte included, that each step accepts: the title's
// field must keep a byte spare, a message format's code fills its field.
inline constexpr int kTitleCodeLimit = 119;
inline constexpr int kMessageCodeLimit = 50;

// For the cp932 text: "OK 23/119 バイト", "長すぎます 130/119 バイト" or
// "12 文字目で変換できません" (characters counted from 1 as the field shows
// them). UTF-8.
std::string patternCheckLine(std::string_view text, int limit);

}  // namespace lumaset
