#pragma once
// Reading the timing body that the conversion library receives: the timing
// text (timing_text.h) after its count, carrier and tag. No real duration
// reaches 0xFFFF, so a word "FFFF" always begins a negative one. A gap group
// that ends the body is the end itself (the form a capture without gaps ends
// in).
#include "irform/signal.h"
#include "irform/timing_text.h"

#include <optional>
#include <string_view>

namespace irform {

// The body does not carry the carrier: signals read from it get this one.
inline constexpr int kDefaultCarrierHz = 38000;
// The silence after a signal read from a body: the capture only tells that it
// was longer than the end marker.
inline constexpr uint32_t kTrailingGapUs = 100000;
// A space this short inside a body joins the marks on either side: the
// capture's zero space word, which the encoder writes as the stretch alone.
inline constexpr uint32_t kJoinedMarkSpaceUs = timingtext::kStretchUs;

// The signal of a timing body (a long mark's pieces joined); nullopt when the body is not one (no
// end, a character that is not a hex digit, a gap group cut short, no mark at all). The caller cuts
// a fixed five characters off the timing text, which is one to three too few when the count or the
// carrier needs more digits; the body is a whole number of four-digit words, so those extra leading
// characters are recognised by the length and skipped.
std::optional<Signal> parseTimingBody(std::string_view body);

// A gap group's value stands for any gap between x and x + 1 ms.
uint32_t gapMicroseconds(uint32_t milliseconds);

} // namespace irform
