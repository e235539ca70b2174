// Fields of a SyntaxRecord derived from its pattern and title code.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "document/document.h"

namespace lumaset {

// Lines the match pattern spans beyond the first (number of \n, with
// alternatives counted by their longest branch).
int countPatternLines(std::string_view pattern);

// The pattern with every \f separator pair removed.
std::string removeSeparators(std::string_view pattern);

// Largest second number of the position elements in the code, or -1 when
// the code leaves it open. The walk stays inside the field; a code that runs
// off its end counts as open too. An opcode above 14 is reported as
// "Internal error" and yields 0, unless the caller has said so already.
enum class DamageReport { Show, Quiet };
int scanTitleCode(const std::uint8_t* code, int fieldSize, DamageReport report = DamageReport::Show);

// Recomputes patternLines, patternNoSep and titleMaxSecond of one record.
void deriveRecordFields(Document& doc, int position, DamageReport report = DamageReport::Show);

}  // namespace lumaset
