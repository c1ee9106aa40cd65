#pragma once
// Rows of the form table (form_table.cpp includes this, nothing else does):
// the forms of cable boxes and of older European sets (XMP, Nokia 12 and 24,
// RECS80, Grundig 16, Sony 8), Samsung 20 and RCA's 38.7 kHz variant.
// Units in microseconds.
#include "irform/form_definition.h"
#include "irform/form_layouts.h"
#include "irform/form_rows_others.h"

namespace irform::detail {

// XMP: a nibble a symbol, a 210 us mark and a space of 760 us plus 136 us a
// step; a 13.8 ms space parts the two halves of a frame.
inline constexpr Pair kXmpSymbols[] = {{210, 760},  {210, 896},  {210, 1032}, {210, 1168},
                                       {210, 1304}, {210, 1440}, {210, 1576}, {210, 1712},
                                       {210, 1848}, {210, 1984}, {210, 2120}, {210, 2256},
                                       {210, 2392}, {210, 2528}, {210, 2664}, {210, 2800}};
inline constexpr uint32_t kXmpTrailer[] = {210};
// Grundig 16 (unit 578): two bits a symbol, a space and a mark, three of the
// four symbols followed by a second space and mark; a leader of its own.
inline constexpr uint32_t kGrundig16Leader[] = {806, 2960, 1346};
inline constexpr Pair kGrundig16Symbols[] = {{2312, 1156}, {1734, 578}, {1156, 578}, {578, 578}};
inline constexpr Pair kGrundig16Tails[] = {{0, 0}, {578, 578}, {1156, 578}, {1734, 578}};
// RECS80 (unit 158): 31 or 47 units of space after each mark, no leader.
inline constexpr Pair kRecs80Symbols[] = {{158, 4898}, {158, 7426}};
inline constexpr uint32_t kRecs80Trailer[] = {158};
// Samsung 20 (unit 564): Samsung's 4512/4512 leader, NEC-like bits.
inline constexpr uint32_t kSamsung20Leader[] = {4512, 4512};
inline constexpr Pair kSamsung20Symbols[] = {{564, 564}, {564, 1692}};
inline constexpr uint32_t kSamsung20Trailer[] = {564};

inline constexpr SymbolFrame kNokiaFrame{.leader = kNokiaLeader,
                                         .repeatLeader = kNokiaLeader,
                                         .symbols = kNokiaSymbols,
                                         .trailer = kNokiaTrailer};

// Every frame after a press's first sends 8 in its toggle nibble.
inline constexpr FormDefinition kXmpForm{.protocol = Protocol::Xmp,
                                         .name = "xmp",
                                         .carrierHz = 38000,
                                         .bits = 64,
                                         .msbFirst = true,
                                         .maxDevice = 0xFFFF,
                                         .maxCommand = 0xFFFF,
                                         .symbolFrame = {.symbols = kXmpSymbols,
                                                         .separatorAfter = 32,
                                                         .separator = {210, 13800},
                                                         .trailer = kXmpTrailer},
                                         .gapUs = 80400,
                                         .pack = packXmp,
                                         .unpack = unpackXmp,
                                         .laterFrame = xmpLaterFrame,
                                         .checkedBits = 28,
                                         .repairableSymbols = 3};

inline constexpr FormDefinition kNokia12Form{.protocol = Protocol::Nokia12,
                                             .name = "nokia12",
                                             .carrierHz = 36000,
                                             .bits = 12,
                                             .msbFirst = true,
                                             .maxDevice = 0xF,
                                             .maxCommand = 0xFF,
                                             .symbolFrame = kNokiaFrame,
                                             .periodUs = 100000,
                                             .pack = packDeviceThenCommand<8>,
                                             .unpack = unpackDeviceThenCommand<8>};

inline constexpr FormDefinition kNokia24Form{.protocol = Protocol::Nokia24,
                                             .name = "nokia24",
                                             .carrierHz = 36000,
                                             .bits = 24,
                                             .msbFirst = true,
                                             .maxDevice = 0xFFFF,
                                             .maxCommand = 0xFF,
                                             .symbolFrame = kNokiaFrame,
                                             .periodUs = 100000,
                                             .pack = packDeviceThenCommand<8>,
                                             .unpack = unpackDeviceThenCommand<8>};

// The second bit toggles from press to press.
inline constexpr FormDefinition kRecs80Form{
    .protocol = Protocol::Recs80,
    .name = "recs80",
    .carrierHz = 38000,
    .bits = 11,
    .msbFirst = true,
    .maxDevice = 0x7,
    .maxCommand = 0x3F,
    .symbolFrame = {.symbols = kRecs80Symbols, .trailer = kRecs80Trailer},
    .gapUs = 45000,
    .pack = packRecs80,
    .unpack = unpackRecs80,
    .toggleMask = 1u << 9,
    .checkedBits = 1};

// The first bit is the toggle bit; the command goes before the device.
inline constexpr FormDefinition kGrundig16Form{.protocol = Protocol::Grundig16,
                                               .name = "grundig16",
                                               .carrierHz = 35700,
                                               .bits = 16,
                                               .msbFirst = true,
                                               .maxDevice = 0x7F,
                                               .maxCommand = 0xFF,
                                               .symbolFrame = {.leader = kGrundig16Leader,
                                                               .repeatLeader = kGrundig16Leader,
                                                               .symbols = kGrundig16Symbols,
                                                               .symbolTails = kGrundig16Tails},
                                               .gapUs = 57800,
                                               .pack = packGrundig16,
                                               .unpack = unpackGrundig16,
                                               .toggleMask = 1u << 15};

// SIRC's frame with eight command bits and no device.
inline constexpr FormDefinition kSony8Form{.protocol = Protocol::Sony8,
                                           .name = "sony8",
                                           .carrierHz = 40000,
                                           .bits = 8,
                                           .maxDevice = 0,
                                           .maxCommand = 0xFF,
                                           .symbolFrame = kSircFrame,
                                           .periodUs = 45000,
                                           .framesPerPress = 3,
                                           .pack = packCommandOnly,
                                           .unpack = unpackCommandOnly};

// Twenty bits without a check; the bit count alone tells it from Samsung's
// 32- and 36-bit forms, which share its leader.
inline constexpr FormDefinition kSamsung20Form{.protocol = Protocol::Samsung20,
                                               .name = "samsung20",
                                               .carrierHz = 38400,
                                               .bits = 20,
                                               .maxDevice = 0xFFF,
                                               .maxCommand = 0xFF,
                                               .symbolFrame = {.leader = kSamsung20Leader,
                                                               .repeatLeader = kSamsung20Leader,
                                                               .symbols = kSamsung20Symbols,
                                                               .trailer = kSamsung20Trailer},
                                               .periodUs = 108000,
                                               .pack = packSamsung20,
                                               .unpack = unpackSamsung20};

// RCA's frame on a 38.7 kHz carrier: only a measured carrier tells it from
// the 56 kHz row; without one, the earlier row (rca) wins the tie.
inline constexpr FormDefinition kRca38Form{.protocol = Protocol::Rca38,
                                           .name = "rca38",
                                           .carrierHz = 38700,
                                           .bits = kRcaForm.bits,
                                           .msbFirst = true,
                                           .maxDevice = kRcaForm.maxDevice,
                                           .maxCommand = kRcaForm.maxCommand,
                                           .symbolFrame = kRcaForm.symbolFrame,
                                           .gapUs = kRcaForm.gapUs,
                                           .pack = packRca,
                                           .unpack = unpackRca,
                                           .checkedBits = kRcaForm.checkedBits};

} // namespace irform::detail
