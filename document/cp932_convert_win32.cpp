#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <string>
#include <string_view>

namespace lumaset {

bool convertCp932Char(std::string_view character, std::string& utf8) {
    utf8.clear();
    wchar_t wide[2];
    const int w = MultiByteToWideChar(932, MB_ERR_INVALID_CHARS, character.data(),
                                      int(character.size()), wide, 2);
    if (w <= 0) return false;
    char out[8];
    const int n = WideCharToMultiByte(CP_UTF8, 0, wide, w, out, int(sizeof out), nullptr, nullptr);
    if (n <= 0) return false;
    utf8.assign(out, std::size_t(n));
    return true;
}

}  // namespace lumaset
