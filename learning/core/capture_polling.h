#pragma once
// Waiting for a captured code: the capture worker's loop without its thread,
// so that the window's worker and urc-tool learn put the URC into capture
// mode and poll it alike. Only the length of the wait and its clock differ.
#include "device/urc_library.h"

#include <cstdint>
#include <functional>
#include <string>

namespace learning {

// Capture length the device delivers.
inline constexpr int kCaptureTextLength = device::kCaptureBufferSize;

enum class CaptureEnd {
    Captured,           // a code arrived
    CaptureModeRefused, // SetCodeCarrierWave failed: nothing was polled
    Stopped,            // stopRequested said so before a poll
    WindowOver,         // the time window passed without a code
    LinkLost,           // the link was gone after a poll that brought nothing
};

struct CaptureOutcome {
    CaptureEnd end = CaptureEnd::CaptureModeRefused;
    // The whole buffer (kCaptureTextLength characters, zero-padded) when
    // Captured, empty otherwise.
    std::string text;
};

// Reads a count that grows with time; the window is in the same unit.
using CaptureClock = std::function<int64_t()>;

// Reads the clock, puts the URC into capture mode and polls it with no pause
// between polls: the pace is set by the device calls alone. The stop request
// and the time window (over at the first reading more than `window` after
// the first) are tested before each poll, the link only after a poll that
// brought nothing, so a code that arrives in the poll during which a stop was
// asked for is still kept. `listening` is called once capture mode is on.
CaptureOutcome waitForCapture(device::UrcLibrary& device,
                              const std::function<bool()>& stopRequested, const CaptureClock& clock,
                              int64_t window, const std::function<void()>& listening = {});

} // namespace learning
