// The bit layouts of the later forms: device and command to a frame's
// payload and back, with the fixed fields and checks that tell whether a
// payload belongs to the layout. Payload bit 0 is sent first unless the row
// sends the most significant bit first.
#include "irform/form_layouts_added.h"

#include "irform/form_layouts.h"

namespace irform::detail {
namespace {

uint32_t field(uint64_t v, int from, int count) {
    return static_cast<uint32_t>(bitsOf(v, from, count));
}
uint32_t nibbleSum(uint32_t value, int nibbles) {
    uint32_t sum = 0;
    for (int i = 0; i < nibbles; ++i)
        sum += (value >> (4 * i)) & 0xF;
    return sum;
}
// The Kaseikyo frames' check byte: the XOR of the bytes after the maker's.
uint32_t xorOfBytes(uint64_t v, int from, int count) {
    uint32_t check = 0;
    for (int i = 0; i < count; ++i)
        check ^= field(v, 8 * (from + i), 8);
    return check;
}
constexpr uint32_t kDenonMaker = 0x3254;      // bytes 84, 50
constexpr uint32_t kSharpDvdMaker = 0x5AAA;   // bytes 170, 90
constexpr uint32_t kMitsubishiMaker = 0xCB23; // bytes 35, 203
constexpr uint32_t kFujitsuMaker = 0x6314;    // bytes 20, 99
constexpr uint32_t kTeacMaker = 0x5343;       // bytes 67, 83
constexpr uint32_t kMitsubishiKSystem = 6;    // the nibble after the maker bytes
constexpr uint32_t kSharpDvdNibble = 0xF;     // the nibble after the maker bytes

uint32_t sharpDvdCheck(uint32_t d, uint32_t s, uint32_t f, uint32_t e) {
    return (d ^ (s & 0xF) ^ (s >> 4) ^ (f & 0xF) ^ (f >> 4) ^ e) & 0xF;
}
uint32_t mitsubishiKCheck(uint32_t s, uint32_t f) {
    return (15 - nibbleSum(s, 2) - nibbleSum(f, 2)) & 0xF;
}
uint32_t teacKCheck(uint32_t d, uint32_t s, uint32_t f) {
    return (d + nibbleSum(s, 2) + nibbleSum(f, 2)) & 0xFF;
}

} // namespace

// LG 28-bit (most significant first): A:8, C:16, the sum of C's nibbles:4.
uint64_t packLg(Fields f) {
    return uint64_t{f.device} << 20 | f.command << 4 | (nibbleSum(f.command, 4) & 0xF);
}
std::optional<Fields> unpackLg(uint64_t v) {
    const uint32_t command = field(v, 4, 16);
    if (field(v, 0, 4) != (nibbleSum(command, 4) & 0xF))
        return std::nullopt;
    return Fields{field(v, 20, 8), command};
}
// Samsung 48: A:16, then each command byte followed by its inverse.
uint64_t packSamsung48(Fields f) {
    const uint64_t low = f.command & 0xFF, high = f.command >> 8;
    return f.device | low << 16 | (~low & 0xFF) << 24 | high << 32 | (~high & 0xFF) << 40;
}
std::optional<Fields> unpackSamsung48(uint64_t v) {
    const uint32_t low = field(v, 16, 8), high = field(v, 32, 8);
    if (field(v, 24, 8) != inverse8(low) || field(v, 40, 8) != inverse8(high))
        return std::nullopt;
    return Fields{field(v, 0, 16), low | high << 8};
}
// GI Cable: F:8, D:4, C:4 with D + F's nibbles + C = 0 (mod 16).
uint64_t packGiCable(Fields f) {
    const uint32_t check = (16 - (f.device + nibbleSum(f.command, 2)) % 16) % 16;
    return f.command | f.device << 8 | check << 12;
}
std::optional<Fields> unpackGiCable(uint64_t v) {
    const uint32_t command = field(v, 0, 8), device = field(v, 8, 4);
    if ((device + nibbleSum(command, 2) + field(v, 12, 4)) % 16 != 0)
        return std::nullopt;
    return Fields{device, command};
}
// Konka (most significant first): D:8, F:8.
uint64_t packKonka(Fields f) {
    return f.device << 8 | f.command;
}
std::optional<Fields> unpackKonka(uint64_t v) {
    return Fields{field(v, 8, 8), field(v, 0, 8)};
}
// Symphony: 12 command bits; no device.
uint64_t packSymphony(Fields f) {
    return f.command;
}
std::optional<Fields> unpackSymphony(uint64_t v) {
    return Fields{0, field(v, 0, 12)};
}
// Metz 19 (most significant first): toggle, D:3, ~D:3, F:6, ~F:6.
uint64_t packMetz19(Fields f) {
    return f.device << 15 | (~f.device & 0x7) << 12 | f.command << 6 | (~f.command & 0x3F);
}
std::optional<Fields> unpackMetz19(uint64_t v) {
    const uint32_t device = field(v, 15, 3), command = field(v, 6, 6);
    if (field(v, 12, 3) != (~device & 0x7) || field(v, 0, 6) != (~command & 0x3F))
        return std::nullopt;
    return Fields{device, command};
}
// Velleman (most significant first): start 1, toggle, D:3, F:6.
uint64_t packVelleman(Fields f) {
    return 1u << 10 | f.device << 6 | f.command;
}
std::optional<Fields> unpackVelleman(uint64_t v) {
    if (field(v, 10, 1) != 1)
        return std::nullopt;
    return Fields{field(v, 6, 3), field(v, 0, 6)};
}

// Denon-K: maker, 0:4, D:4, S:4, F:12, the XOR of the three bytes before it.
// Device D | S << 4.
uint64_t packDenonK(Fields f) {
    const uint64_t d = f.device & 0xF, s = f.device >> 4;
    const uint64_t body = d << 4 | s << 8 | uint64_t{f.command} << 12;
    return kDenonMaker | body << 16 | uint64_t{xorOfBytes(body, 0, 3)} << 40;
}
std::optional<Fields> unpackDenonK(uint64_t v) {
    if (field(v, 0, 16) != kDenonMaker || field(v, 16, 4) != 0 ||
        field(v, 40, 8) != xorOfBytes(v, 2, 3))
        return std::nullopt;
    return Fields{field(v, 20, 4) | field(v, 24, 4) << 4, field(v, 28, 12)};
}
// Device D | S << 8, command F | X << 8.
template <uint32_t Maker> uint64_t packKaseikyo56(Fields f) {
    const uint64_t body =
        f.device | uint64_t{f.command >> 8} << 16 | uint64_t{f.command & 0xFF} << 24;
    return Maker | body << 16 | uint64_t{xorOfBytes(body, 0, 4)} << 48;
}
template <uint32_t Maker> std::optional<Fields> unpackKaseikyo56(uint64_t v) {
    if (field(v, 0, 16) != Maker || field(v, 48, 8) != xorOfBytes(v, 2, 4))
        return std::nullopt;
    return Fields{field(v, 16, 16), field(v, 40, 8) | field(v, 32, 8) << 8};
}
// Sharp DVD: maker, 15:4, D:4, S:8, F:8, E:4, the nibble check:4. Device
// S | D << 8, command F | E << 8.
uint64_t packSharpDvd(Fields f) {
    const uint64_t s = f.device & 0xFF, d = f.device >> 8;
    const uint64_t c = f.command & 0xFF, e = f.command >> 8;
    const uint64_t check = sharpDvdCheck(static_cast<uint32_t>(d), static_cast<uint32_t>(s),
                                         static_cast<uint32_t>(c), static_cast<uint32_t>(e));
    return kSharpDvdMaker | uint64_t{kSharpDvdNibble} << 16 | d << 20 | s << 24 | c << 32 |
           e << 40 | check << 44;
}
std::optional<Fields> unpackSharpDvd(uint64_t v) {
    const uint32_t d = field(v, 20, 4), s = field(v, 24, 8), c = field(v, 32, 8),
                   e = field(v, 40, 4);
    if (field(v, 0, 16) != kSharpDvdMaker || field(v, 16, 4) != kSharpDvdNibble ||
        field(v, 44, 4) != sharpDvdCheck(d, s, c, e))
        return std::nullopt;
    return Fields{s | d << 8, c | e << 8};
}
// Mitsubishi-K: maker, 6:4, D:8, S:8, F:8, the nibble check:4. Device D | S << 8.
uint64_t packMitsubishiK(Fields f) {
    const uint64_t s = f.device >> 8;
    return kMitsubishiMaker | uint64_t{kMitsubishiKSystem} << 16 | uint64_t{f.device} << 20 |
           uint64_t{f.command} << 36 |
           uint64_t{mitsubishiKCheck(static_cast<uint32_t>(s), f.command)} << 44;
}
std::optional<Fields> unpackMitsubishiK(uint64_t v) {
    const uint32_t s = field(v, 28, 8), c = field(v, 36, 8);
    if (field(v, 0, 16) != kMitsubishiMaker || field(v, 16, 4) != kMitsubishiKSystem ||
        field(v, 44, 4) != mitsubishiKCheck(s, c))
        return std::nullopt;
    return Fields{field(v, 20, 16), c};
}
// Fujitsu: maker, 0:4, E:4, D:8, S:8, F:8; no check. Device D | S << 8,
// command F | E << 8.
uint64_t packFujitsu(Fields f) {
    return kFujitsuMaker | uint64_t{f.command >> 8} << 20 | uint64_t{f.device} << 24 |
           uint64_t{f.command & 0xFF} << 40;
}
std::optional<Fields> unpackFujitsu(uint64_t v) {
    if (field(v, 0, 16) != kFujitsuMaker || field(v, 16, 4) != 0)
        return std::nullopt;
    return Fields{field(v, 24, 16), field(v, 40, 8) | field(v, 20, 4) << 8};
}
// Fujitsu 56: maker, 0:4, E:4, D:8, S:8, X:8, F:8. Device D | S << 8,
// command F | X << 8; E is 0 (a code with another E has no field here).
uint64_t packFujitsu56(Fields f) {
    return kFujitsuMaker | uint64_t{f.device} << 24 | uint64_t{f.command >> 8} << 40 |
           uint64_t{f.command & 0xFF} << 48;
}
std::optional<Fields> unpackFujitsu56(uint64_t v) {
    if (field(v, 0, 16) != kFujitsuMaker || field(v, 16, 8) != 0)
        return std::nullopt;
    return Fields{field(v, 24, 16), field(v, 48, 8) | field(v, 40, 8) << 8};
}
// Teac-K: maker, X:4, D:4, S:8, F:8, the byte sum check:8. Device
// D | S << 4 | X << 12.
uint64_t packTeacK(Fields f) {
    const uint32_t x = f.device >> 12, d = f.device & 0xF, s = (f.device >> 4) & 0xFF;
    return kTeacMaker | uint64_t{x} << 16 | uint64_t{d} << 20 | uint64_t{s} << 24 |
           uint64_t{f.command} << 32 | uint64_t{teacKCheck(d, s, f.command)} << 40;
}
std::optional<Fields> unpackTeacK(uint64_t v) {
    const uint32_t d = field(v, 20, 4), s = field(v, 24, 8), c = field(v, 32, 8);
    if (field(v, 0, 16) != kTeacMaker || field(v, 40, 8) != teacKCheck(d, s, c))
        return std::nullopt;
    return Fields{d | s << 4 | field(v, 16, 4) << 12, c};
}

// The makers the form table's rows use.
template uint64_t packKaseikyo56<0x2002>(Fields);
template std::optional<Fields> unpackKaseikyo56<0x2002>(uint64_t);
template uint64_t packKaseikyo56<0x0103>(Fields);
template std::optional<Fields> unpackKaseikyo56<0x0103>(uint64_t);

} // namespace irform::detail
