#include "document/cp932_convert.h"

#include "document/records.h"

namespace lumaset {

// One character; the platform file supplies it.
bool convertCp932Char(std::string_view character, std::string& utf8);

std::string cp932ToUtf8(std::string_view cp932) {
    static constexpr char kReplacement[] = "\xEF\xBF\xBD";
    std::string out;
    std::string one;
    out.reserve(cp932.size() * 3 / 2);
    for (std::size_t i = 0; i < cp932.size();) {
        const unsigned char c = static_cast<unsigned char>(cp932[i]);
        if (c < 0x80) {
            out += char(c);
            ++i;
            continue;
        }
        const std::size_t n = isLeadByte(c) && i + 1 < cp932.size() ? 2 : 1;
        if (convertCp932Char(cp932.substr(i, n), one) && !one.empty())
            out += one;
        else
            out += kReplacement;
        i += n;
    }
    return out;
}

}  // namespace lumaset
