// Finding where a stored pattern code ends, so that a listing can show the
// code's own bytes apart from whatever the rest of its field holds.
#pragma once

#include <cstdint>

namespace lumaset {

// Length of the code in its field, end byte included, or -1 when the code
// holds a byte that is not an opcode or runs past the field.
int patternCodeLength(const std::uint8_t* code, int fieldSize);

}  // namespace lumaset
