// A recovery copy's side file as a crash, a full disk or another program
// could leave it: refused or read within its bytes, and what is read writes
// back the same bytes (in the current layout).
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>

#include "views/logic/recovery_info.h"

using namespace lumaset;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::unique_ptr<std::uint8_t[]> bytes(new std::uint8_t[size ? size : 1]);
    if (size) std::memcpy(bytes.get(), data, size);
    RecoveryInfo info;
    if (!decodeRecoveryInfo({bytes.get(), size}, info)) return 0;
    // A side file of the first layout is written back in the current one,
    // which reads as the same.
    const std::vector<std::uint8_t> again = encodeRecoveryInfo(info);
    RecoveryInfo back;
    if (!decodeRecoveryInfo(again, back) || !(back == info)) abort();
    const bool current = size > 16 && bytes[16] != 1;
    if (current && (again.size() != size || std::memcmp(again.data(), bytes.get(), size) != 0)) abort();
    return 0;
}
