#include <iconv.h>

#include <string>
#include <string_view>

namespace lumaset {

bool convertCp932Char(std::string_view character, std::string& utf8) {
    // One descriptor per thread: opening one costs more than a character.
    thread_local iconv_t cd = iconv_open("UTF-8", "CP932");
    utf8.clear();
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    char in[2];
    const std::size_t n = character.copy(in, sizeof in);
    char out[8];
    char* src = in;
    char* dst = out;
    std::size_t srcLeft = n;
    std::size_t dstLeft = sizeof out;
    if (iconv(cd, &src, &srcLeft, &dst, &dstLeft) == static_cast<std::size_t>(-1)) return false;
    if (srcLeft != 0) return false;
    utf8.assign(out, std::size_t(dst - out));
    return true;
}

}  // namespace lumaset
