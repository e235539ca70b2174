// cp932 to UTF-8 for texts the core hands to windows and tools (previews,
// explanations). Stored text stays cp932; this is for showing only.
#pragma once

#include <string>
#include <string_view>

namespace lumaset {

// Each character that the code page does not hold, and a lead byte with
// nothing after it, becomes U+FFFD, so nothing shifts or vanishes silently.
std::string cp932ToUtf8(std::string_view cp932);

}  // namespace lumaset
