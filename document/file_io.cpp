#include <algorithm>
#include <cstring>

#include "document/file_io.h"

namespace lumaset {

FileFaults& fileFaults() {
    static FileFaults faults;
    return faults;
}

bool injectedFailure(int FileFaults::*failAt, int FileFaults::*counter) {
    FileFaults& f = fileFaults();
    ++(f.*counter);
    return f.*failAt > 0 && f.*counter == f.*failAt;
}

std::int64_t MemorySource::read(void* buffer, std::size_t size) {
    const std::size_t n = std::min(size, bytes_.size() - position_);
    if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
    position_ += n;
    return std::int64_t(n);
}

bool MemorySource::skip(std::uint64_t count) {
    // Stop at the end, as a file does for reads past its end.
    position_ += std::size_t(std::min<std::uint64_t>(count, bytes_.size() - position_));
    return true;
}

}  // namespace lumaset
