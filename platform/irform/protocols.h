#pragma once
// Encoding and decoding of the built-in protocols with their exact timings.
#include "platform/irform/signal.h"

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
std::optional<Decoded> decode(const Signal& signal);

// True when `actual` lies within the tolerance of `nominal`.
bool withinTolerance(uint32_t actual, uint32_t nominal);

// A space this long or longer ends a frame.
inline constexpr uint32_t kFrameGapUs = 4000;

} // namespace irform
