#pragma once
// Encoding and decoding of the built-in protocols with their exact timings.
#include "platform/irform/signal.h"

#include <optional>

namespace irform {

// One key press as the original remote sends it: the frame with its repeats,
// ending with a long gap. nullopt when device or command is out of range.
//  - NEC / NEC extended: one frame (leader 9000/4500, 32 bits LSB first,
//    560 stop mark) and one repeat code, 108 ms apart.
//  - RC5: two identical frames (toggle 0), 113.778 ms apart.
//  - SIRC: three identical frames, 45 ms apart.
std::optional<Signal> encode(Protocol protocol, uint32_t device, uint32_t command);

// Reads the first frame of a signal with a tolerance of 30% (at least 200 us)
// on every duration. An NEC frame whose second byte is the inverse of its
// first is plain NEC; any other second byte makes it NEC extended. The RC5
// toggle bit is ignored.
std::optional<Decoded> decode(const Signal& signal);

// True when `actual` lies within the tolerance of `nominal`.
bool withinTolerance(uint32_t actual, uint32_t nominal);

// A space this long or longer ends a frame.
inline constexpr uint32_t kFrameGapUs = 4000;

} // namespace irform
