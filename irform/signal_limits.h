#pragma once
// What the URC can take in and keep exactly: the limits of its capture (the
// receiver's stretch, the silence that ends a capture, its buffer) and of the
// raw code form (its duration words and its 255 blocks). A signal past one of
// them would come back cut or changed, so callers refuse it before anything
// is written; each problem names the limit and the value.
#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "irform/signal.h"
#include "irform/timing_body.h"

#include <optional>
#include <string>

namespace irform {

// A space this short inside a signal reaches the timing body as the receiver's
// stretch alone, which joins the marks on either side.
inline constexpr uint32_t kShortestInnerSpaceUs = kJoinedMarkSpaceUs + 1;
// The longest space that stays inside a capture: one longer holds the end
// marker's fillers and ends the capture there.
inline constexpr uint32_t kLongestInnerSpaceUs =
    kReceiverStretchUs + (kEndMarkerFillers * kFillerUnits - 1) / kUnitsPerUs;

// Marks, the spaces between them (the final space ends the capture, whatever
// its length) and the capture buffer. nullopt when the signal fits.
std::optional<std::string> captureLimitProblem(const Signal& signal);

// The raw code form: every duration up to kLongestStoredDurationUs, and no more
// durations than 255 blocks hold (kMaxRawDurations when they need more than 16
// table entries, more in the compact layout). nullopt when it fits.
std::optional<std::string> rawFormLimitProblem(const Signal& signal);

} // namespace irform
