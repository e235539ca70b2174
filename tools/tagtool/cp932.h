// cp932 <-> UTF-8 for tagtool and the example generator. Stored text stays
// cp932; only what we print, or read from our own UTF-8 sources, is converted.
// The platform file (cp932_posix.cpp or cp932_win32.cpp) supplies the two
// conversions; the escaping on top of them is shared (cp932_text.cpp).
#pragma once

#include <string>
#include <string_view>

namespace lumaset {

// One cp932 character (a single byte, or a lead byte and its trail) as UTF-8.
// False when the code page has no character for those bytes.
bool cp932CharToUtf8(std::string_view character, std::string& utf8);

// UTF-8 text to cp932. False when the text is not UTF-8 or holds a character
// that cp932 cannot represent exactly (no best-fit substitutes).
bool utf8ToCp932(std::string_view utf8, std::string& cp932);

// Readable, unambiguous UTF-8 for stored cp932 bytes: a backslash becomes
// \\, a double quote \", control characters and every byte that is not part
// of a valid cp932 character \xNN. Nothing is dropped.
std::string displayText(std::string_view cp932);

}  // namespace lumaset
