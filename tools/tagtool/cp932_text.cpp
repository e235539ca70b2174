#include "tools/tagtool/cp932.h"

#include <cstdio>

namespace lumaset {

namespace {

void appendByteEscape(std::string& out, unsigned char b) {
    char buf[5];
    std::snprintf(buf, sizeof buf, "\\x%02X", b);
    out += buf;
}

// Lead and trail ranges of the code page itself. 0x80, 0xA0 and 0xFD-0xFF
// are not characters there, though the editor steps over them as lead bytes.
bool isCp932Lead(unsigned char b) {
    return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
}

bool isCp932Trail(unsigned char b) {
    return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
}

bool isHalfWidthKana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }

}  // namespace

std::string displayText(std::string_view text) {
    std::string out;
    std::string utf8;
    out.reserve(text.size() + text.size() / 2);
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\\') {
            out += "\\\\";
            ++i;
        } else if (b == '"') {
            out += "\\\"";
            ++i;
        } else if (b < 0x20 || b == 0x7F) {
            appendByteEscape(out, b);
            ++i;
        } else if (b < 0x80) {
            out += char(b);
            ++i;
        } else if (isHalfWidthKana(b) && cp932CharToUtf8(text.substr(i, 1), utf8)) {
            out += utf8;
            ++i;
        } else if (isCp932Lead(b) && i + 1 < text.size() &&
                   isCp932Trail(static_cast<unsigned char>(text[i + 1])) &&
                   cp932CharToUtf8(text.substr(i, 2), utf8)) {
            out += utf8;
            i += 2;
        } else {
            // Only the offending byte is escaped; the next one may start a
            // character of its own.
            appendByteEscape(out, b);
            ++i;
        }
    }
    return out;
}

}  // namespace lumaset
