#pragma once
// Bit helpers shared by the layouts of the form table.
#include <cstdint>

namespace irform::detail {

constexpr uint64_t bitsOf(uint64_t value, int from, int count) {
    return (value >> from) & ((uint64_t{1} << count) - 1);
}

constexpr uint32_t inverse8(uint32_t value) {
    return ~value & 0xFF;
}

// The low `count` bits of value in the opposite order.
constexpr uint32_t reversed(uint32_t value, int count) {
    uint32_t result = 0;
    for (int i = 0; i < count; ++i)
        result |= ((value >> i) & 1u) << (count - 1 - i);
    return result;
}

constexpr int onesIn(uint32_t value) {
    int count = 0;
    for (; value != 0; value &= value - 1)
        ++count;
    return count;
}

} // namespace irform::detail
