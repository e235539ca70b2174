#include "properties/pattern_help.h"

namespace lumaset {

void createPatternHelpMenus(App&, HWND) {}
void destroyPatternHelpMenus(App&) {}

}  // namespace lumaset
