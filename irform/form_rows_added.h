#pragma once
// Rows of the form table (form_table.cpp includes this, nothing else does):
// LG, Samsung 48, GI Cable, the Kaseikyo makers' variants, the smaller
// makers' pulse-distance forms (Konka, Proton, Metz, Velleman) and the
// pulse-width forms without a trailer (Symphony, Elite Screens).
// Units in microseconds.
#include "irform/form_definition.h"
#include "irform/form_layouts.h"
#include "irform/form_layouts_added.h"
#include "irform/form_rows_nec.h"

namespace irform::detail {

// LG 28-bit: a leader a little shorter than NEC's, 550 us marks; its ditto
// frame follows NEC's. LG2 sends the same bits after a 3200/9900 leader.
inline constexpr uint32_t kLgLeader[] = {8500, 4250};
inline constexpr Pair kLgSymbols[] = {{550, 550}, {550, 1600}};
inline constexpr uint32_t kLgTrailer[] = {550};
inline constexpr uint32_t kLgDitto[] = {8500, 2250, 550};
inline constexpr uint32_t kLg2Leader[] = {3200, 9900};
inline constexpr Pair kLg2Symbols[] = {{480, 550}, {480, 1600}};
inline constexpr uint32_t kLg2Trailer[] = {480};
// GI Cable (unit 490): ditto frames, with a longer gap after them.
inline constexpr uint32_t kGiCableLeader[] = {8820, 4410};
inline constexpr Pair kGiCableSymbols[] = {{490, 2205}, {490, 4410}};
inline constexpr uint32_t kGiCableTrailer[] = {490};
inline constexpr uint32_t kGiCableDitto[] = {8820, 2205, 490};
// Sharp DVD: the Kaseikyo frame on a 400 us unit.
inline constexpr uint32_t kSharpDvdLeader[] = {3200, 1600};
inline constexpr Pair kSharpDvdSymbols[] = {{400, 400}, {400, 1200}};
inline constexpr uint32_t kSharpDvdTrailer[] = {400};
// Teac-K repeats the Kaseikyo frame's leader, squared, as a ditto frame.
inline constexpr uint32_t kTeacKDitto[] = {3456, 3456, 432};
// Konka (unit 500): a second mark 4000 us after the last bit.
inline constexpr uint32_t kKonkaLeader[] = {3000, 3000};
inline constexpr Pair kKonkaSymbols[] = {{500, 1500}, {500, 2500}};
inline constexpr uint32_t kKonkaTrailer[] = {500, 4000, 500};
// Symphony (fans, air coolers): pulse width, no leader and no trailer.
inline constexpr Pair kSymphonySymbols[] = {{400, 1250}, {1250, 400}};
// Elite Screens (projector screens): the same kind of frame, 32 bits, a one
// short mark first.
inline constexpr Pair kEliteScreensSymbols[] = {{1214, 470}, {470, 1214}};
// Proton (unit 500): a separator between the device and command bytes.
inline constexpr uint32_t kProtonLeader[] = {8000, 4000};
inline constexpr Pair kProtonSymbols[] = {{500, 500}, {500, 1500}};
inline constexpr uint32_t kProtonTrailer[] = {500};
// Metz 19 (unit 106).
inline constexpr uint32_t kMetzLeader[] = {848, 2332};
inline constexpr Pair kMetzSymbols[] = {{424, 954}, {424, 1696}};
inline constexpr uint32_t kMetzTrailer[] = {424};
// Velleman: RECS80's spaces after 700 us marks, no leader.
inline constexpr Pair kVellemanSymbols[] = {{700, 5060}, {700, 7590}};
inline constexpr uint32_t kVellemanTrailer[] = {700};

inline constexpr FormDefinition kLgForm{.protocol = Protocol::Lg,
                                        .name = "lg",
                                        .carrierHz = 38000,
                                        .bits = 28,
                                        .msbFirst = true,
                                        .maxDevice = 0xFF,
                                        .maxCommand = 0xFFFF,
                                        .symbolFrame = {.leader = kLgLeader,
                                                        .repeatLeader = kLgLeader,
                                                        .symbols = kLgSymbols,
                                                        .trailer = kLgTrailer},
                                        .periodUs = 108050,
                                        .repeat = Repeat::Ditto,
                                        .ditto = kLgDitto,
                                        .pack = packLg,
                                        .unpack = unpackLg,
                                        .checkedBits = 4};

inline constexpr FormDefinition kLg2Form{.protocol = Protocol::Lg2,
                                         .name = "lg2",
                                         .carrierHz = 38000,
                                         .bits = 28,
                                         .msbFirst = true,
                                         .maxDevice = 0xFF,
                                         .maxCommand = 0xFFFF,
                                         .symbolFrame = {.leader = kLg2Leader,
                                                         .repeatLeader = kLg2Leader,
                                                         .symbols = kLg2Symbols,
                                                         .trailer = kLg2Trailer},
                                         .periodUs = 108050,
                                         .repeat = Repeat::Ditto,
                                         .ditto = kLgDitto,
                                         .pack = packLg,
                                         .unpack = unpackLg,
                                         .checkedBits = 4};

inline constexpr FormDefinition kSamsung48Form{.protocol = Protocol::Samsung48,
                                               .name = "samsung48",
                                               .carrierHz = 38000,
                                               .bits = 48,
                                               .maxDevice = 0xFFFF,
                                               .maxCommand = 0xFFFF,
                                               .symbolFrame = {.leader = kSamsungLeader,
                                                               .repeatLeader = kSamsungLeader,
                                                               .symbols = kNecSymbols,
                                                               .trailer = kNecTrailer},
                                               .periodUs = 108000,
                                               .pack = packSamsung48,
                                               .unpack = unpackSamsung48,
                                               .checkedBits = 16};

inline constexpr FormDefinition kGiCableForm{.protocol = Protocol::GiCable,
                                             .name = "gicable",
                                             .carrierHz = 38700,
                                             .bits = 16,
                                             .maxDevice = 0xF,
                                             .maxCommand = 0xFF,
                                             .symbolFrame = {.leader = kGiCableLeader,
                                                             .repeatLeader = kGiCableLeader,
                                                             .symbols = kGiCableSymbols,
                                                             .trailer = kGiCableTrailer},
                                             .gapUs = 41160,
                                             .repeat = Repeat::Ditto,
                                             .ditto = kGiCableDitto,
                                             .dittoGapUs = 87220,
                                             .pack = packGiCable,
                                             .unpack = unpackGiCable,
                                             .checkedBits = 4};

inline constexpr FormDefinition kDenonKForm{.protocol = Protocol::DenonK,
                                            .name = "denonk",
                                            .carrierHz = 37000,
                                            .bits = 48,
                                            .maxDevice = 0xFF,
                                            .maxCommand = 0xFFF,
                                            .symbolFrame = kKaseikyoFrame,
                                            .gapUs = 74736,
                                            .pack = packDenonK,
                                            .unpack = unpackDenonK,
                                            .checkedBits = 28};

inline constexpr FormDefinition kPanasonic56Form{.protocol = Protocol::Panasonic56,
                                                 .name = "panasonic56",
                                                 .carrierHz = 37000,
                                                 .bits = 56,
                                                 .maxDevice = 0xFFFF,
                                                 .maxCommand = 0xFFFF,
                                                 .symbolFrame = kKaseikyoFrame,
                                                 .gapUs = 74736,
                                                 .pack = packKaseikyo56<0x2002>,
                                                 .unpack = unpackKaseikyo56<0x2002>,
                                                 .checkedBits = 24};

inline constexpr FormDefinition kSharpDvdForm{.protocol = Protocol::SharpDvd,
                                              .name = "sharpdvd",
                                              .carrierHz = 38000,
                                              .bits = 48,
                                              .maxDevice = 0xFFF,
                                              .maxCommand = 0xFFF,
                                              .symbolFrame = {.leader = kSharpDvdLeader,
                                                              .repeatLeader = kSharpDvdLeader,
                                                              .symbols = kSharpDvdSymbols,
                                                              .trailer = kSharpDvdTrailer},
                                              .gapUs = 19200,
                                              .pack = packSharpDvd,
                                              .unpack = unpackSharpDvd,
                                              .checkedBits = 24};

inline constexpr FormDefinition kMitsubishiKForm{.protocol = Protocol::MitsubishiK,
                                                 .name = "mitsubishik",
                                                 .carrierHz = 37000,
                                                 .bits = 48,
                                                 .maxDevice = 0xFFFF,
                                                 .maxCommand = 0xFF,
                                                 .symbolFrame = kKaseikyoFrame,
                                                 .gapUs = 43200,
                                                 .pack = packMitsubishiK,
                                                 .unpack = unpackMitsubishiK,
                                                 .checkedBits = 24};

// No check byte: only the maker's bytes and a zero nibble tell it.
inline constexpr FormDefinition kFujitsuForm{.protocol = Protocol::Fujitsu,
                                             .name = "fujitsu",
                                             .carrierHz = 37000,
                                             .bits = 48,
                                             .maxDevice = 0xFFFF,
                                             .maxCommand = 0xFFF,
                                             .symbolFrame = kKaseikyoFrame,
                                             .gapUs = 47520,
                                             .pack = packFujitsu,
                                             .unpack = unpackFujitsu,
                                             .checkedBits = 20};

inline constexpr FormDefinition kKonkaForm{.protocol = Protocol::Konka,
                                           .name = "konka",
                                           .carrierHz = 38000,
                                           .bits = 16,
                                           .msbFirst = true,
                                           .maxDevice = 0xFF,
                                           .maxCommand = 0xFF,
                                           .symbolFrame = {.leader = kKonkaLeader,
                                                           .repeatLeader = kKonkaLeader,
                                                           .symbols = kKonkaSymbols,
                                                           .trailer = kKonkaTrailer},
                                           .gapUs = 23000,
                                           .pack = packKonka,
                                           .unpack = unpackKonka};

// Sent four times; the last bit's space runs into the gap.
inline constexpr FormDefinition kSymphonyForm{
    .protocol = Protocol::Symphony,
    .name = "symphony",
    .carrierHz = 38000,
    .bits = 12,
    .msbFirst = true,
    .maxDevice = 0,
    .maxCommand = 0xFFF,
    .symbolFrame = {.symbols = kSymphonySymbols, .lastSpaceInGap = true},
    .gapUs = 6600,
    .framesPerPress = 4,
    .pack = packSymphony,
    .unpack = unpackSymphony};

inline constexpr FormDefinition kProtonForm{.protocol = Protocol::Proton,
                                            .name = "proton",
                                            .carrierHz = 38500,
                                            .bits = 16,
                                            .maxDevice = 0xFF,
                                            .maxCommand = 0xFF,
                                            .symbolFrame = {.leader = kProtonLeader,
                                                            .repeatLeader = kProtonLeader,
                                                            .symbols = kProtonSymbols,
                                                            .separatorAfter = 8,
                                                            .separator = {500, 4000},
                                                            .trailer = kProtonTrailer},
                                            .periodUs = 63000,
                                            .pack = packDeviceCommand,
                                            .unpack = unpackDeviceCommand};

inline constexpr FormDefinition kTeacKForm{.protocol = Protocol::TeacK,
                                           .name = "teack",
                                           .carrierHz = 37000,
                                           .bits = 48,
                                           .maxDevice = 0xFFFF,
                                           .maxCommand = 0xFF,
                                           .symbolFrame = kKaseikyoFrame,
                                           .gapUs = 43200,
                                           .repeat = Repeat::Ditto,
                                           .ditto = kTeacKDitto,
                                           .pack = packTeacK,
                                           .unpack = unpackTeacK,
                                           .checkedBits = 24};

inline constexpr FormDefinition kJvc56Form{.protocol = Protocol::Jvc56,
                                           .name = "jvc56",
                                           .carrierHz = 37000,
                                           .bits = 56,
                                           .maxDevice = 0xFFFF,
                                           .maxCommand = 0xFFFF,
                                           .symbolFrame = kKaseikyoFrame,
                                           .gapUs = 74736,
                                           .pack = packKaseikyo56<0x0103>,
                                           .unpack = unpackKaseikyo56<0x0103>,
                                           .checkedBits = 24};

inline constexpr FormDefinition kFujitsu56Form{.protocol = Protocol::Fujitsu56,
                                               .name = "fujitsu56",
                                               .carrierHz = 37000,
                                               .bits = 56,
                                               .maxDevice = 0xFFFF,
                                               .maxCommand = 0xFFFF,
                                               .symbolFrame = kKaseikyoFrame,
                                               .gapUs = 47520,
                                               .pack = packFujitsu56,
                                               .unpack = unpackFujitsu56,
                                               .checkedBits = 24};

// The first bit toggles from press to press.
inline constexpr FormDefinition kMetz19Form{.protocol = Protocol::Metz19,
                                            .name = "metz19",
                                            .carrierHz = 37900,
                                            .bits = 19,
                                            .msbFirst = true,
                                            .maxDevice = 0x7,
                                            .maxCommand = 0x3F,
                                            .symbolFrame = {.leader = kMetzLeader,
                                                            .repeatLeader = kMetzLeader,
                                                            .symbols = kMetzSymbols,
                                                            .trailer = kMetzTrailer},
                                            .gapUs = 125000,
                                            .pack = packMetz19,
                                            .unpack = unpackMetz19,
                                            .toggleMask = uint64_t{1} << 18,
                                            .checkedBits = 9};

// The second bit toggles from press to press.
inline constexpr FormDefinition kVellemanForm{
    .protocol = Protocol::Velleman,
    .name = "velleman",
    .carrierHz = 38000,
    .bits = 11,
    .msbFirst = true,
    .maxDevice = 0x7,
    .maxCommand = 0x3F,
    .symbolFrame = {.symbols = kVellemanSymbols, .trailer = kVellemanTrailer},
    .gapUs = 55000,
    .pack = packVelleman,
    .unpack = unpackVelleman,
    .toggleMask = uint64_t{1} << 9,
    .checkedBits = 1};

// Sent twice; the last bit's space runs into the gap. No check: the device
// is the frame's high half, the command its low half.
inline constexpr FormDefinition kEliteScreensForm{
    .protocol = Protocol::EliteScreens,
    .name = "elitescreens",
    .carrierHz = 38000,
    .bits = 32,
    .msbFirst = true,
    .maxDevice = 0xFFFF,
    .maxCommand = 0xFFFF,
    .symbolFrame = {.symbols = kEliteScreensSymbols, .lastSpaceInGap = true},
    .gapUs = 29200,
    .pack = packNokia32,
    .unpack = unpackNokia32};

} // namespace irform::detail
