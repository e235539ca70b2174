// The program's name as its window title and message boxes show it.
#pragma once

namespace lumaset {

inline constexpr wchar_t kEditorCaption[] = L"Tarvelonカラー構文エディタ";

}  // namespace lumaset
