// Cut, copy and paste of syntaxes with their subtrees through the private
// clipboard format, between documents of this and other instances.
#pragma once

#include "views/app.h"

namespace lumaset {

inline constexpr char kDepthJumpWarningText[] = "クリップボードに入っているデータに誤りがありますが、強行します。";
inline constexpr char kPasteInternalErrorText[] = "Internal error: ProcessPaste";
// A block that no editor of ours would write; nothing is pasted.
inline constexpr char kDamagedBlockText[] = "クリップボードに入っているデータが壊れているため、貼り付けできません。";

// Cut (IDM_EDIT_CUT), copy with children (IDM_EDIT_COPY_TREE) or copy one
// (IDM_EDIT_COPY_ONE) of the selected syntax. 0 when the clipboard could not
// be had; for cut, the result of the delete.
int copySyntaxes(App& app, int commandId);
// Paste (IDM_EDIT_PASTE) or paste as child (IDM_EDIT_PASTE_CHILD). 1 when at
// least the first record was pasted.
int pasteSyntaxes(App& app, int commandId);

}  // namespace lumaset
