#include "tools/tagtool/text_value.h"

#include <cstdio>
#include <unordered_map>

#include "tools/tagtool/cp932.h"
#include "tools/tagtool/hex.h"

namespace lumaset {

namespace {

bool isCp932Lead(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }
bool isCp932Trail(unsigned char b) { return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC); }
bool isHalfWidthKana(unsigned char b) { return b >= 0xA1 && b <= 0xDF; }
bool isControl(unsigned char b) { return b < 0x20 || b == 0x7F; }

// The UTF-8 of one cp932 character, or empty when it has none that
// converts back to the same bytes (some characters have two codes in the
// code page, and only one of them comes back). Converting is slow, and a
// text repeats its characters, so each answer is kept.
const std::string& exactUtf8(std::string_view character) {
    static std::unordered_map<std::uint16_t, std::string> cache;
    std::uint16_t key = static_cast<unsigned char>(character[0]);
    if (character.size() == 2) key = std::uint16_t(key << 8 | static_cast<unsigned char>(character[1]));
    auto found = cache.find(key);
    if (found != cache.end()) return found->second;
    std::string utf8, back;
    if (!cp932CharToUtf8(character, utf8) || !utf8ToCp932(utf8, back) || back != character) utf8.clear();
    return cache.emplace(key, std::move(utf8)).first->second;
}

// The cp932 bytes of one UTF-8 character, or empty when there are none.
const std::string& cp932Of(std::string_view utf8) {
    static std::unordered_map<std::string, std::string> cache;
    auto found = cache.find(std::string(utf8));
    if (found != cache.end()) return found->second;
    std::string bytes;
    if (!utf8ToCp932(utf8, bytes)) bytes.clear();
    return cache.emplace(std::string(utf8), std::move(bytes)).first->second;
}

// Length of the cp932 character at i, and whether it has an exact UTF-8
// form; 0 for a byte that must be escaped.
std::size_t characterAt(std::string_view text, std::size_t i, const std::string** utf8) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b < 0x80) return isControl(b) ? 0 : 1;
    std::size_t n = 0;
    if (isHalfWidthKana(b)) n = 1;
    else if (isCp932Lead(b) && i + 1 < text.size() && isCp932Trail(static_cast<unsigned char>(text[i + 1]))) n = 2;
    if (n == 0) return 0;
    const std::string& u = exactUtf8(text.substr(i, n));
    if (u.empty()) return 0;
    *utf8 = &u;
    return n;
}

void appendByteEscape(std::string& out, unsigned char b) {
    char buf[5];
    std::snprintf(buf, sizeof buf, "\\x%02X", b);
    out += buf;
}

std::size_t utf8Length(unsigned char b) {
    if (b < 0x80) return 1;
    if ((b & 0xE0) == 0xC0) return 2;
    if ((b & 0xF0) == 0xE0) return 3;
    if ((b & 0xF8) == 0xF0) return 4;
    return 0;
}

int hexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

bool isLiteral(std::string_view text, ValueStyle style) {
    if (style != ValueStyle::Line) {
        if (text.empty() || text.front() == ' ' || text.back() == ' ' || text.front() == '"') return false;
        if (style == ValueStyle::Code && text.front() == '[') return false;
    }
    for (std::size_t i = 0; i < text.size();) {
        const std::string* utf8 = nullptr;
        const std::size_t n = characterAt(text, i, &utf8);
        if (n == 0) return false;
        i += n;
    }
    return true;
}

std::string escapedText(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 2);
    for (std::size_t i = 0; i < text.size();) {
        const auto b = static_cast<unsigned char>(text[i]);
        const std::string* utf8 = nullptr;
        const std::size_t n = characterAt(text, i, &utf8);
        if (n == 0) {
            appendByteEscape(out, b);
            ++i;
            continue;
        }
        if (b == '\\') out += "\\\\";
        else if (b == '"') out += "\\\"";
        else if (utf8 != nullptr) out += *utf8;
        else out += char(b);
        i += n;
    }
    return out;
}

std::string formatValue(std::string_view text, ValueStyle style) {
    if (isLiteral(text, style)) {
        std::string out;
        out.reserve(text.size() + text.size() / 2);
        for (std::size_t i = 0; i < text.size();) {
            const std::string* utf8 = nullptr;
            const std::size_t n = characterAt(text, i, &utf8);
            if (utf8 != nullptr) out += *utf8;
            else out += text[i];
            i += n;
        }
        return out;
    }
    return "\"" + escapedText(text) + "\"";
}

bool decodeValue(std::string_view line, int start, LineSyntax syntax, DecodedValue& value, ValueError& error) {
    value = DecodedValue{};
    std::size_t i = std::size_t(start);
    bool escapes = syntax == LineSyntax::EscapedLine;
    value.quoted = syntax == LineSyntax::Value && i < line.size() && line[i] == '"';
    if (value.quoted) {
        ++i;
        escapes = true;
    } else if (syntax == LineSyntax::Value) {
        // Blanks that an editor may add or drop at a line's end are no part
        // of a literal value; text that ends in one is written quoted.
        std::size_t end = line.size();
        while (end > i && (line[end - 1] == ' ' || line[end - 1] == '\t')) --end;
        line = line.substr(0, end);
    }
    auto fail = [&error](std::string message, std::size_t column) {
        error.message = std::move(message);
        error.column = int(column);
        return false;
    };
    bool closed = false;
    while (i < line.size()) {
        const char c = line[i];
        if (value.quoted && c == '"') {
            closed = true;
            ++i;
            break;
        }
        if (escapes && c == '\\') {
            const char x = i + 1 < line.size() ? line[i + 1] : '\0';
            if (x == '\\' || x == '"') {
                value.cp932 += x;
                value.columns.push_back(int(i));
                i += 2;
                continue;
            }
            if (x == 'x' && i + 3 < line.size() && hexDigit(line[i + 2]) >= 0 && hexDigit(line[i + 3]) >= 0) {
                value.cp932 += char(hexDigit(line[i + 2]) * 16 + hexDigit(line[i + 3]));
                value.columns.push_back(int(i));
                i += 4;
                continue;
            }
            return fail("unknown escape (write \\\\, \\\" or \\xNN)", i);
        }
        const std::size_t n = utf8Length(static_cast<unsigned char>(c));
        if (n == 0 || i + n > line.size()) return fail("the text is not UTF-8", i);
        const std::string_view character = line.substr(i, n);
        if (n == 1) {
            value.cp932 += c;
            value.columns.push_back(int(i));
        } else {
            const std::string& bytes = cp932Of(character);
            if (bytes.empty()) return fail("this character has no cp932 form", i);
            value.cp932 += bytes;
            value.columns.insert(value.columns.end(), bytes.size(), int(i));
        }
        i += n;
    }
    if (value.quoted && !closed) return fail("the closing quote is missing", line.size());
    value.columns.push_back(int(i));
    if (value.quoted) {
        while (i < line.size() && line[i] == ' ') ++i;
        std::size_t end = line.size();
        while (end > i && line[end - 1] == ' ') --end;
        value.suffix = std::string(line.substr(i, end - i));
        value.suffixColumn = int(i);
    }
    return true;
}

bool parseHexBytes(std::string_view text, int start, std::vector<std::uint8_t>& bytes, int& badColumn) {
    bytes.clear();
    std::size_t i = 0;
    while (i < text.size()) {
        if (text[i] == ' ') {
            ++i;
            continue;
        }
        if (i + 1 >= text.size() || hexDigit(text[i]) < 0 || hexDigit(text[i + 1]) < 0 ||
            (i + 2 < text.size() && text[i + 2] != ' ')) {
            badColumn = start + int(i);
            return false;
        }
        bytes.push_back(std::uint8_t(hexDigit(text[i]) * 16 + hexDigit(text[i + 1])));
        i += 2;
    }
    return true;
}

int characterColumn(std::string_view line, int byteOffset) {
    int column = 1;
    for (int i = 0; i < byteOffset && i < int(line.size()); ++i)
        if ((static_cast<unsigned char>(line[i]) & 0xC0) != 0x80) ++column;
    return column;
}

}  // namespace lumaset
