// Hex byte lines as tagtool reads and writes them.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumaset {

// Two hex digits a byte, either case, spaces and tabs anywhere between bytes.
// False for any other character or an odd digit.
bool parseHexLine(std::string_view line, std::vector<std::uint8_t>& bytes);

// Upper-case two-digit bytes separated by single spaces ("02 03 61").
std::string formatHex(const std::uint8_t* bytes, std::size_t count);

}  // namespace lumaset
