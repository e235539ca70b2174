// Values of the syntax-set text form: stored cp932 bytes written as UTF-8,
// literally where that is exact, otherwise quoted with escapes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lumaset {

enum class ValueStyle {
    Field,  // a one-line value: literal when it can be, else "quoted"
    Code,   // as Field, but a leading '[' also needs quotes (raw hex form)
    Line,   // a memo line: never quoted, escapes only in an escaped memo
};

// True when the cp932 text can be written literally: every character has
// an exact UTF-8 form that converts back to the same bytes, there are no
// control characters, and (for one-line values) nothing that would read as
// another form or vanish in an editor (leading or trailing blanks, a
// leading quote, an empty value).
bool isLiteral(std::string_view cp932, ValueStyle style);

// The text as UTF-8 with \\, \" and \xNN escapes (no surrounding quotes).
std::string escapedText(std::string_view cp932);

// The value as it is written: literal, or in double quotes with escapes.
std::string formatValue(std::string_view cp932, ValueStyle style);

// A value read back. columns[i] is the byte offset in the source line of
// the character that gave cp932 byte i; columns has one entry more, the
// offset just after the text.
struct DecodedValue {
    std::string cp932;
    std::vector<int> columns;
    bool quoted = false;
    std::string suffix;  // what follows a quoted string, blanks trimmed
    int suffixColumn = 0;
};

struct ValueError {
    std::string message;
    int column = 0;  // byte offset in the line
};

enum class LineSyntax {
    Value,        // a quoted string with its suffix, or the rest of the line
                  // without trailing blanks, taken literally
    MemoLine,     // the whole line, exactly
    EscapedLine,  // the whole line with \\, \" and \xNN escapes
};

// Decodes the value that starts at byte offset start of line.
bool decodeValue(std::string_view line, int start, LineSyntax syntax, DecodedValue& value,
                 ValueError& error);

// Parses "12 AB ..." into bytes; false (and the column of the bad byte)
// for anything else.
bool parseHexBytes(std::string_view text, int start, std::vector<std::uint8_t>& bytes,
                   int& badColumn);

// Column for people: the 1-based character number of a byte offset in a
// UTF-8 line.
int characterColumn(std::string_view line, int byteOffset);

}  // namespace lumaset
