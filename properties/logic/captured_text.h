// What a capture from the terminal types into a pattern field: the screen
// text as a pattern that matches it literally, and a position element.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace lumaset {

// The cp932 text with every pattern special character escaped and each
// CR LF written as the \n escape. A double-byte character is copied whole,
// its second byte never escaped; a lead byte with nothing after it ends the
// output. The result is at most twice as long as the text.
std::string escapeCapturedText(std::string_view text);

// The title position element for the terminal's packed answer: bits 0-7 the
// first number, 8-15 the second, 16-23 the third (0: none). Empty for 0.
std::string positionElementText(std::uint32_t packed);

}  // namespace lumaset
