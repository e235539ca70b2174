// Edits whose text is stored as cp932 bytes: they refuse what the file could
// not hold, as an edit on a Japanese system refuses input at its byte limit,
// instead of the text changing silently on save.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace lumaset {

struct Cp932InputRule {
    std::size_t maxBytes = 0;     // stored bytes the field holds
    bool lineBreaksFree = false;  // CR LF is display only (the pattern field)
};

// Typing a character cp932 has no code for, or one past the limit, beeps,
// says why in a balloon once per burst and inserts nothing; a paste inserts what fits and says once when characters
// were left out.
void installCp932Input(HWND edit, Cp932InputRule rule);

// True when every character of the text survives a trip through cp932.
bool fitsCp932(std::wstring_view text);
// The text without the characters cp932 has no code for.
std::wstring keepCp932Characters(std::wstring_view text, bool* droppedAny = nullptr);

// The balloon on a refused key.
inline constexpr wchar_t kCannotStoreCharacterText[] = L"この文字はファイルに保存できません。";
inline constexpr wchar_t kFieldFullText[] = L"これ以上入力できません。";

inline constexpr wchar_t kCharactersLeftOutText[] =
    L"ファイルに保存できない文字が含まれていたため、その文字を除いて貼り付けました。";

}  // namespace lumaset
