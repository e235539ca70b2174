#include "tools/tagtool/cp932.h"

#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

namespace lumaset {

namespace {

constexpr UINT kCodePage932 = 932;

bool toWide(UINT codePage, std::string_view in, std::wstring& wide) {
    wide.clear();
    if (in.empty()) return true;
    const int n = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(),
                                      int(in.size()), nullptr, 0);
    if (n <= 0) return false;
    wide.resize(n);
    return MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, in.data(), int(in.size()),
                               wide.data(), n) == n;
}

}  // namespace

bool cp932CharToUtf8(std::string_view character, std::string& utf8) {
    utf8.clear();
    std::wstring wide;
    if (!toWide(kCodePage932, character, wide)) return false;
    if (wide.empty()) return true;
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), nullptr, 0,
                                      nullptr, nullptr);
    if (n <= 0) return false;
    utf8.resize(n);
    return WideCharToMultiByte(CP_UTF8, 0, wide.data(), int(wide.size()), utf8.data(), n,
                               nullptr, nullptr) == n;
}

bool utf8ToCp932(std::string_view utf8, std::string& cp932) {
    cp932.clear();
    std::wstring wide;
    if (!toWide(CP_UTF8, utf8, wide)) return false;
    if (wide.empty()) return true;
    // No best-fit: a character without an exact cp932 form is an error, not
    // a look-alike.
    BOOL usedDefault = FALSE;
    const int n = WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, wide.data(),
                                      int(wide.size()), nullptr, 0, nullptr, &usedDefault);
    if (n <= 0 || usedDefault) return false;
    cp932.resize(n);
    return WideCharToMultiByte(kCodePage932, WC_NO_BEST_FIT_CHARS, wide.data(),
                               int(wide.size()), cp932.data(), n, nullptr, &usedDefault) == n &&
           !usedDefault;
}

}  // namespace lumaset
