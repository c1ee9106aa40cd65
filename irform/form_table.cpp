// The protocol forms. Timings, layouts and repeat rules follow the published
// definitions of each protocol; units in microseconds. Rows are ordered by how
// common the form is on consumer remotes, which also decides ties between
// forms that fit a signal equally well.
#include "irform/form_definition.h"
#include "irform/form_layouts.h"

#include <array>
#include <stdexcept>

namespace irform::detail {
namespace {

// NEC family: 9000/4500 leader, 560 us marks, 560/1690 us spaces.
constexpr uint32_t kNecLeader[] = {9000, 4500};
constexpr Pair kNecSymbols[] = {{560, 560}, {560, 1690}};
constexpr uint32_t kNecTrailer[] = {560};
constexpr uint32_t kNecDitto[] = {9000, 2250, 560};
// Aiwa/Sanyo 42-bit (unit 550).
constexpr uint32_t kAiwaLeader[] = {8800, 4400};
constexpr Pair kAiwaSymbols[] = {{550, 550}, {550, 1650}};
constexpr uint32_t kAiwaTrailer[] = {550};
constexpr uint32_t kAiwaDitto[] = {8800, 2200, 550};
// SIRC: 2400 leader mark, then space 600 and mark 600 (0) or 1200 (1).
constexpr uint32_t kSircLeader[] = {2400};
constexpr Pair kSircSymbols[] = {{600, 600}, {600, 1200}};
// JVC: leader only on the first frame.
constexpr uint32_t kJvcLeader[] = {8400, 4200};
constexpr Pair kJvcSymbols[] = {{525, 525}, {525, 1575}};
constexpr uint32_t kJvcTrailer[] = {525};
// Kaseikyo 48-bit (Panasonic and its maker variants), unit 432.
constexpr uint32_t kKaseikyoLeader[] = {3456, 1728};
constexpr Pair kKaseikyoSymbols[] = {{432, 432}, {432, 1296}};
constexpr uint32_t kKaseikyoTrailer[] = {432};
// Samsung: 4500/4500 leader.
constexpr uint32_t kSamsungLeader[] = {4500, 4500};
constexpr Pair kSamsung36Symbols[] = {{500, 500}, {500, 1500}};
constexpr uint32_t kSamsung36Trailer[] = {500};
// Denon and Sharp 15-bit (unit 264), no leader.
constexpr Pair kDenonSymbols[] = {{264, 792}, {264, 1848}};
constexpr uint32_t kDenonTrailer[] = {264};
// Mitsubishi 16-bit (unit 300), no leader.
constexpr Pair kMitsubishiSymbols[] = {{300, 900}, {300, 2100}};
constexpr uint32_t kMitsubishiTrailer[] = {300};
// Nokia 32: two bits a symbol.
constexpr uint32_t kNokiaLeader[] = {412, 276};
constexpr Pair kNokiaSymbols[] = {{164, 276}, {164, 445}, {164, 614}, {164, 783}};
constexpr uint32_t kNokiaTrailer[] = {164};
// Thomson 12-bit (unit 500), no leader.
constexpr Pair kThomsonSymbols[] = {{500, 2000}, {500, 4500}};
constexpr uint32_t kThomsonTrailer[] = {500};
// Dish Network (unit 400): the trailer and gap of one frame lead the next.
constexpr uint32_t kDishLeader[] = {400, 6000};
constexpr Pair kDishSymbols[] = {{400, 2800}, {400, 1600}};
constexpr uint32_t kDishTrailer[] = {400};
// DirecTV (unit 600): two bits a symbol, mark and space each one or two units.
constexpr uint32_t kDirecTvLeader[] = {6000, 1200};
constexpr uint32_t kDirecTvRepeatLeader[] = {3000, 1200};
constexpr Pair kDirecTvSymbols[] = {{600, 600}, {600, 1200}, {1200, 600}, {1200, 1200}};
constexpr uint32_t kDirecTvTrailer[] = {600};
// Bose (unit 500).
constexpr uint32_t kBoseLeader[] = {1000, 1500};
constexpr Pair kBoseSymbols[] = {{500, 500}, {500, 1500}};
constexpr uint32_t kBoseTrailer[] = {500};
// RCA (unit 460), 56 kHz.
constexpr uint32_t kRcaLeader[] = {3680, 3680};
constexpr Pair kRcaSymbols[] = {{460, 920}, {460, 1840}};
constexpr uint32_t kRcaTrailer[] = {460};
// Old Panasonic 22-bit (unit 833).
constexpr uint32_t kPanaOldLeader[] = {3332, 3332};
constexpr Pair kPanaOldSymbols[] = {{833, 833}, {833, 2499}};
constexpr uint32_t kPanaOldTrailer[] = {833};

// RC6: leader of six mark and two space slots, start bit, three mode bits,
// the double-width trailer (toggle) bit, then the data.
constexpr std::string_view kRc6Pattern = "++++++--bbbbBbbbbbbbbbbbbbbbb";
constexpr std::string_view kRc6a32Pattern = "++++++--bbbbBbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb";
// RC5: start, field, toggle, 5 address and 6 command bits. RC5x: 8 bits, a
// silence of four half bits, 12 bits.
constexpr std::string_view kRc5Pattern = "bbbbbbbbbbbbbb";
constexpr std::string_view kRc5xPattern = "bbbbbbbb----bbbbbbbbbbbb";
// NRC17: a pre-pulse, a silence of five half bits, start bit and 16 bits.
constexpr std::string_view kNrc17Pattern = "+-----bbbbbbbbbbbbbbbbb";

using Opt = std::optional<Fields>;

template <std::size_t N> constexpr std::span<const uint32_t> s(const uint32_t (&a)[N]) {
    return a;
}
template <std::size_t N> constexpr std::span<const Pair> s(const Pair (&a)[N]) {
    return a;
}
constexpr std::span<const uint32_t> none{};

// A symbol-coded row.
FormDefinition symbols(Protocol p, std::string_view name, int carrier, int bits, bool msb,
                       uint32_t maxDevice, uint32_t maxCommand, std::span<const uint32_t> leader,
                       std::span<const uint32_t> repeatLeader, std::span<const Pair> syms,
                       std::span<const uint32_t> trailer, uint32_t period, uint32_t gap, int frames,
                       Repeat repeat, std::span<const uint32_t> ditto, uint64_t (*pack)(Fields),
                       Opt (*unpack)(uint64_t), int checked) {
    return FormDefinition{p,          name,   carrier,      Shape::Symbols, bits, msb,    maxDevice,
                          maxCommand, leader, repeatLeader, syms,           0,    Pair{}, trailer,
                          0,          {},     false,        period,         gap,  frames, repeat,
                          ditto,      pack,   unpack,       nullptr,        0,    checked};
}

// A biphase row.
FormDefinition biphase(Protocol p, std::string_view name, int carrier, int bits, bool msb,
                       uint32_t maxDevice, uint32_t maxCommand, uint32_t unit,
                       std::string_view pattern, bool oneIsMarkFirst, uint32_t period,
                       uint64_t (*pack)(Fields), Opt (*unpack)(uint64_t), uint64_t toggle,
                       int checked) {
    return FormDefinition{p,
                          name,
                          carrier,
                          Shape::Biphase,
                          bits,
                          msb,
                          maxDevice,
                          maxCommand,
                          none,
                          none,
                          {},
                          0,
                          Pair{},
                          none,
                          unit,
                          pattern,
                          oneIsMarkFirst,
                          period,
                          0,
                          2,
                          Repeat::Frame,
                          none,
                          pack,
                          unpack,
                          nullptr,
                          toggle,
                          checked};
}

std::array<FormDefinition, 30> makeTable() {
    using P = Protocol;
    const auto D = Repeat::Ditto;
    const auto F = Repeat::Frame;
    std::array<FormDefinition, 30> t = {
        symbols(P::Nec, "nec", 38000, 32, false, 0xFF, 0xFF, s(kNecLeader), s(kNecLeader),
                s(kNecSymbols), s(kNecTrailer), 108000, 0, 2, D, s(kNecDitto), packNec, unpackNec,
                16),
        symbols(P::NecExtended, "necx", 38000, 32, false, 0xFFFF, 0xFF, s(kNecLeader),
                s(kNecLeader), s(kNecSymbols), s(kNecTrailer), 108000, 0, 2, D, s(kNecDitto),
                packNecx, unpackNecx, 8),
        biphase(P::Rc5, "rc5", 36000, 14, true, 0x1F, 0x7F, 889, kRc5Pattern, false, 113778,
                packRc5, unpackRc5, 1u << 11, 1),
        symbols(P::Sirc12, "sirc12", 40000, 12, false, 0x1F, 0x7F, s(kSircLeader), s(kSircLeader),
                s(kSircSymbols), none, 45000, 0, 3, F, none, packSirc, unpackSirc, 0),
        symbols(P::Sirc15, "sirc15", 40000, 15, false, 0xFF, 0x7F, s(kSircLeader), s(kSircLeader),
                s(kSircSymbols), none, 45000, 0, 3, F, none, packSirc, unpackSirc, 0),
        symbols(P::Sirc20, "sirc20", 40000, 20, false, 0x1FFF, 0x7F, s(kSircLeader), s(kSircLeader),
                s(kSircSymbols), none, 45000, 0, 3, F, none, packSirc, unpackSirc, 0),
        biphase(P::Rc6, "rc6", 36000, 21, true, 0xFF, 0xFF, 444, kRc6Pattern, true, 107000,
                packRc6<0, 16>, unpackRc6<0, 16>, uint64_t{1} << 16, 4),
        symbols(P::Jvc, "jvc", 38000, 16, false, 0xFF, 0xFF, s(kJvcLeader), none, s(kJvcSymbols),
                s(kJvcTrailer), 59080, 0, 2, F, none, packDeviceCommand, unpackDeviceCommand, 0),
        symbols(P::Panasonic, "panasonic", 37000, 48, false, 0xFFFF, 0xFF, s(kKaseikyoLeader),
                s(kKaseikyoLeader), s(kKaseikyoSymbols), s(kKaseikyoTrailer), 0, 74736, 2, F, none,
                packKaseikyo<0x2002>, unpackKaseikyo<0x2002>, 24),
        symbols(P::Samsung32, "samsung32", 38000, 32, false, 0xFFFF, 0xFF, s(kSamsungLeader),
                s(kSamsungLeader), s(kNecSymbols), s(kNecTrailer), 108000, 0, 2, F, none, packNecx,
                unpackSamsung32, 8),
        symbols(P::Samsung36, "samsung36", 38000, 36, false, 0xFFFF, 0xFFF, s(kSamsungLeader),
                s(kSamsungLeader), s(kSamsung36Symbols), s(kSamsung36Trailer), 0, 59000, 2, F, none,
                packSamsung36, unpackSamsung36, 8),
        symbols(P::Denon, "denon", 38000, 15, false, 0x1F, 0xFF, none, none, s(kDenonSymbols),
                s(kDenonTrailer), 0, 43560, 2, F, none, packDenon<0>, unpackDenon<0>, 2),
        symbols(P::Sharp, "sharp", 38000, 15, false, 0x1F, 0xFF, none, none, s(kDenonSymbols),
                s(kDenonTrailer), 0, 43560, 2, F, none, packDenon<1>, unpackDenon<1>, 2),
        biphase(P::Rc5x, "rc5x", 36000, 20, true, 0xFFF, 0x3F, 889, kRc5xPattern, false, 114000,
                packRc5x, unpackRc5x, uint64_t{1} << 17, 1),
        biphase(P::Rc6a32, "rc6a32", 36000, 37, true, 0xFFFF, 0xFFFF, 444, kRc6a32Pattern, true,
                107000, packRc6<6, 32>, unpackRc6<6, 32>, uint64_t{1} << 32, 4),
        symbols(P::Aiwa, "aiwa", 38000, 42, false, 0x1FFF, 0xFF, s(kAiwaLeader), s(kAiwaLeader),
                s(kAiwaSymbols), s(kAiwaTrailer), 0, 23100, 2, D, s(kAiwaDitto), packAiwa,
                unpackAiwa, 21),
        symbols(P::Pioneer, "pioneer", 40000, 32, false, 0xFF, 0xFF, s(kNecLeader), s(kNecLeader),
                s(kNecSymbols), s(kNecTrailer), 0, 25300, 2, F, none, packNec, unpackNec, 16),
        symbols(P::Mitsubishi, "mitsubishi", 32600, 16, false, 0xFF, 0xFF, none, none,
                s(kMitsubishiSymbols), s(kMitsubishiTrailer), 0, 24000, 2, F, none,
                packDeviceCommand, unpackDeviceCommand, 0),
        symbols(P::Nokia32, "nokia32", 36000, 32, true, 0xFFFF, 0xFFFF, s(kNokiaLeader),
                s(kNokiaLeader), s(kNokiaSymbols), s(kNokiaTrailer), 100000, 0, 2, F, none,
                packNokia32, unpackNokia32, 0),
        biphase(P::Nrc17, "nrc17", 38000, 17, false, 0xFF, 0xFF, 500, kNrc17Pattern, true, 100000,
                packNrc17, unpackNrc17, 0, 1),
        symbols(P::Thomson, "thomson", 33000, 12, false, 0xF, 0x7F, none, none, s(kThomsonSymbols),
                s(kThomsonTrailer), 80000, 0, 2, F, none, packThomson, unpackThomson, 0),
        symbols(P::Dish, "dish", 57600, 16, false, 0x3FF, 0x3F, s(kDishLeader), none,
                s(kDishSymbols), s(kDishTrailer), 0, 6000, 2, F, none, packDish, unpackDish, 0),
        symbols(P::DirecTv, "directv", 38000, 16, true, 0xF, 0xFF, s(kDirecTvLeader),
                s(kDirecTvRepeatLeader), s(kDirecTvSymbols), s(kDirecTvTrailer), 0, 30000, 2, F,
                none, packDirecTv, unpackDirecTv, 4),
        symbols(P::Bose, "bose", 38000, 16, true, 0, 0xFF, s(kBoseLeader), s(kBoseLeader),
                s(kBoseSymbols), s(kBoseTrailer), 0, 50000, 2, F, none, packBose, unpackBose, 8),
        symbols(P::Apple, "apple", 38000, 32, false, 0xFF, 0x7F, s(kNecLeader), s(kNecLeader),
                s(kNecSymbols), s(kNecTrailer), 108000, 0, 2, D, s(kNecDitto), packApple,
                unpackApple, 17),
        symbols(P::Rca, "rca", 56000, 24, true, 0xF, 0xFF, s(kRcaLeader), s(kRcaLeader),
                s(kRcaSymbols), s(kRcaTrailer), 0, 7360, 2, F, none, packRca, unpackRca, 12),
        symbols(P::PanasonicOld, "panasonic-old", 57600, 22, false, 0x1F, 0x3F, s(kPanaOldLeader),
                s(kPanaOldLeader), s(kPanaOldSymbols), s(kPanaOldTrailer), 0, 44000, 2, F, none,
                packPanaOld, unpackPanaOld, 11),
        symbols(P::Nec2, "nec2", 38000, 32, false, 0xFF, 0xFF, s(kNecLeader), s(kNecLeader),
                s(kNecSymbols), s(kNecTrailer), 108000, 0, 2, F, none, packNec, unpackNec, 16),
        symbols(P::Nec32, "nec32", 38000, 32, false, 0xFFFF, 0xFFFF, s(kNecLeader), s(kNecLeader),
                s(kNecSymbols), s(kNecTrailer), 108000, 0, 2, D, s(kNecDitto), packNec32,
                unpackNec32, 0),
        symbols(P::Jvc48, "jvc48", 37000, 48, false, 0xFFFF, 0xFF, s(kKaseikyoLeader),
                s(kKaseikyoLeader), s(kKaseikyoSymbols), s(kKaseikyoTrailer), 0, 74736, 2, F, none,
                packKaseikyo<0x0103>, unpackKaseikyo<0x0103>, 24),
    };
    for (auto& row : t)
        if (row.protocol == P::Denon || row.protocol == P::Sharp)
            row.laterFrame = denonLaterFrame;
    // Thomson's fifth bit toggles from press to press.
    for (auto& row : t)
        if (row.protocol == P::Thomson)
            row.toggleMask = 1u << 4;
    for (auto& row : t)
        if (row.protocol == P::Samsung36) {
            row.separatorAfter = 16;
            row.separator = {500, 4500};
        }
    return t;
}

const std::array<FormDefinition, 30> kTable = makeTable();

} // namespace

std::span<const FormDefinition> formDefinitions() {
    return kTable;
}

const FormDefinition& formDefinition(Protocol protocol) {
    for (const auto& form : kTable)
        if (form.protocol == protocol)
            return form;
    throw std::logic_error("a protocol without a row in the form table");
}

} // namespace irform::detail
