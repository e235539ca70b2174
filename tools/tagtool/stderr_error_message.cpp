// Our command-line programs have no window: an error the editor would show in
// a message box becomes one UTF-8 line on standard error.
#include "document/error_message.h"

#include <cstdio>

#include "tools/tagtool/message_mute.h"

namespace lumaset {

void showErrorMessage(const std::string& text) {
    if (MessageMute::active()) return;
    std::fwrite(text.data(), 1, text.size(), stderr);
    std::fputc('\n', stderr);
    std::fflush(stderr);
}

}  // namespace lumaset
