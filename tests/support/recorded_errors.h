// Test definition of showErrorMessage: every message is recorded, in order.
#pragma once

#include <string>
#include <vector>

namespace lumaset::testing {

std::vector<std::string>& recordedErrors();

}  // namespace lumaset::testing
