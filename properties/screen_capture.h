// Capture from the running terminal into a pattern field: the selected
// screen text as a literal pattern, or the selection's position as a title
// position element. The terminal is reached only through its frame window.
#pragma once

#include <windows.h>

#include <string>

#include "views/app.h"

namespace lumaset {

inline constexpr wchar_t kTerminalWindowClass[] = L"TarvelonFrameClass";

// The terminal's frame window; null after telling the user (a box owned by
// owner) that it is not running.
HWND findTerminalWindow(HWND owner);
// Asks the user to select text on the terminal, has the terminal copy it and
// pastes it into the field escaped.
void captureScreenText(App& app, HWND field);
// Asks the user to select a range on the terminal and types its position
// into the field.
void captureScreenPosition(App& app, HWND field);
// Asks the user to select text on the terminal and has the terminal copy
// it; the text as it is (cp932, line breaks as the terminal gave them) in
// `text`. False when the user cancelled, the terminal is not running or
// nothing came.
bool captureTerminalText(App& app, HWND owner, std::string& text);
// Replaces the clipboard's text by its escaped form; false (the clipboard
// left as it was) when it cannot be opened or holds no text. With oneLine,
// only the text's first line.
bool escapeClipboardText(App& app, bool oneLine);

}  // namespace lumaset
