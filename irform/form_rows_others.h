#pragma once
// Rows of the form table (form_table.cpp includes this, and form_rows_more.h
// for Nokia's timings): the biphase forms (RC5, RC6, NRC17) and the other
// symbol forms (SIRC, Denon, Sharp, Mitsubishi, Nokia, Thomson, Dish, DirecTV,
// Bose, RCA, old Panasonic).
// Units in microseconds.
#include "irform/form_definition.h"
#include "irform/form_layouts.h"

namespace irform::detail {

// SIRC: 2400 leader mark, then space 600 and mark 600 (0) or 1200 (1).
inline constexpr uint32_t kSircLeader[] = {2400};
inline constexpr Pair kSircSymbols[] = {{600, 600}, {600, 1200}};
// Denon and Sharp 15-bit (unit 264), no leader.
inline constexpr Pair kDenonSymbols[] = {{264, 792}, {264, 1848}};
inline constexpr uint32_t kDenonTrailer[] = {264};
// Mitsubishi 16-bit (unit 300), no leader.
inline constexpr Pair kMitsubishiSymbols[] = {{300, 900}, {300, 2100}};
inline constexpr uint32_t kMitsubishiTrailer[] = {300};
// Nokia 32: two bits a symbol.
inline constexpr uint32_t kNokiaLeader[] = {412, 276};
inline constexpr Pair kNokiaSymbols[] = {{164, 276}, {164, 445}, {164, 614}, {164, 783}};
inline constexpr uint32_t kNokiaTrailer[] = {164};
// Thomson 12-bit (unit 500), no leader.
inline constexpr Pair kThomsonSymbols[] = {{500, 2000}, {500, 4500}};
inline constexpr uint32_t kThomsonTrailer[] = {500};
// Dish Network (unit 400): the trailer and gap of one frame lead the next.
inline constexpr uint32_t kDishLeader[] = {400, 6000};
inline constexpr Pair kDishSymbols[] = {{400, 2800}, {400, 1600}};
inline constexpr uint32_t kDishTrailer[] = {400};
// DirecTV (unit 600): two bits a symbol, mark and space each one or two units.
inline constexpr uint32_t kDirecTvLeader[] = {6000, 1200};
inline constexpr uint32_t kDirecTvRepeatLeader[] = {3000, 1200};
inline constexpr Pair kDirecTvSymbols[] = {{600, 600}, {600, 1200}, {1200, 600}, {1200, 1200}};
inline constexpr uint32_t kDirecTvTrailer[] = {600};
// Bose (unit 500).
inline constexpr uint32_t kBoseLeader[] = {1000, 1500};
inline constexpr Pair kBoseSymbols[] = {{500, 500}, {500, 1500}};
inline constexpr uint32_t kBoseTrailer[] = {500};
// RCA (unit 460), 56 kHz.
inline constexpr uint32_t kRcaLeader[] = {3680, 3680};
inline constexpr Pair kRcaSymbols[] = {{460, 920}, {460, 1840}};
inline constexpr uint32_t kRcaTrailer[] = {460};
// Old Panasonic 22-bit (unit 833).
inline constexpr uint32_t kPanaOldLeader[] = {3332, 3332};
inline constexpr Pair kPanaOldSymbols[] = {{833, 833}, {833, 2499}};
inline constexpr uint32_t kPanaOldTrailer[] = {833};

// RC6: leader of six mark and two space slots, start bit, three mode bits,
// the double-width trailer (toggle) bit, then the data.
inline constexpr std::string_view kRc6Pattern = "++++++--bbbbBbbbbbbbbbbbbbbbb";
inline constexpr std::string_view kRc6a32Pattern = "++++++--bbbbBbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbbb";
// RC5: start, field, toggle, 5 address and 6 command bits. RC5x: 8 bits, a
// silence of four half bits, 12 bits.
inline constexpr std::string_view kRc5Pattern = "bbbbbbbbbbbbbb";
inline constexpr std::string_view kRc5xPattern = "bbbbbbbb----bbbbbbbbbbbb";
// NRC17: a pre-pulse, a silence of five half bits, start bit and 16 bits.
inline constexpr std::string_view kNrc17Pattern = "+-----bbbbbbbbbbbbbbbbb";

inline constexpr SymbolFrame kSircFrame{
    .leader = kSircLeader, .repeatLeader = kSircLeader, .symbols = kSircSymbols};
inline constexpr SymbolFrame kDenonFrame{.symbols = kDenonSymbols, .trailer = kDenonTrailer};

inline constexpr FormDefinition kRc5Form{.protocol = Protocol::Rc5,
                                         .name = "rc5",
                                         .carrierHz = 36000,
                                         .shape = Shape::Biphase,
                                         .bits = 14,
                                         .msbFirst = true,
                                         .maxDevice = 0x1F,
                                         .maxCommand = 0x7F,
                                         .biphaseFrame = {.unit = 889, .pattern = kRc5Pattern},
                                         .periodUs = 113778,
                                         .pack = packRc5,
                                         .unpack = unpackRc5,
                                         .toggleMask = 1u << 11,
                                         .checkedBits = 1};

inline constexpr FormDefinition kSirc12Form{.protocol = Protocol::Sirc12,
                                            .name = "sirc12",
                                            .carrierHz = 40000,
                                            .bits = 12,
                                            .maxDevice = 0x1F,
                                            .maxCommand = 0x7F,
                                            .symbolFrame = kSircFrame,
                                            .periodUs = 45000,
                                            .framesPerPress = 3,
                                            .pack = packSirc,
                                            .unpack = unpackSirc};

inline constexpr FormDefinition kSirc15Form{.protocol = Protocol::Sirc15,
                                            .name = "sirc15",
                                            .carrierHz = 40000,
                                            .bits = 15,
                                            .maxDevice = 0xFF,
                                            .maxCommand = 0x7F,
                                            .symbolFrame = kSircFrame,
                                            .periodUs = 45000,
                                            .framesPerPress = 3,
                                            .pack = packSirc,
                                            .unpack = unpackSirc};

inline constexpr FormDefinition kSirc20Form{.protocol = Protocol::Sirc20,
                                            .name = "sirc20",
                                            .carrierHz = 40000,
                                            .bits = 20,
                                            .maxDevice = 0x1FFF,
                                            .maxCommand = 0x7F,
                                            .symbolFrame = kSircFrame,
                                            .periodUs = 45000,
                                            .framesPerPress = 3,
                                            .pack = packSirc,
                                            .unpack = unpackSirc};

inline constexpr FormDefinition kRc6Form{
    .protocol = Protocol::Rc6,
    .name = "rc6",
    .carrierHz = 36000,
    .shape = Shape::Biphase,
    .bits = 21,
    .msbFirst = true,
    .maxDevice = 0xFF,
    .maxCommand = 0xFF,
    .biphaseFrame = {.unit = 444, .pattern = kRc6Pattern, .oneIsMarkFirst = true},
    .periodUs = 107000,
    .pack = packRc6<0, 16>,
    .unpack = unpackRc6<0, 16>,
    .toggleMask = uint64_t{1} << 16,
    .checkedBits = 4};

// Every second frame sends the bits after the device inverted.
inline constexpr FormDefinition kDenonForm{.protocol = Protocol::Denon,
                                           .name = "denon",
                                           .carrierHz = 38000,
                                           .bits = 15,
                                           .maxDevice = 0x1F,
                                           .maxCommand = 0xFF,
                                           .symbolFrame = kDenonFrame,
                                           .gapUs = 43560,
                                           .pack = packDenon<0>,
                                           .unpack = unpackDenon<0>,
                                           .laterFrame = denonLaterFrame,
                                           .checkedBits = 2};

inline constexpr FormDefinition kSharpForm{.protocol = Protocol::Sharp,
                                           .name = "sharp",
                                           .carrierHz = 38000,
                                           .bits = 15,
                                           .maxDevice = 0x1F,
                                           .maxCommand = 0xFF,
                                           .symbolFrame = kDenonFrame,
                                           .gapUs = 43560,
                                           .pack = packDenon<1>,
                                           .unpack = unpackDenon<1>,
                                           .laterFrame = denonLaterFrame,
                                           .checkedBits = 2};

inline constexpr FormDefinition kRc5xForm{.protocol = Protocol::Rc5x,
                                          .name = "rc5x",
                                          .carrierHz = 36000,
                                          .shape = Shape::Biphase,
                                          .bits = 20,
                                          .msbFirst = true,
                                          .maxDevice = 0xFFF,
                                          .maxCommand = 0x3F,
                                          .biphaseFrame = {.unit = 889, .pattern = kRc5xPattern},
                                          .periodUs = 114000,
                                          .pack = packRc5x,
                                          .unpack = unpackRc5x,
                                          .toggleMask = uint64_t{1} << 17,
                                          .checkedBits = 1};

inline constexpr FormDefinition kRc6a32Form{
    .protocol = Protocol::Rc6a32,
    .name = "rc6a32",
    .carrierHz = 36000,
    .shape = Shape::Biphase,
    .bits = 37,
    .msbFirst = true,
    .maxDevice = 0xFFFF,
    .maxCommand = 0xFFFF,
    .biphaseFrame = {.unit = 444, .pattern = kRc6a32Pattern, .oneIsMarkFirst = true},
    .periodUs = 107000,
    .pack = packRc6<6, 32>,
    .unpack = unpackRc6<6, 32>,
    .toggleMask = uint64_t{1} << 32,
    .checkedBits = 4};

inline constexpr FormDefinition kMitsubishiForm{
    .protocol = Protocol::Mitsubishi,
    .name = "mitsubishi",
    .carrierHz = 32600,
    .bits = 16,
    .maxDevice = 0xFF,
    .maxCommand = 0xFF,
    .symbolFrame = {.symbols = kMitsubishiSymbols, .trailer = kMitsubishiTrailer},
    .gapUs = 24000,
    .pack = packDeviceCommand,
    .unpack = unpackDeviceCommand};

inline constexpr FormDefinition kNokia32Form{.protocol = Protocol::Nokia32,
                                             .name = "nokia32",
                                             .carrierHz = 36000,
                                             .bits = 32,
                                             .msbFirst = true,
                                             .maxDevice = 0xFFFF,
                                             .maxCommand = 0xFFFF,
                                             .symbolFrame = {.leader = kNokiaLeader,
                                                             .repeatLeader = kNokiaLeader,
                                                             .symbols = kNokiaSymbols,
                                                             .trailer = kNokiaTrailer},
                                             .periodUs = 100000,
                                             .pack = packNokia32,
                                             .unpack = unpackNokia32};

inline constexpr FormDefinition kNrc17Form{
    .protocol = Protocol::Nrc17,
    .name = "nrc17",
    .carrierHz = 38000,
    .shape = Shape::Biphase,
    .bits = 17,
    .maxDevice = 0xFF,
    .maxCommand = 0xFF,
    .biphaseFrame = {.unit = 500, .pattern = kNrc17Pattern, .oneIsMarkFirst = true},
    .periodUs = 100000,
    .pack = packNrc17,
    .unpack = unpackNrc17,
    .checkedBits = 1};

// The fifth bit toggles from press to press.
inline constexpr FormDefinition kThomsonForm{
    .protocol = Protocol::Thomson,
    .name = "thomson",
    .carrierHz = 33000,
    .bits = 12,
    .maxDevice = 0xF,
    .maxCommand = 0x7F,
    .symbolFrame = {.symbols = kThomsonSymbols, .trailer = kThomsonTrailer},
    .periodUs = 80000,
    .pack = packThomson,
    .unpack = unpackThomson,
    .toggleMask = 1u << 4};

inline constexpr FormDefinition kDishForm{
    .protocol = Protocol::Dish,
    .name = "dish",
    .carrierHz = 57600,
    .bits = 16,
    .maxDevice = 0x3FF,
    .maxCommand = 0x3F,
    .symbolFrame = {.leader = kDishLeader, .symbols = kDishSymbols, .trailer = kDishTrailer},
    .gapUs = 6000,
    .pack = packDish,
    .unpack = unpackDish};

inline constexpr FormDefinition kDirecTvForm{.protocol = Protocol::DirecTv,
                                             .name = "directv",
                                             .carrierHz = 38000,
                                             .bits = 16,
                                             .msbFirst = true,
                                             .maxDevice = 0xF,
                                             .maxCommand = 0xFF,
                                             .symbolFrame = {.leader = kDirecTvLeader,
                                                             .repeatLeader = kDirecTvRepeatLeader,
                                                             .symbols = kDirecTvSymbols,
                                                             .trailer = kDirecTvTrailer},
                                             .gapUs = 30000,
                                             .pack = packDirecTv,
                                             .unpack = unpackDirecTv,
                                             .checkedBits = 4};

inline constexpr FormDefinition kBoseForm{.protocol = Protocol::Bose,
                                          .name = "bose",
                                          .carrierHz = 38000,
                                          .bits = 16,
                                          .msbFirst = true,
                                          .maxDevice = 0,
                                          .maxCommand = 0xFF,
                                          .symbolFrame = {.leader = kBoseLeader,
                                                          .repeatLeader = kBoseLeader,
                                                          .symbols = kBoseSymbols,
                                                          .trailer = kBoseTrailer},
                                          .gapUs = 50000,
                                          .pack = packBose,
                                          .unpack = unpackBose,
                                          .checkedBits = 8};

inline constexpr FormDefinition kRcaForm{.protocol = Protocol::Rca,
                                         .name = "rca",
                                         .carrierHz = 56000,
                                         .bits = 24,
                                         .msbFirst = true,
                                         .maxDevice = 0xF,
                                         .maxCommand = 0xFF,
                                         .symbolFrame = {.leader = kRcaLeader,
                                                         .repeatLeader = kRcaLeader,
                                                         .symbols = kRcaSymbols,
                                                         .trailer = kRcaTrailer},
                                         .gapUs = 7360,
                                         .pack = packRca,
                                         .unpack = unpackRca,
                                         .checkedBits = 12};

inline constexpr FormDefinition kPanasonicOldForm{.protocol = Protocol::PanasonicOld,
                                                  .name = "panasonic-old",
                                                  .carrierHz = 57600,
                                                  .bits = 22,
                                                  .maxDevice = 0x1F,
                                                  .maxCommand = 0x3F,
                                                  .symbolFrame = {.leader = kPanaOldLeader,
                                                                  .repeatLeader = kPanaOldLeader,
                                                                  .symbols = kPanaOldSymbols,
                                                                  .trailer = kPanaOldTrailer},
                                                  .gapUs = 44000,
                                                  .pack = packPanaOld,
                                                  .unpack = unpackPanaOld,
                                                  .checkedBits = 11};

} // namespace irform::detail
