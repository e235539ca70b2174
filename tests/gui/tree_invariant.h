// The check that follows every structure edit in the GUI tests: the tree
// view shows exactly the syntax table.
#pragma once

#include <string>

#include "views/app.h"

namespace lumaset::testing {

// Empty when the tree holds "Copyright" and then record 2 at the top level,
// and below it every record from 3 on, in table order, each under the
// nearest earlier record one level shallower, labelled with its name, and
// each record's treeItem naming its own item. Otherwise what differs.
std::string treeMismatch(const App& app);

}  // namespace lumaset::testing
