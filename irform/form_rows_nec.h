#pragma once
// Rows of the form table (form_table.cpp includes this, nothing else does):
// the NEC family and the forms that share its pulse-distance frame (Samsung,
// Aiwa, Pioneer, Apple, JVC, the Kaseikyo forms).
// Units in microseconds.
#include "irform/form_definition.h"
#include "irform/form_layouts.h"

namespace irform::detail {

// NEC family: 9000/4500 leader, 560 us marks, 560/1690 us spaces.
inline constexpr uint32_t kNecLeader[] = {9000, 4500};
inline constexpr Pair kNecSymbols[] = {{560, 560}, {560, 1690}};
inline constexpr uint32_t kNecTrailer[] = {560};
inline constexpr uint32_t kNecDitto[] = {9000, 2250, 560};
// Aiwa/Sanyo 42-bit (unit 550).
inline constexpr uint32_t kAiwaLeader[] = {8800, 4400};
inline constexpr Pair kAiwaSymbols[] = {{550, 550}, {550, 1650}};
inline constexpr uint32_t kAiwaTrailer[] = {550};
inline constexpr uint32_t kAiwaDitto[] = {8800, 2200, 550};
// JVC: leader only on the first frame.
inline constexpr uint32_t kJvcLeader[] = {8400, 4200};
inline constexpr Pair kJvcSymbols[] = {{525, 525}, {525, 1575}};
inline constexpr uint32_t kJvcTrailer[] = {525};
// Kaseikyo 48-bit (Panasonic and its maker variants), unit 432.
inline constexpr uint32_t kKaseikyoLeader[] = {3456, 1728};
inline constexpr Pair kKaseikyoSymbols[] = {{432, 432}, {432, 1296}};
inline constexpr uint32_t kKaseikyoTrailer[] = {432};
// Samsung: 4500/4500 leader.
inline constexpr uint32_t kSamsungLeader[] = {4500, 4500};
inline constexpr Pair kSamsung36Symbols[] = {{500, 500}, {500, 1500}};
inline constexpr uint32_t kSamsung36Trailer[] = {500};

inline constexpr SymbolFrame kNecFrame{.leader = kNecLeader,
                                       .repeatLeader = kNecLeader,
                                       .symbols = kNecSymbols,
                                       .trailer = kNecTrailer};
inline constexpr SymbolFrame kKaseikyoFrame{.leader = kKaseikyoLeader,
                                            .repeatLeader = kKaseikyoLeader,
                                            .symbols = kKaseikyoSymbols,
                                            .trailer = kKaseikyoTrailer};

inline constexpr FormDefinition kNecForm{.protocol = Protocol::Nec,
                                         .name = "nec",
                                         .carrierHz = 38000,
                                         .bits = 32,
                                         .maxDevice = 0xFF,
                                         .maxCommand = 0xFF,
                                         .symbolFrame = kNecFrame,
                                         .periodUs = 108000,
                                         .repeat = Repeat::Ditto,
                                         .ditto = kNecDitto,
                                         .pack = packNec,
                                         .unpack = unpackNec,
                                         .checkedBits = 16};

inline constexpr FormDefinition kNecExtendedForm{.protocol = Protocol::NecExtended,
                                                 .name = "necx",
                                                 .carrierHz = 38000,
                                                 .bits = 32,
                                                 .maxDevice = 0xFFFF,
                                                 .maxCommand = 0xFF,
                                                 .symbolFrame = kNecFrame,
                                                 .periodUs = 108000,
                                                 .repeat = Repeat::Ditto,
                                                 .ditto = kNecDitto,
                                                 .pack = packNecx,
                                                 .unpack = unpackNecx,
                                                 .checkedBits = 8};

inline constexpr FormDefinition kJvcForm{
    .protocol = Protocol::Jvc,
    .name = "jvc",
    .carrierHz = 38000,
    .bits = 16,
    .maxDevice = 0xFF,
    .maxCommand = 0xFF,
    .symbolFrame = {.leader = kJvcLeader, .symbols = kJvcSymbols, .trailer = kJvcTrailer},
    .periodUs = 59080,
    .pack = packDeviceCommand,
    .unpack = unpackDeviceCommand};

inline constexpr FormDefinition kPanasonicForm{.protocol = Protocol::Panasonic,
                                               .name = "panasonic",
                                               .carrierHz = 37000,
                                               .bits = 48,
                                               .maxDevice = 0xFFFF,
                                               .maxCommand = 0xFF,
                                               .symbolFrame = kKaseikyoFrame,
                                               .gapUs = 74736,
                                               .pack = packKaseikyo<0x2002>,
                                               .unpack = unpackKaseikyo<0x2002>,
                                               .checkedBits = 24};

inline constexpr FormDefinition kSamsung32Form{.protocol = Protocol::Samsung32,
                                               .name = "samsung32",
                                               .carrierHz = 38000,
                                               .bits = 32,
                                               .maxDevice = 0xFFFF,
                                               .maxCommand = 0xFF,
                                               .symbolFrame = {.leader = kSamsungLeader,
                                                               .repeatLeader = kSamsungLeader,
                                                               .symbols = kNecSymbols,
                                                               .trailer = kNecTrailer},
                                               .periodUs = 108000,
                                               .pack = packNecx,
                                               .unpack = unpackSamsung32,
                                               .checkedBits = 8};

// A separator after the 16 device bits.
inline constexpr FormDefinition kSamsung36Form{.protocol = Protocol::Samsung36,
                                               .name = "samsung36",
                                               .carrierHz = 38000,
                                               .bits = 36,
                                               .maxDevice = 0xFFFF,
                                               .maxCommand = 0xFFF,
                                               .symbolFrame = {.leader = kSamsungLeader,
                                                               .repeatLeader = kSamsungLeader,
                                                               .symbols = kSamsung36Symbols,
                                                               .separatorAfter = 16,
                                                               .separator = {500, 4500},
                                                               .trailer = kSamsung36Trailer},
                                               .gapUs = 59000,
                                               .pack = packSamsung36,
                                               .unpack = unpackSamsung36,
                                               .checkedBits = 8};

inline constexpr FormDefinition kAiwaForm{.protocol = Protocol::Aiwa,
                                          .name = "aiwa",
                                          .carrierHz = 38000,
                                          .bits = 42,
                                          .maxDevice = 0x1FFF,
                                          .maxCommand = 0xFF,
                                          .symbolFrame = {.leader = kAiwaLeader,
                                                          .repeatLeader = kAiwaLeader,
                                                          .symbols = kAiwaSymbols,
                                                          .trailer = kAiwaTrailer},
                                          .gapUs = 23100,
                                          .repeat = Repeat::Ditto,
                                          .ditto = kAiwaDitto,
                                          .pack = packAiwa,
                                          .unpack = unpackAiwa,
                                          .checkedBits = 21};

inline constexpr FormDefinition kPioneerForm{.protocol = Protocol::Pioneer,
                                             .name = "pioneer",
                                             .carrierHz = 40000,
                                             .bits = 32,
                                             .maxDevice = 0xFF,
                                             .maxCommand = 0xFF,
                                             .symbolFrame = kNecFrame,
                                             .gapUs = 25300,
                                             .pack = packNec,
                                             .unpack = unpackNec,
                                             .checkedBits = 16};

inline constexpr FormDefinition kAppleForm{.protocol = Protocol::Apple,
                                           .name = "apple",
                                           .carrierHz = 38000,
                                           .bits = 32,
                                           .maxDevice = 0xFF,
                                           .maxCommand = 0x7F,
                                           .symbolFrame = kNecFrame,
                                           .periodUs = 108000,
                                           .repeat = Repeat::Ditto,
                                           .ditto = kNecDitto,
                                           .pack = packApple,
                                           .unpack = unpackApple,
                                           .checkedBits = 17};

// NEC sending the whole frame again instead of ditto frames.
inline constexpr FormDefinition kNec2Form{.protocol = Protocol::Nec2,
                                          .name = "nec2",
                                          .carrierHz = 38000,
                                          .bits = 32,
                                          .maxDevice = 0xFF,
                                          .maxCommand = 0xFF,
                                          .symbolFrame = kNecFrame,
                                          .periodUs = 108000,
                                          .pack = packNec,
                                          .unpack = unpackNec,
                                          .checkedBits = 16};

inline constexpr FormDefinition kNec32Form{.protocol = Protocol::Nec32,
                                           .name = "nec32",
                                           .carrierHz = 38000,
                                           .bits = 32,
                                           .maxDevice = 0xFFFF,
                                           .maxCommand = 0xFFFF,
                                           .symbolFrame = kNecFrame,
                                           .periodUs = 108000,
                                           .repeat = Repeat::Ditto,
                                           .ditto = kNecDitto,
                                           .pack = packNec32,
                                           .unpack = unpackNec32};

inline constexpr FormDefinition kJvc48Form{.protocol = Protocol::Jvc48,
                                           .name = "jvc48",
                                           .carrierHz = 37000,
                                           .bits = 48,
                                           .maxDevice = 0xFFFF,
                                           .maxCommand = 0xFF,
                                           .symbolFrame = kKaseikyoFrame,
                                           .gapUs = 74736,
                                           .pack = packKaseikyo<0x0103>,
                                           .unpack = unpackKaseikyo<0x0103>,
                                           .checkedBits = 24};

} // namespace irform::detail
