// Which editing commands apply to the selection and the clipboard, and the
// enabled or greyed state of their toolbar buttons and menu items.
#pragma once

#include <cstdint>

#include "views/app.h"

namespace lumaset {

// The availability bits: seven for the selection and the clipboard, two
// for the undo history.
inline constexpr std::uint8_t kCanCutCopyDelete = 0x01;
inline constexpr std::uint8_t kCanPaste = 0x02;
inline constexpr std::uint8_t kCanPasteChild = 0x04;
inline constexpr std::uint8_t kCanMoveUp = 0x08;
inline constexpr std::uint8_t kCanMoveDown = 0x10;
inline constexpr std::uint8_t kCanNewSyntax = 0x20;
inline constexpr std::uint8_t kCanNewChild = 0x40;
inline constexpr std::uint16_t kCanUndo = 0x80;
inline constexpr std::uint16_t kCanRedo = 0x100;

inline constexpr wchar_t kSyntaxClipboardFormatName[] = L"TARVELON_TAGPROP";

// The registered id of the private syntax format.
UINT syntaxClipboardFormat();
// False when the syntax has an exit pattern or is interrupting: it takes no
// children, pasted or new.
bool takesChildren(const SyntaxRecord& record);
// Recomputes the two paste bits from the clipboard and the selection; 1 when
// the private format is there and something is selected.
int checkClipboardFormat(App& app);
// Takes the undo and redo bits from the history, then pushes the bits that
// changed since the last push to the toolbar and menu.
void refreshCommandStates(App& app);

}  // namespace lumaset
