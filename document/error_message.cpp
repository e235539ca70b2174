#include "document/error_message.h"

namespace lumaset {

std::string pathForMessage(const std::filesystem::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

}  // namespace lumaset
