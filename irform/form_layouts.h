#pragma once
// The bit layouts the rows of the form table point at (device and command to
// a payload and back; see form_layouts.cpp), and the bit helpers they share.
#include "irform/form_definition.h"

#include <cstdint>
#include <optional>

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

// Layouts, named by the forms that use them.
uint64_t packNec(Fields f);
std::optional<Fields> unpackNec(uint64_t v);
uint64_t packNecx(Fields f);
std::optional<Fields> unpackNecx(uint64_t v);
uint64_t packNec32(Fields f);
std::optional<Fields> unpackNec32(uint64_t v);
uint64_t packApple(Fields f);
std::optional<Fields> unpackApple(uint64_t v);
uint64_t packAiwa(Fields f);
std::optional<Fields> unpackAiwa(uint64_t v);
std::optional<Fields> unpackSamsung32(uint64_t v); // packs as necx
uint64_t packSamsung36(Fields f);
std::optional<Fields> unpackSamsung36(uint64_t v);
uint64_t packDeviceCommand(Fields f);
std::optional<Fields> unpackDeviceCommand(uint64_t v);
// Defined for the makers, extensions and modes the table uses.
template <uint32_t Maker> uint64_t packKaseikyo(Fields f);
template <uint32_t Maker> std::optional<Fields> unpackKaseikyo(uint64_t v);
template <uint32_t Extension> uint64_t packDenon(Fields f);
template <uint32_t Extension> std::optional<Fields> unpackDenon(uint64_t v);
uint64_t denonLaterFrame(uint64_t first, int n);
uint64_t packSirc(Fields f);
std::optional<Fields> unpackSirc(uint64_t v);
uint64_t packRc5(Fields f);
std::optional<Fields> unpackRc5(uint64_t v);
uint64_t packRc5x(Fields f);
std::optional<Fields> unpackRc5x(uint64_t v);
template <int Mode, int DataBits> uint64_t packRc6(Fields f);
template <int Mode, int DataBits> std::optional<Fields> unpackRc6(uint64_t v);
uint64_t packNrc17(Fields f);
std::optional<Fields> unpackNrc17(uint64_t v);
uint64_t packNokia32(Fields f);
std::optional<Fields> unpackNokia32(uint64_t v);
// Device bits, then CommandBits of command, most significant first (Nokia 12, 24).
template <int CommandBits> uint64_t packDeviceThenCommand(Fields f);
template <int CommandBits> std::optional<Fields> unpackDeviceThenCommand(uint64_t v);
uint64_t packXmp(Fields f);
std::optional<Fields> unpackXmp(uint64_t v);
uint64_t xmpLaterFrame(uint64_t first, int n);
uint64_t packCommandOnly(Fields f);
std::optional<Fields> unpackCommandOnly(uint64_t v);
uint64_t packSamsung20(Fields f);
std::optional<Fields> unpackSamsung20(uint64_t v);
uint64_t packGrundig16(Fields f);
std::optional<Fields> unpackGrundig16(uint64_t v);
uint64_t packRecs80(Fields f);
std::optional<Fields> unpackRecs80(uint64_t v);
uint64_t packThomson(Fields f);
std::optional<Fields> unpackThomson(uint64_t v);
uint64_t packDish(Fields f);
std::optional<Fields> unpackDish(uint64_t v);
uint64_t packDirecTv(Fields f);
std::optional<Fields> unpackDirecTv(uint64_t v);
uint64_t packBose(Fields f);
std::optional<Fields> unpackBose(uint64_t v);
uint64_t packRca(Fields f);
std::optional<Fields> unpackRca(uint64_t v);
uint64_t packPanaOld(Fields f);
std::optional<Fields> unpackPanaOld(uint64_t v);

} // namespace irform::detail
