// Messages have nowhere to go while fuzzing; the fuzzers look for crashes
// and out-of-bounds accesses, not for what would be shown.
#include "document/error_message.h"

namespace lumaset {

void showErrorMessage(const std::string&) {}

}  // namespace lumaset
