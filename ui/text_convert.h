// Conversions at the user-interface boundary. Stored text is cp932 (code page
// 932 named explicitly, never the system's ANSI code page); the windows are
// UTF-16; the program's own texts are UTF-8.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <string_view>

namespace lumaset {

inline constexpr unsigned kCodePageShiftJis = 932;

std::wstring wideFromCp932(std::string_view bytes);
std::string cp932FromWide(std::wstring_view text);
std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);

// How many cp932 bytes the text takes.
std::size_t cp932Length(std::wstring_view text);
// The longest head of bytes that fits in maxBytes without splitting a
// double-byte character.
std::string_view cutCp932(std::string_view bytes, std::size_t maxBytes);
// The longest head of text whose cp932 form fits in maxBytes.
std::wstring_view cutWideToCp932Bytes(std::wstring_view text, std::size_t maxBytes);

// A window's or control's whole text.
std::wstring windowText(HWND window);

}  // namespace lumaset
