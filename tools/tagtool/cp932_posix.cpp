#include "tools/tagtool/cp932.h"

#include <iconv.h>

#include <cerrno>

namespace lumaset {

namespace {

class Converter {
public:
    Converter(const char* to, const char* from) : cd_(iconv_open(to, from)) {}
    ~Converter() {
        if (ok()) iconv_close(cd_);
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool ok() const { return cd_ != reinterpret_cast<iconv_t>(-1); }

    // Converts all of in, or fails at the first byte that does not convert.
    bool run(std::string_view in, std::string& out) {
        out.clear();
        if (!ok()) return false;
        char* src = const_cast<char*>(in.data());
        std::size_t srcLeft = in.size();
        char buf[256];
        while (srcLeft > 0) {
            char* dst = buf;
            std::size_t dstLeft = sizeof buf;
            const std::size_t r = iconv(cd_, &src, &srcLeft, &dst, &dstLeft);
            out.append(buf, dst - buf);
            if (r == static_cast<std::size_t>(-1) && errno != E2BIG) return false;
        }
        char* dst = buf;
        std::size_t dstLeft = sizeof buf;
        if (iconv(cd_, nullptr, nullptr, &dst, &dstLeft) == static_cast<std::size_t>(-1))
            return false;
        out.append(buf, dst - buf);
        return true;
    }

private:
    iconv_t cd_;
};

}  // namespace

bool cp932CharToUtf8(std::string_view character, std::string& utf8) {
    Converter c("UTF-8", "CP932");
    return c.run(character, utf8);
}

bool utf8ToCp932(std::string_view utf8, std::string& cp932) {
    Converter c("CP932", "UTF-8");
    return c.run(utf8, cp932);
}

}  // namespace lumaset
