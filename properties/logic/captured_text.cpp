#include "properties/logic/captured_text.h"

namespace lumaset {

namespace {

bool isLeadByte(unsigned char byte) { return (byte >= 0x81 && byte <= 0x9F) || byte >= 0xE0; }

bool isSpecial(unsigned char byte) {
    switch (byte) {
    case '(': case ')': case '\\': case '[': case ']': case '^':
    case '$': case '.': case '*': case '+': case '?': case '|':
        return true;
    }
    return false;
}

}  // namespace

std::string escapeCapturedText(std::string_view text) {
    std::string out;
    out.reserve(text.size() * 2);
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (isLeadByte(byte)) {
            if (i + 1 >= text.size()) break;  // half a character: drop it
            out += text[i];
            out += text[++i];
        } else if (byte == '\r' && i + 1 < text.size() && text[i + 1] == '\n') {
            out += "\\n";
            ++i;
        } else {
            if (isSpecial(byte)) out += '\\';
            out += text[i];
        }
    }
    return out;
}

std::string positionElementText(std::uint32_t packed) {
    if (packed == 0) return {};
    const unsigned first = packed & 0xFF;
    const unsigned second = (packed >> 8) & 0xFF;
    const unsigned third = (packed >> 16) & 0xFF;
    std::string text = "\\(" + std::to_string(first) + "," + std::to_string(second);
    if (third != 0) text += "," + std::to_string(third);
    return text + ")";
}

}  // namespace lumaset
