#include "shell/logic/command_line.h"

namespace lumaset {

std::wstring filePathFromCommandLine(std::wstring_view tail) {
    std::size_t i = 0;
    while (i < tail.size() && tail[i] == L' ') ++i;
    if (i < tail.size() && tail[i] == L'"') ++i;
    std::wstring path;
    while (i < tail.size() && tail[i] >= 32 && tail[i] != L'"') path += tail[i++];
    return path;
}

}  // namespace lumaset
