#pragma once
// The table that describes every protocol form: carrier, frame shape, bit
// coding, bit layout and repeat frames. One generic renderer and one generic
// best-fit decoder work from it, so a form is added by adding a row.
//
// Two frame shapes:
//  - symbol frames: a leader, then the payload as symbols of one, two or four
//    bits (a table of 2, 4 or 16 entries), each a pair of durations (mark then space, or space then
//    mark when the leader ends with a mark: pulse distance and pulse width alike), an optional
//    separator after some bits, and a trailer;
//  - biphase frames: a pattern of half-bit slots of `unit` us ('+' a fixed
//    mark slot, '-' a fixed space slot, 'b' a bit of one slot per half, 'B' a
//    bit of two slots per half) read as runs of equal slots.
#include "irform/protocols.h"
#include "irform/signal.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace irform::detail {

struct Pair {
    uint32_t first = 0;
    uint32_t second = 0;
};

// Device and command as they leave the payload.
struct Fields {
    uint32_t device = 0;
    uint32_t command = 0;
};

enum class Shape { Symbols, Biphase };
// How a press repeats: a short "ditto" frame, or the whole frame again.
enum class Repeat { Ditto, Frame };

// The parts of a symbol frame, in the order they are sent.
struct SymbolFrame {
    std::span<const uint32_t> leader{};       // first frame
    std::span<const uint32_t> repeatLeader{}; // later frames (may be empty)
    std::span<const Pair> symbols{};          // 2, 4 or 16 entries: 1, 2 or 4 bits a symbol
    // A second pair some symbols send after their first ({0, 0}: none), one
    // entry a symbol; empty when every symbol is one pair.
    std::span<const Pair> symbolTails{};
    int separatorAfter = 0; // payload bits before the separator, 0 = none
    Pair separator{};
    std::span<const uint32_t> trailer{};
    // No trailer: the last symbol's space runs into the gap, which lasts that
    // much longer, and only its mark tells the last bit (pulse width).
    bool lastSpaceInGap = false;
};

struct BiphaseFrame {
    uint32_t unit = 0; // us a half-bit slot lasts
    std::string_view pattern{};
    bool oneIsMarkFirst = false;
};

// A row of the form table. An aggregate, so that a row names its fields
// (designated initializers, in this order) and leaves the rest at the
// defaults: no separator, no ditto frame, two frames a press, every frame
// repeating the first, no toggle bit.
struct FormDefinition {
    Protocol protocol = Protocol::Nec;
    std::string_view name{};
    int carrierHz = 0;
    Shape shape = Shape::Symbols;
    int bits = 0;          // payload bits in a frame
    bool msbFirst = false; // payload value sent most significant bit first
    uint32_t maxDevice = 0;
    uint32_t maxCommand = 0;
    SymbolFrame symbolFrame{};   // symbol frames
    BiphaseFrame biphaseFrame{}; // biphase frames
    // Timing of frames: start-to-start period, or else the gap after a frame.
    uint32_t periodUs = 0;
    uint32_t gapUs = 0;
    int framesPerPress = 2; // frames a rendered press holds (ditto frames included)
    Repeat repeat = Repeat::Frame;
    std::span<const uint32_t> ditto{};
    uint32_t dittoGapUs = 0; // the gap after a ditto frame when it differs from gapUs
    // Layout: device and command to payload, payload back (nullopt when a
    // fixed field, check or inverse does not hold).
    uint64_t (*pack)(Fields fields) = nullptr;
    std::optional<Fields> (*unpack)(uint64_t payload) = nullptr;
    // Payload of the n-th frame of a press (n >= 1) given the first; null when
    // every frame repeats the first.
    uint64_t (*laterFrame)(uint64_t first, int n) = nullptr;
    uint64_t toggleMask = 0; // payload bits that may change between presses
    int checkedBits = 0;     // bits the layout fixes or checks: breaks ties
    // Symbols the decoder may read as their runner-up when the nearest break
    // the layout's checks: for symbol tables of steps finer than a
    // receiver's jitter over the longest symbol.
    int repairableSymbols = 0;
};

// The second pair of symbol i ({0, 0} when it has none), and the durations
// the symbol takes.
constexpr Pair symbolTail(const SymbolFrame& frame, std::size_t i) {
    return i < frame.symbolTails.size() ? frame.symbolTails[i] : Pair{};
}
constexpr std::size_t symbolLength(const SymbolFrame& frame, std::size_t i) {
    return symbolTail(frame, i).first != 0 ? 4 : 2;
}

// Payload bits one symbol of the form carries (log2 of its table's size).
constexpr int symbolBits(const FormDefinition& form) {
    int bits = 0;
    while ((std::size_t{1} << bits) < form.symbolFrame.symbols.size())
        ++bits;
    return bits;
}

std::span<const FormDefinition> formDefinitions();
const FormDefinition& formDefinition(Protocol protocol);

// Nominal durations of one frame (ending with a mark), and a whole press.
std::vector<uint32_t> frameDurations(const FormDefinition& form, uint64_t payload, bool first);
Signal renderPress(const FormDefinition& form, uint64_t payload);
// A press of `frames` frames (repeats and ditto frames as the form sends them).
Signal renderPress(const FormDefinition& form, uint64_t payload, int frames);

// The gap that follows a frame of the given length (a ditto frame when `ditto`).
uint32_t gapAfter(const FormDefinition& form, uint32_t frameLengthUs, bool ditto = false);
// The symbol (an index into the symbol table) that sends payload bits from
// `firstBit` on (in the order sent), and the last space of the frame's last
// symbol when it runs into the gap (else 0).
std::size_t sentSymbol(const FormDefinition& form, uint64_t payload, int firstBit);
uint32_t spaceInGap(const FormDefinition& form, uint64_t payload);

struct FormFit {
    Press press;
    double error = 0; // mean of |actual - nominal| / slack over what was compared
};
// Reads the whole signal as this form: the first frame, then only its own
// repeats (or a cut-off part of one at the end). nullopt when it does not fit.
std::optional<FormFit> fitForm(const FormDefinition& form, const std::vector<uint32_t>& d);
// The form that fits best (see decode()) among those whose carrier fits
// carrierHz (carrierFits: within kCarrierTolerancePercent); every form when it
// is nullopt. The first reads the whole table; the second only `forms`, whose
// order breaks ties as the table's does.
std::optional<Press> bestFit(const std::vector<uint32_t>& d, std::optional<int> carrierHz);
std::optional<Press> bestFit(std::span<const FormDefinition> forms, const std::vector<uint32_t>& d,
                             std::optional<int> carrierHz);

// The carrier of a signal that no form reads but whose start has the shape
// of a form whose carrier lies far from 38 kHz (a 56 kHz leader, biphase
// half bits of 36 kHz forms); nullopt when nothing suggests one.
std::optional<int> shapeCarrierHz(const std::vector<uint32_t>& d);

// Largest difference accepted between a duration and its nominal value.
inline uint32_t slackFor(uint32_t nominal) {
    return std::max<uint32_t>(nominal / 4, 150);
}

} // namespace irform::detail
