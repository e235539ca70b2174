#include "ui/text_convert.h"

#include <windows.h>

#include "document/records.h"

namespace lumaset {

namespace {

std::wstring toWide(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) return {};
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), nullptr, 0);
    if (n <= 0) return {};
    std::wstring out(std::size_t(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), int(bytes.size()), out.data(), n);
    return out;
}

std::string fromWide(UINT codePage, std::wstring_view text) {
    if (text.empty()) return {};
    const int n = WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), nullptr, 0, nullptr, nullptr);
    if (n <= 0) return {};
    std::string out(std::size_t(n), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), int(text.size()), out.data(), n, nullptr, nullptr);
    return out;
}

}  // namespace

std::wstring wideFromCp932(std::string_view bytes) { return toWide(kCodePageShiftJis, bytes); }
std::string cp932FromWide(std::wstring_view text) { return fromWide(kCodePageShiftJis, text); }
std::wstring wideFromUtf8(std::string_view text) { return toWide(CP_UTF8, text); }
std::string utf8FromWide(std::wstring_view text) { return fromWide(CP_UTF8, text); }

std::size_t cp932Length(std::wstring_view text) {
    if (text.empty()) return 0;
    const int n = WideCharToMultiByte(kCodePageShiftJis, 0, text.data(), int(text.size()), nullptr, 0,
                                      nullptr, nullptr);
    return n > 0 ? std::size_t(n) : 0;
}

std::string_view cutCp932(std::string_view bytes, std::size_t maxBytes) {
    if (bytes.size() <= maxBytes) return bytes;
    std::size_t i = 0;
    while (i < maxBytes) {
        const std::size_t width = isLeadByte(static_cast<unsigned char>(bytes[i])) ? 2 : 1;
        if (i + width > maxBytes) break;
        i += width;
    }
    return bytes.substr(0, i);
}

std::wstring windowText(HWND window) {
    const int length = GetWindowTextLengthW(window);
    std::wstring text(std::size_t(length > 0 ? length : 0) + 1, L'\0');
    const int got = GetWindowTextW(window, text.data(), int(text.size()));
    text.resize(std::size_t(got > 0 ? got : 0));
    return text;
}

std::wstring_view cutWideToCp932Bytes(std::wstring_view text, std::size_t maxBytes) {
    if (cp932Length(text) <= maxBytes) return text;
    // Walk by code point: a surrogate pair stays whole.
    std::size_t used = 0, i = 0;
    while (i < text.size()) {
        std::size_t units = 1;
        if (IS_HIGH_SURROGATE(text[i]) && i + 1 < text.size() && IS_LOW_SURROGATE(text[i + 1])) units = 2;
        const std::size_t width = cp932Length(text.substr(i, units));
        if (used + width > maxBytes) break;
        used += width;
        i += units;
    }
    return text.substr(0, i);
}

}  // namespace lumaset
