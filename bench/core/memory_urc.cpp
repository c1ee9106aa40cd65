#include "bench/core/memory_urc.h"

#include "device/core/hex_text.h"

#include <algorithm>
#include <cstring>

namespace bench {

bool MemoryUrc::ReadVersion(char* buffer) {
    std::memcpy(buffer, version_.data(),
                std::min<std::size_t>(version_.size(), device::kVersionBufferSize - 1));
    return true;
}

bool MemoryUrc::readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                            const char* unit) {
    ++reads_;
    if (!high || !low || !unit || std::strcmp(unit, "08") != 0 || blocks <= 0)
        return false;
    const auto address = device::parseHex(std::string(high) + low);
    const long long length = 8LL * blocks;
    if (!address || !urcmem::Memory::inRange(*address, length))
        return false;
    const std::string hex = urcmem::toHex(memory_.read(*address, static_cast<std::size_t>(length)));
    std::memcpy(buffer, hex.data(), hex.size());
    bytesRead_ += length;
    return true;
}

} // namespace bench
