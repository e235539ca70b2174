#include "shell/main_window.h"

namespace lumaset {

// The clipboard commands fill these in; until then a clipboard change or a
// new selection has nothing to enable or grey.
void clipboardChanged(App&) {}
void refreshCommands(App&) {}

}  // namespace lumaset
