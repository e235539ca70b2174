// Helpers shared by the pattern tests: codes written as hex byte lists.
#pragma once

#include <cstdint>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

namespace lumaset::testing {

inline std::vector<std::uint8_t> hexBytes(const std::string& hex) {
    std::vector<std::uint8_t> bytes;
    std::istringstream in(hex);
    std::string byte;
    while (in >> byte) bytes.push_back(std::uint8_t(std::strtoul(byte.c_str(), nullptr, 16)));
    return bytes;
}

inline std::string toHex(const std::uint8_t* p, int n) {
    static const char digits[] = "0123456789ABCDEF";
    std::string s;
    for (int i = 0; i < n; ++i) {
        if (i) s += ' ';
        s += digits[p[i] >> 4];
        s += digits[p[i] & 15];
    }
    return s;
}

}  // namespace lumaset::testing
