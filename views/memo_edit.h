// The memo edit: shows the document's memo and gives it back as cp932.
#pragma once

#include <optional>
#include <string>

#include "views/app.h"

namespace lumaset {

// The memo stays below this many cp932 bytes, so that its length and NUL
// fit the file's 16-bit memo length.
inline constexpr int kMaxMemoBytes = 65534;

// Creates the memo edit as a child of parent; it refuses input that would
// take the memo past kMaxMemoBytes.
HWND createMemoEdit(HWND parent, HINSTANCE instance);
// Puts the document's memo into the edit without marking the document
// modified.
void showMemoText(App& app);
// The memo as cp932 bytes, or nullopt when the edit is empty. When the user
// has not touched the edit, the document's own bytes come back unchanged.
std::optional<std::string> memoTextFromEdit(App& app);
// The user changed the memo. A memo with bytes the edit cannot show (a lone
// lead byte at its end, say) would have them replaced by "・" on the way
// back, so the first change asks; true when the edit stands, false when the
// memo was put back as stored.
bool acceptMemoEdit(App& app);

}  // namespace lumaset
