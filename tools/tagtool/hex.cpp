#include "tools/tagtool/hex.h"

namespace lumaset {

namespace {

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool parseHexLine(std::string_view line, std::vector<std::uint8_t>& bytes) {
    bytes.clear();
    std::size_t i = 0;
    while (i < line.size()) {
        if (line[i] == ' ' || line[i] == '\t') {
            ++i;
            continue;
        }
        // A byte's two digits stay together: "0 2" is not a byte.
        if (i + 1 >= line.size()) return false;
        const int hi = hexValue(line[i]);
        const int lo = hexValue(line[i + 1]);
        if (hi < 0 || lo < 0) return false;
        bytes.push_back(std::uint8_t(hi * 16 + lo));
        i += 2;
    }
    return true;
}

std::string formatHex(const std::uint8_t* bytes, std::size_t count) {
    static const char digits[] = "0123456789ABCDEF";
    std::string out;
    out.reserve(count * 3);
    for (std::size_t i = 0; i < count; ++i) {
        if (i > 0) out += ' ';
        out += digits[bytes[i] >> 4];
        out += digits[bytes[i] & 15];
    }
    return out;
}

}  // namespace lumaset
