// The commands that change the tree's shape: new syntax, new child syntax,
// delete, move up and move down. Each works on the selected syntax, changes
// the table through insertSyntax/removeSyntax (which keep the indexes
// right) and updates the tree view item by item. 1 when the document
// changed, 0 when not.
#pragma once

#include "commands/logic/tree_positions.h"
#include "views/app.h"

namespace lumaset {

// "(新規)" as the name field stores it: cp932, like every record's text.
inline constexpr char kNewSyntaxName[] = "(\x90\x56\x8B\x4B)";
inline constexpr char kNewSyntaxLimitText[] = "カラー構文は２５４個までしか登録できません。";
inline constexpr char kNewChildLimitText[] = "カラー構文は２５２個までしか登録できません。";
inline constexpr char kDepthLimitText[] = "子構文は８段階までしか作成できません。";
inline constexpr char kInterruptingParentText[] = "割り込み的構文の下に子構文は作成できません。";
inline constexpr char kExitPatternParentText[] = "出口の構文が指定されている場合は子構文は作成できません。";
inline constexpr char kDropIntoSubtreeText[] = "カラー構文を自分の子構文の下へは移動できません。";


// The command cannot run on the selection as the table stands: says why
// (a message or a beep) and returns true. Checked before the pane's apply
// question, so a refused command asks nothing.
bool editRefused(App& app, int commandId);

int newSyntax(App& app);
int newChildSyntax(App& app);
int deleteSyntax(App& app);
int moveSyntaxUp(App& app);
int moveSyntaxDown(App& app);

// A syntax dragged in the tree and dropped on another: the block moves to
// be the target's last child, or with asSibling its next sibling after its
// subtree. Refusals tell the user why. 1 when the document changed.
int dropSyntax(App& app, int dragged, int target, bool asSibling);

}  // namespace lumaset
