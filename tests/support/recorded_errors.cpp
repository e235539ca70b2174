#include "support/recorded_errors.h"

#include "document/error_message.h"

namespace lumaset {

namespace testing {
std::vector<std::string>& recordedErrors() {
    static std::vector<std::string> messages;
    return messages;
}
}  // namespace testing

void showErrorMessage(const std::string& text) { testing::recordedErrors().push_back(text); }

}  // namespace lumaset
