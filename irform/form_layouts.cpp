// The bit layouts of the protocol forms: device and command to a frame's
// payload and back, with the fixed fields, inverses and checks that tell
// whether a payload belongs to the layout.
#include "irform/form_layouts.h"

namespace irform::detail {
namespace {

// Four payload bytes, least significant first, as the NEC family sends them.
uint64_t necBytes(uint32_t d, uint32_t s, uint32_t f, uint32_t g) {
    return d | s << 8 | f << 16 | uint64_t{g} << 24;
}
uint32_t byteAt(uint64_t v, int index) {
    return static_cast<uint32_t>(bitsOf(v, 8 * index, 8));
}
// Apple: odd parity over the command and the pairing id.
uint32_t appleParity(uint32_t command, uint32_t pair) {
    return 1 - (onesIn(command) + onesIn(pair)) % 2;
}
// DirecTV: the checksum over the command's four bit pairs.
uint32_t direcTvCheck(uint32_t f) {
    return (7 * (f >> 6 & 3) + 5 * (f >> 4 & 3) + 3 * (f >> 2 & 3) + (f & 3)) & 0xF;
}

} // namespace

// NEC family layouts: D, S, F, ~F (least significant bit first).
uint64_t packNec(Fields f) {
    return necBytes(f.device, inverse8(f.device), f.command, inverse8(f.command));
}
std::optional<Fields> unpackNec(uint64_t v) {
    if (byteAt(v, 1) != inverse8(byteAt(v, 0)) || byteAt(v, 3) != inverse8(byteAt(v, 2)))
        return std::nullopt;
    return Fields{byteAt(v, 0), byteAt(v, 2)};
}
uint64_t packNecx(Fields f) {
    return necBytes(f.device & 0xFF, f.device >> 8, f.command, inverse8(f.command));
}
// An inverse high byte is plain NEC.
std::optional<Fields> unpackNecx(uint64_t v) {
    if (byteAt(v, 1) == inverse8(byteAt(v, 0)) || byteAt(v, 3) != inverse8(byteAt(v, 2)))
        return std::nullopt;
    return Fields{byteAt(v, 0) | byteAt(v, 1) << 8, byteAt(v, 2)};
}
// NEC with a 16-bit command: the fourth byte is not the third's inverse.
uint64_t packNec32(Fields f) {
    return necBytes(f.device & 0xFF, f.device >> 8, f.command & 0xFF, f.command >> 8);
}
std::optional<Fields> unpackNec32(uint64_t v) {
    if (byteAt(v, 3) == inverse8(byteAt(v, 2)))
        return std::nullopt;
    return Fields{byteAt(v, 0) | byteAt(v, 1) << 8, byteAt(v, 2) | byteAt(v, 3) << 8};
}
// Apple: address 0x87EE, a parity bit, 7 command bits, the pairing id.
uint64_t packApple(Fields f) {
    return necBytes(0xEE, 0x87, appleParity(f.command, f.device) | f.command << 1, f.device);
}
std::optional<Fields> unpackApple(uint64_t v) {
    const uint32_t command = byteAt(v, 2) >> 1;
    const uint32_t pair = byteAt(v, 3);
    if (byteAt(v, 0) != 0xEE || byteAt(v, 1) != 0x87 ||
        (byteAt(v, 2) & 1) != appleParity(command, pair))
        return std::nullopt;
    return Fields{pair, command};
}
// Aiwa/Sanyo: D:8, S:5, ~D:8, ~S:5, F:8, ~F:8.
uint64_t packAiwa(Fields f) {
    const uint64_t d = f.device & 0xFF, s = f.device >> 8;
    return d | s << 8 | (~d & 0xFF) << 13 | (~s & 0x1F) << 21 | uint64_t{f.command} << 26 |
           uint64_t{inverse8(f.command)} << 34;
}
std::optional<Fields> unpackAiwa(uint64_t v) {
    const uint64_t d = bitsOf(v, 0, 8), s = bitsOf(v, 8, 5), f = bitsOf(v, 26, 8);
    if (bitsOf(v, 13, 8) != (~d & 0xFF) || bitsOf(v, 21, 5) != (~s & 0x1F) ||
        bitsOf(v, 34, 8) != (~f & 0xFF))
        return std::nullopt;
    return Fields{static_cast<uint32_t>(d | s << 8), static_cast<uint32_t>(f)};
}
// Samsung32: D, S, F, ~F.
std::optional<Fields> unpackSamsung32(uint64_t v) {
    if (byteAt(v, 3) != inverse8(byteAt(v, 2)))
        return std::nullopt;
    return Fields{byteAt(v, 0) | byteAt(v, 1) << 8, byteAt(v, 2)};
}
// Samsung36: D:8, S:8 | E:4, F:8, ~F:8.
uint64_t packSamsung36(Fields f) {
    const uint64_t e = f.command >> 8, cmd = f.command & 0xFF;
    return f.device | e << 16 | cmd << 20 | uint64_t{inverse8(static_cast<uint32_t>(cmd))} << 28;
}
std::optional<Fields> unpackSamsung36(uint64_t v) {
    const uint64_t f = bitsOf(v, 20, 8);
    if (bitsOf(v, 28, 8) != (~f & 0xFF))
        return std::nullopt;
    return Fields{static_cast<uint32_t>(bitsOf(v, 0, 16)),
                  static_cast<uint32_t>(f | bitsOf(v, 16, 4) << 8)};
}
// Plain device byte and command byte: JVC, Mitsubishi.
uint64_t packDeviceCommand(Fields f) {
    return f.device | f.command << 8;
}
std::optional<Fields> unpackDeviceCommand(uint64_t v) {
    return Fields{byteAt(v, 0), byteAt(v, 1)};
}
// Kaseikyo: two maker bytes, D, S, F, D^S^F.
template <uint32_t Maker> uint64_t packKaseikyo(Fields f) {
    const uint64_t d = f.device & 0xFF, s = f.device >> 8, c = f.command;
    return Maker | d << 16 | s << 24 | c << 32 | (d ^ s ^ c) << 40;
}
template <uint32_t Maker> std::optional<Fields> unpackKaseikyo(uint64_t v) {
    const uint64_t d = bitsOf(v, 16, 8), s = bitsOf(v, 24, 8), c = bitsOf(v, 32, 8);
    if (bitsOf(v, 0, 16) != Maker || bitsOf(v, 40, 8) != (d ^ s ^ c))
        return std::nullopt;
    return Fields{static_cast<uint32_t>(d | s << 8), static_cast<uint32_t>(c)};
}
// Denon and Sharp: D:5, F:8, two extension bits; the second frame inverts F
// and the extension.
template <uint32_t Extension> uint64_t packDenon(Fields f) {
    return f.device | f.command << 5 | Extension << 13;
}
template <uint32_t Extension> std::optional<Fields> unpackDenon(uint64_t v) {
    if (bitsOf(v, 13, 2) != Extension)
        return std::nullopt;
    return Fields{static_cast<uint32_t>(bitsOf(v, 0, 5)), static_cast<uint32_t>(bitsOf(v, 5, 8))};
}
uint64_t denonLaterFrame(uint64_t first, int n) {
    return n % 2 == 1 ? first ^ (0x3FF << 5) : first;
}
// SIRC: 7 command bits, then the device.
uint64_t packSirc(Fields f) {
    return f.command | uint64_t{f.device} << 7;
}
std::optional<Fields> unpackSirc(uint64_t v) {
    return Fields{static_cast<uint32_t>(v >> 7), static_cast<uint32_t>(v & 0x7F)};
}
// RC5 (most significant first): start 1, field = inverse of command bit 6,
// toggle, 5 address bits, 6 command bits.
uint64_t packRc5(Fields f) {
    return 1u << 13 | ((~f.command >> 6) & 1u) << 12 | f.device << 6 | (f.command & 0x3F);
}
std::optional<Fields> unpackRc5(uint64_t v) {
    if (bitsOf(v, 13, 1) != 1)
        return std::nullopt;
    const uint64_t command = bitsOf(v, 0, 6) | (bitsOf(v, 12, 1) ^ 1) << 6;
    return Fields{static_cast<uint32_t>(bitsOf(v, 6, 5)), static_cast<uint32_t>(command)};
}
// RC5x: start, ~S bit 6, toggle, D:5, (silence), S:6, F:6; device = D | S << 5.
uint64_t packRc5x(Fields f) {
    const uint64_t d = f.device & 0x1F, s = f.device >> 5;
    return uint64_t{1} << 19 | ((~s >> 6) & 1) << 18 | d << 12 | (s & 0x3F) << 6 | f.command;
}
std::optional<Fields> unpackRc5x(uint64_t v) {
    if (bitsOf(v, 19, 1) != 1)
        return std::nullopt;
    const uint64_t s = bitsOf(v, 6, 6) | (bitsOf(v, 18, 1) ^ 1) << 6;
    return Fields{static_cast<uint32_t>(bitsOf(v, 12, 5) | s << 5),
                  static_cast<uint32_t>(bitsOf(v, 0, 6))};
}
// RC6: start 1, mode (3 bits), trailer, data.
template <int Mode, int DataBits> uint64_t packRc6(Fields f) {
    constexpr int half = DataBits / 2;
    return uint64_t{1} << (DataBits + 4) | uint64_t{Mode} << (DataBits + 1) |
           uint64_t{f.device} << half | f.command;
}
template <int Mode, int DataBits> std::optional<Fields> unpackRc6(uint64_t v) {
    constexpr int half = DataBits / 2;
    if (bitsOf(v, DataBits + 4, 1) != 1 || bitsOf(v, DataBits + 1, 3) != Mode)
        return std::nullopt;
    return Fields{static_cast<uint32_t>(bitsOf(v, half, half)),
                  static_cast<uint32_t>(bitsOf(v, 0, half))};
}
// NRC17 (least significant first): start 1, command, address.
uint64_t packNrc17(Fields f) {
    return 1u | f.command << 1 | f.device << 9;
}
std::optional<Fields> unpackNrc17(uint64_t v) {
    if (bitsOf(v, 0, 1) != 1)
        return std::nullopt;
    return Fields{static_cast<uint32_t>(bitsOf(v, 9, 8)), static_cast<uint32_t>(bitsOf(v, 1, 8))};
}
// Nokia 32 (most significant first): D, S, X, F; device D:S, command X:F.
uint64_t packNokia32(Fields f) {
    return uint64_t{f.device} << 16 | f.command;
}
std::optional<Fields> unpackNokia32(uint64_t v) {
    return Fields{static_cast<uint32_t>(bitsOf(v, 16, 16)),
                  static_cast<uint32_t>(bitsOf(v, 0, 16))};
}
// Thomson: D:4, toggle, F:7.
uint64_t packThomson(Fields f) {
    return f.device | f.command << 5;
}
std::optional<Fields> unpackThomson(uint64_t v) {
    return Fields{static_cast<uint32_t>(bitsOf(v, 0, 4)), static_cast<uint32_t>(bitsOf(v, 5, 7))};
}
// Dish: F (6 bits, most significant first), S:5, D:5; device = S | D << 5.
uint64_t packDish(Fields f) {
    return reversed(f.command, 6) | uint64_t{f.device} << 6;
}
std::optional<Fields> unpackDish(uint64_t v) {
    return Fields{static_cast<uint32_t>(bitsOf(v, 6, 10)),
                  reversed(static_cast<uint32_t>(bitsOf(v, 0, 6)), 6)};
}
// DirecTV (most significant first): D:4, F:8, checksum C:4.
uint64_t packDirecTv(Fields f) {
    return f.device << 12 | f.command << 4 | direcTvCheck(f.command);
}
std::optional<Fields> unpackDirecTv(uint64_t v) {
    const auto f = static_cast<uint32_t>(bitsOf(v, 4, 8));
    if (bitsOf(v, 0, 4) != direcTvCheck(f))
        return std::nullopt;
    return Fields{static_cast<uint32_t>(bitsOf(v, 12, 4)), f};
}
// Bose (most significant first): F, ~F; no device.
uint64_t packBose(Fields f) {
    return f.command << 8 | inverse8(f.command);
}
std::optional<Fields> unpackBose(uint64_t v) {
    if (byteAt(v, 0) != inverse8(byteAt(v, 1)))
        return std::nullopt;
    return Fields{0, byteAt(v, 1)};
}
// RCA (most significant first): D:4, F:8, ~D:4, ~F:8.
uint64_t packRca(Fields f) {
    return uint64_t{f.device} << 20 | f.command << 12 | (~f.device & 0xF) << 8 |
           inverse8(f.command);
}
std::optional<Fields> unpackRca(uint64_t v) {
    const uint64_t d = bitsOf(v, 20, 4), f = bitsOf(v, 12, 8);
    if (bitsOf(v, 8, 4) != (~d & 0xF) || bitsOf(v, 0, 8) != (~f & 0xFF))
        return std::nullopt;
    return Fields{static_cast<uint32_t>(d), static_cast<uint32_t>(f)};
}
// Old Panasonic: D:5, F:6, ~D:5, ~F:6.
uint64_t packPanaOld(Fields f) {
    return f.device | f.command << 5 | (~f.device & 0x1F) << 11 | uint64_t{~f.command & 0x3F} << 16;
}
std::optional<Fields> unpackPanaOld(uint64_t v) {
    const uint64_t d = bitsOf(v, 0, 5), f = bitsOf(v, 5, 6);
    if (bitsOf(v, 11, 5) != (~d & 0x1F) || bitsOf(v, 16, 6) != (~f & 0x3F))
        return std::nullopt;
    return Fields{static_cast<uint32_t>(d), static_cast<uint32_t>(f)};
}

// Nokia 12 (D:4, F:8) and 24 (D:8, S:8, F:8), most significant first; the
// device is D, or D:S.
template <int CommandBits> uint64_t packDeviceThenCommand(Fields f) {
    return uint64_t{f.device} << CommandBits | f.command;
}
template <int CommandBits> std::optional<Fields> unpackDeviceThenCommand(uint64_t v) {
    return Fields{static_cast<uint32_t>(v >> CommandBits),
                  static_cast<uint32_t>(bitsOf(v, 0, CommandBits))};
}

namespace {

// XMP: sixteen nibbles, the first sent first (the payload's top nibble).
constexpr int kXmpNibbles = 16;
constexpr uint32_t kXmpOem = 0x44; // the OEM byte of the cable boxes' remotes
constexpr uint32_t kXmpRepeatToggle = 8;

uint32_t nibbleAt(uint64_t v, int index) {
    return static_cast<uint32_t>(bitsOf(v, 4 * (kXmpNibbles - 1 - index), 4));
}
uint64_t withNibble(uint64_t v, int index, uint32_t nibble) {
    const int shift = 4 * (kXmpNibbles - 1 - index);
    return (v & ~(uint64_t{0xF} << shift)) | uint64_t{nibble & 0xF} << shift;
}
// Each half's checksum nibble makes the sum of its eight nibbles 0 mod 16.
uint64_t withChecksums(uint64_t v) {
    for (const int half : {0, 8}) {
        uint32_t sum = 0;
        for (int i = half; i < half + 8; ++i)
            sum += i == half + 1 ? 0 : nibbleAt(v, i);
        v = withNibble(v, half + 1, (16 - sum % 16) % 16);
    }
    return v;
}
// The toggle nibble: 0 in a press's first frame, 8 in the frames after it.
uint64_t xmpFrame(uint32_t d, uint32_t s, uint32_t f, uint32_t toggle) {
    const uint32_t first[8] = {s >> 4,        0,      s & 0xF, 0xF, kXmpOem >> 4,
                               kXmpOem & 0xF, d >> 4, d & 0xF};
    const uint32_t second[8] = {s >> 4,       0,      toggle, s & 0xF, f >> 12, f >> 8 & 0xF,
                                f >> 4 & 0xF, f & 0xF};
    uint64_t v = 0;
    for (int i = 0; i < 8; ++i)
        v = withNibble(withNibble(v, i, first[i]), i + 8, second[i]);
    return withChecksums(v);
}

} // namespace

// XMP: S:4:4, C1, S:4, 15, OEM:8, D:8 | S:4:4, C2, T, S:4, F:16; the device is
// D | S << 8, the command F.
uint64_t packXmp(Fields f) {
    return xmpFrame(f.device & 0xFF, f.device >> 8, f.command, 0);
}
std::optional<Fields> unpackXmp(uint64_t v) {
    const uint32_t toggle = nibbleAt(v, 10);
    if (withChecksums(v) != v || nibbleAt(v, 3) != 0xF ||
        (nibbleAt(v, 4) << 4 | nibbleAt(v, 5)) != kXmpOem || nibbleAt(v, 8) != nibbleAt(v, 0) ||
        nibbleAt(v, 11) != nibbleAt(v, 2) || (toggle != 0 && toggle != kXmpRepeatToggle))
        return std::nullopt;
    const uint32_t s = nibbleAt(v, 0) << 4 | nibbleAt(v, 2);
    const uint32_t d = nibbleAt(v, 6) << 4 | nibbleAt(v, 7);
    return Fields{d | s << 8, static_cast<uint32_t>(bitsOf(v, 0, 16))};
}
uint64_t xmpLaterFrame(uint64_t first, int) {
    return withChecksums(withNibble(first, 10, kXmpRepeatToggle));
}
// Sony 8: the command alone.
uint64_t packCommandOnly(Fields f) {
    return f.command;
}
std::optional<Fields> unpackCommandOnly(uint64_t v) {
    return Fields{0, static_cast<uint32_t>(v)};
}
// Samsung 20: D:6, S:6 (together the device), F:8.
uint64_t packSamsung20(Fields f) {
    return f.device | uint64_t{f.command} << 12;
}
std::optional<Fields> unpackSamsung20(uint64_t v) {
    return Fields{static_cast<uint32_t>(bitsOf(v, 0, 12)), static_cast<uint32_t>(bitsOf(v, 12, 8))};
}
// Grundig 16 (most significant first): toggle, F:8, D:7.
uint64_t packGrundig16(Fields f) {
    return f.command << 7 | f.device;
}
std::optional<Fields> unpackGrundig16(uint64_t v) {
    return Fields{static_cast<uint32_t>(bitsOf(v, 0, 7)), static_cast<uint32_t>(bitsOf(v, 7, 8))};
}
// RECS80 (most significant first): start 1, toggle, D:3, F:6.
uint64_t packRecs80(Fields f) {
    return 1u << 10 | f.device << 6 | f.command;
}
std::optional<Fields> unpackRecs80(uint64_t v) {
    if (bitsOf(v, 10, 1) != 1)
        return std::nullopt;
    return Fields{static_cast<uint32_t>(bitsOf(v, 6, 3)), static_cast<uint32_t>(bitsOf(v, 0, 6))};
}

// The parameters the form table's rows use.
template uint64_t packKaseikyo<0x2002>(Fields);
template std::optional<Fields> unpackKaseikyo<0x2002>(uint64_t);
template uint64_t packKaseikyo<0x0103>(Fields);
template std::optional<Fields> unpackKaseikyo<0x0103>(uint64_t);
template uint64_t packDenon<0>(Fields);
template std::optional<Fields> unpackDenon<0>(uint64_t);
template uint64_t packDenon<1>(Fields);
template std::optional<Fields> unpackDenon<1>(uint64_t);
template uint64_t packRc6<0, 16>(Fields);
template std::optional<Fields> unpackRc6<0, 16>(uint64_t);
template uint64_t packRc6<6, 32>(Fields);
template std::optional<Fields> unpackRc6<6, 32>(uint64_t);
template uint64_t packDeviceThenCommand<8>(Fields);
template std::optional<Fields> unpackDeviceThenCommand<8>(uint64_t);

} // namespace irform::detail
