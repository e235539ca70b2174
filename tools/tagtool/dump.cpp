#include "tools/tagtool/dump.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <fstream>
#include <string>
#include <string_view>

#include "document/tag_file.h"
#include "pattern/pattern_code.h"
#include "tools/tagtool/code_walk.h"
#include "tools/tagtool/cp932.h"
#include "tools/tagtool/hex.h"

namespace lumaset {

namespace {

struct RawHeader {
    bool present = false;  // all 68 bytes could be read
    std::uint32_t version = 0;
    unsigned legacyCount100 = 0, legacyCount154 = 0, syntaxCount = 0;
    unsigned messageFormatCount = 0, indexCount = 0, memoLength = 0;
};

unsigned word16(const std::uint8_t* p) { return unsigned(p[0]) | unsigned(p[1]) << 8; }

// The header's numbers as stored: the loaded document no longer knows the
// version or the legacy counts.
RawHeader readRawHeader(const std::filesystem::path& path) {
    RawHeader h;
    std::ifstream in(path, std::ios::binary);
    std::array<std::uint8_t, kTagFileHeaderSize> b{};
    if (!in.read(reinterpret_cast<char*>(b.data()), b.size())) return h;
    h.present = true;
    h.version = std::uint32_t(b[52]) | std::uint32_t(b[53]) << 8 | std::uint32_t(b[54]) << 16 |
                std::uint32_t(b[55]) << 24;
    h.legacyCount100 = word16(&b[56]);
    h.legacyCount154 = word16(&b[58]);
    h.syntaxCount = word16(&b[60]);
    h.messageFormatCount = word16(&b[62]);
    h.indexCount = word16(&b[64]);
    h.memoLength = word16(&b[66]);
    return h;
}

std::string quoted(std::string_view cp932) { return "\"" + displayText(cp932) + "\""; }

// Non-zero bytes from start to the end of the field, as hex; empty when
// there are none.
std::string nonZeroTail(const std::uint8_t* field, int start, int width) {
    int end = width;
    while (end > start && field[end - 1] == 0) --end;
    if (end <= start) return std::string();
    return formatHex(field + start, std::size_t(end - start));
}

// A text field: its text, and whatever its bytes after the NUL hold, since
// those are stored too.
std::string textField(const char* field, int width) {
    const std::string_view text = fieldText(field, std::size_t(width));
    std::string out = quoted(text);
    if (int(text.size()) == width) return out + " (no NUL)";
    const std::string tail =
        nonZeroTail(reinterpret_cast<const std::uint8_t*>(field), int(text.size()) + 1, width);
    if (!tail.empty()) out += " (after NUL: " + tail + ")";
    return out;
}

// A code field: the text it renders to, its own bytes, and any bytes left
// after its end byte.
std::string codeField(const std::uint8_t* code, int width) {
    std::array<char, kRenderAreaSize> area{};
    const int rendered = renderPattern(code, width, area.data());
    std::string out = rendered < 0 ? std::string("(cannot render)")
                                   : quoted(std::string_view(area.data(), std::size_t(rendered - 1)));
    const int length = patternCodeLength(code, width);
    if (length < 0) {
        out += " [" + nonZeroTail(code, 0, width) + "] (no end byte in the field)";
        return out;
    }
    out += " [" + formatHex(code, std::size_t(length)) + "]";
    const std::string tail = nonZeroTail(code, length, width);
    if (!tail.empty()) out += " (after the code: " + tail + ")";
    return out;
}

const char* messageKindName(std::uint8_t kind) {
    switch (kind) {
    case kNotMessage: return "not a message syntax";
    case kMessageNumberChecked: return "message syntax, number checked";
    case kMessageNumberUnchecked: return "message syntax, number not checked";
    default: return "unknown kind";
    }
}

void dumpHeader(const RawHeader& h, const Document& doc, std::ostream& out) {
    if (h.present) {
        out << "version " << h.version << "\n";
        if (h.legacyCount100 != 0 || h.legacyCount154 != 0)
            out << "legacy blocks: " << h.legacyCount100 << " of 100 bytes, " << h.legacyCount154
                << " of 154 bytes\n";
        out << "stored counts: " << h.syntaxCount << " syntaxes, " << h.indexCount
            << " indexes, " << h.messageFormatCount << " message formats, memo "
            << h.memoLength << " bytes\n";
    }
    out << "loaded: " << doc.syntaxCount() << " syntaxes, " << doc.indexCount()
        << " indexes\n";
}

void dumpMessageFormat(const SyntaxRecord& r, const std::string& pad, std::ostream& out) {
    const MessageFormat& m = r.messageFormat;
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(&m);
    const bool any = std::any_of(bytes, bytes + kMessageFormatSize, [](auto b) { return b != 0; });
    if (!any) return;
    out << pad << "message format: " << int(m.kind) << " (" << messageKindName(m.kind) << ")\n";
    out << pad << "  number " << codeField(m.numberCode, kMessageCodeSize) << "\n";
    out << pad << "  checkDate " << int(m.checkDate) << ", date "
        << codeField(m.dateCode, kMessageCodeSize) << "\n";
    out << pad << "  allowComment " << int(m.allowComment) << ", comment "
        << codeField(m.commentCode, kMessageCodeSize) << "\n";
    out << pad << "  upArrowIsComment " << int(m.upArrowIsComment) << "\n";
    const std::string reserved = nonZeroTail(m.reserved, 0, int(sizeof m.reserved));
    if (!reserved.empty()) out << pad << "  reserved " << reserved << "\n";
    if (m.reservedWord[0] != 0 || m.reservedWord[1] != 0)
        out << pad << "  reservedWord " << word16(m.reservedWord) << "\n";
}

void dumpSyntax(const Document& doc, int position, std::ostream& out) {
    const SyntaxRecord& r = *doc.syntaxAt(position);
    const std::string pad(std::size_t(r.depth) * 2, ' ');
    const std::string in = pad + "    ";
    out << pad << "syntax " << position << " " << textField(r.name, kNameSize) << "\n";
    out << in << "depth " << int(r.depth) << "\n";
    out << in << "pattern " << textField(r.pattern, kPatternSize) << "\n";
    out << in << "exitPattern " << textField(r.exitPattern, kExitPatternSize) << "\n";
    out << in << "interrupting " << int(r.interrupting) << ", jumpToChild " << int(r.jumpToChild)
        << ", colourLines " << int(r.colourLines) << "\n";
    out << in << "title " << codeField(r.titleCode, kTitleCodeSize) << "\n";
    out << in << "derived: patternLines " << int(r.patternLines) << ", titleMaxSecond "
        << int(r.titleMaxSecond) << ", patternNoSep "
        << textField(r.patternNoSep, kPatternNoSepSize) << "\n";
    // Bytes with no meaning to the editor, shown only when they hold
    // something unusual so that a difference there is not hidden.
    std::string odd;
    auto note = [&odd](const char* name, unsigned value) {
        odd += odd.empty() ? "" : ", ";
        odd += name;
        odd += ' ';
        odd += std::to_string(value);
    };
    if (r.legacyTitleSeparator != 0) note("legacyTitleSeparator", r.legacyTitleSeparator);
    if (r.reservedA != kReservedAValue) note("reservedA", r.reservedA);
    if (r.reservedB != 0) note("reservedB", r.reservedB);
    if (r.reservedC != 0) note("reservedC", r.reservedC);
    if (r.messageFormatOrdinal != 0) note("messageFormatOrdinal", r.messageFormatOrdinal);
    if (treeItemSlot(r) != 0) note("treeItem", treeItemSlot(r));
    if (!odd.empty()) out << in << "other: " << odd << "\n";
    dumpMessageFormat(r, in, out);
}

void dumpIndex(const Document& doc, int position, std::ostream& out) {
    const IndexEntry& e = *doc.indexAt(position);
    out << "index " << position << " " << textField(e.name, kIndexNameSize) << "\n";
    const int shown = std::min<int>(e.memberCount, kIndexMemberSlots);
    out << "    members " << int(e.memberCount);
    if (e.memberCount > kIndexMemberSlots) out << " (more than " << kIndexMemberSlots << ")";
    out << "\n";
    for (int i = 0; i < shown; ++i) {
        const int member = e.members[i];
        out << "      " << member << " ";
        if (member < doc.syntaxCount())
            out << quoted(fieldText(doc.syntaxAt(member)->name, kNameSize));
        else
            out << "(no such syntax)";
        out << "\n";
    }
    const std::string unused = nonZeroTail(e.members, shown, kIndexMemberSlots);
    if (!unused.empty()) out << "    unused slots " << unused << "\n";
}

// The memo line by line as the editor's edit control breaks it (CR LF); a
// lone CR or LF stays escaped within its line.
void dumpMemo(const Document& doc, std::ostream& out) {
    if (!doc.hasMemo()) {
        out << "memo: none\n";
        return;
    }
    const std::string_view memo = doc.memoText();
    out << "memo: " << memo.size() << " bytes\n";
    if (memo.empty()) return;
    std::size_t start = 0;
    while (true) {
        const std::size_t end = memo.find("\r\n", start);
        out << "  | " << displayText(memo.substr(start, end - start)) << "\n";
        if (end == std::string_view::npos) break;
        start = end + 2;
    }
}

}  // namespace

bool dumpTagFile(const std::filesystem::path& path, std::ostream& out) {
    Document doc;
    if (!loadTagFile(doc, path)) return false;
    dumpHeader(readRawHeader(path), doc, out);
    for (int i = 0; i < doc.syntaxCount(); ++i) {
        out << "\n";
        dumpSyntax(doc, i, out);
    }
    for (int i = 0; i < doc.indexCount(); ++i) {
        out << "\n";
        dumpIndex(doc, i, out);
    }
    out << "\n";
    dumpMemo(doc, out);
    return true;
}

}  // namespace lumaset
