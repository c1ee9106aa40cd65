#pragma once
// The timing body that the conversion library receives: the timing text after
// its count, carrier and tag. Four-digit durations in microseconds alternate
// mark and space, starting with a mark; a duration below zero is written as
// eight digits (32-bit two's complement, always "FFFF" first, while no real
// duration reaches 0xFFFF). "FEFE" + four digits of milliseconds + "EDED" is a
// gap between two marks; a lone "EDED" ends the body; a gap group that ends the
// body is the end itself (the "FEFE0014EDED" form of a capture without gaps).
#include "irform/signal.h"

#include <optional>
#include <string_view>

namespace irform {

// The body does not carry the carrier: signals read from it get this one.
inline constexpr int kDefaultCarrierHz = 38000;
// The silence after a signal read from a body: the capture only tells that it
// was longer than the end marker.
inline constexpr uint32_t kTrailingGapUs = 100000;
// A space this short inside a body joins the marks on either side: the
// capture's zero space word, which the encoder writes as 58 us.
inline constexpr uint32_t kJoinedMarkSpaceUs = 58;

// The signal of a timing body (a long mark's pieces joined); nullopt when the body is not one (no
// end, a character that is not a hex digit, a gap group cut short, no mark at all). The caller cuts
// a fixed five characters off the timing text, which is one to three too few when the count or the
// carrier needs more digits; the body is a whole number of four-digit words, so those extra leading
// characters are recognised by the length and skipped.
std::optional<Signal> parseTimingBody(std::string_view body);

// A gap group's value stands for any gap between x and x + 1 ms.
uint32_t gapMicroseconds(uint32_t milliseconds);

} // namespace irform
