#pragma once
// Encoding and decoding of the built-in protocols with their exact timings.
#include "irform/signal.h"

#include <optional>

namespace irform {

// One key press as the original remote sends it: the frame with its repeats
// as the form table describes them, ending with a long gap. nullopt when
// device or command is out of range.
std::optional<Signal> encode(Protocol protocol, uint32_t device, uint32_t command);

// Reads a signal as the form that fits it best: every duration within 25% or
// 150 us of its nominal value (whichever is wider), the layout's fixed fields
// and checks holding, and what follows the first frame being its own repeats
// (a repeat cut off at the end is accepted). Of several forms that fit, the
// closest wins; equally close fits go to the form that checks more bits, then
// to the more common form. An NEC frame whose second byte is the inverse of
// its first is plain NEC. Toggle bits are ignored.
// Only forms whose carrier fits the signal's carrier (carrierFits) are tried:
// a 38 kHz signal with the timing of a 56 kHz form is not that form.
std::optional<Decoded> decode(const Signal& signal);

// A press as it was read: the code, the whole frames it held (a repeat cut
// off by the end of the signal is not counted) and whether its toggle bit was
// set, so that the press can be sent again as it came.
struct Press {
    Decoded code;
    int frames = 1;
    bool toggled = false;
    bool operator==(const Press&) const = default;
};
// decode() keeping the press; carrierHz nullopt when the carrier was not
// measured: then every form is tried, timing alone deciding.
std::optional<Press> decodePress(const std::vector<uint32_t>& durations,
                                 std::optional<int> carrierHz);
// The press rendered with its frames and toggle bit (at least one frame).
std::optional<Signal> encodePress(const Press& press);

// The carrier as a witness, the one rule every path applies (learning's,
// urc-tool set's and import's through the conversion library, decode()): a
// measured carrier may belong to a form whose nominal carrier is formHz when
// it lies within kCarrierTolerancePercent of formHz, the edge included
// (|measured - formHz| <= 10 % of formHz); a form further away is not a fit,
// however well its timing fits. Remotes of one form differ by a few percent
// (NEC remotes at 36 to 40 kHz); forms far apart (33, 38, 56 kHz) stay apart,
// and two forms of one timing whose carriers lie further apart than this are
// told apart by it. The measurement is compared as it comes: the URC gives
// whole kHz, so for a 40 kHz form 44.4 kHz (11 %) reads as 44 kHz, a fit.
// Without a measurement no form is ruled out.
inline constexpr int kCarrierTolerancePercent = 10;
bool carrierFits(int formHz, int carrierHz);

// True when `actual` lies within the tolerance of `nominal`.
bool withinTolerance(uint32_t actual, uint32_t nominal);

// A space this long or longer ends a frame.
inline constexpr uint32_t kFrameGapUs = 4000;

} // namespace irform
