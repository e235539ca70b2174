// Extraction patterns: compiling text to pattern code and rendering code
// back to text.
#pragma once

#include <cstdint>

namespace lumaset {

enum PatternOpcode : std::uint8_t {
    End = 0,
    SubEnd = 1,
    TextRun = 2,
    PartRef = 3,
    Pos2 = 4,
    Pos3 = 5,
    Quoted0 = 6,
    Quoted1 = 7,
    Quoted2 = 8,
    SSub = 9,
    RSub = 10,
    SNum = 11,
    RNum = 12,
    PSub = 13,
    Transparent = 14,
};

inline constexpr int kCompileAreaSize = 240;
inline constexpr int kRenderAreaSize = 240;
// Returned by compilePattern when the code does not fit the compile area.
// Greater than every caller's length limit, so it reads as "too long".
inline constexpr int kCompileOverflow = kCompileAreaSize + 1;
inline constexpr int kPatternFailed = -1;

// Compiles the NUL-terminated cp932 text into area (kCompileAreaSize bytes).
// Returns the code length including the end byte, -1 for an invalid
// pattern, or kCompileOverflow when the code would not fit.
int compilePattern(const char* text, std::uint8_t* area);

// The same compile; when it does not succeed (-1 or kCompileOverflow),
// *failedAt receives the byte offset in text at which it stopped, so that
// a caller can point at the place. The result and the code are the same as
// without it; on success *failedAt is left as it was.
int compilePattern(const char* text, std::uint8_t* area, int* failedAt);

// Renders the code, which lies in a field of fieldSize bytes, into area
// (kRenderAreaSize bytes) as NUL-terminated text. Returns the bytes written
// including the NUL, or -1 for a bad opcode, a code that runs past its field
// or a text that would not fit the area.
int renderPattern(const std::uint8_t* code, int fieldSize, char* area);

}  // namespace lumaset
