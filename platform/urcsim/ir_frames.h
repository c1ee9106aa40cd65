#pragma once
// The pure side of the URC's real infrared: the kernel's mode2 samples made
// into one received signal at a time, and a stored signal made into the
// pulse/space writes a LIRC transmitter takes. No device is touched here.
#include "irform/signal.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace urcsim::ir {

// A receiver module that cannot measure the carrier is almost always a 38 kHz one.
inline constexpr int kDefaultCarrierHz = 38000;
// The carriers remotes use lie well within these (455 kHz ones included).
inline constexpr uint32_t kMinCarrierHz = 10000;
inline constexpr uint32_t kMaxCarrierHz = 500000;
// The duty cycle the URC's LED is driven with where the transmitter can set it.
inline constexpr uint32_t kSendDutyCyclePercent = 33;

// The shortest space after which the URC's capture ends (renderCapture writes
// its end marker there): the silence that separates one key press from the next.
uint32_t captureEndGapUs();
// Every duration takes at least one word of the capture buffer: a signal with
// more durations than this is cut by the buffer anyway.
std::size_t maxCaptureDurations();

// What one mode2 sample did to the signal being assembled.
struct FrameEvent {
    enum class Kind { None, Frame, Dropped };
    Kind kind = Kind::None;
    irform::Signal signal; // Frame: marks and spaces in us, ending with its final gap
    bool carrierMeasured = false;
    std::string reason; // Dropped: why
};

// Assembles mode2 samples (LIRC_MODE2_PULSE / SPACE / FREQUENCY / TIMEOUT /
// OVERFLOW) into signals. A signal starts with its first pulse (a space
// before it is the silence since the last one) and ends at a timeout sample or
// at a space of at least endGapUs. The first carrier sample belongs to the
// signal in progress, or to the next one when none is; a later one in the same
// signal and one outside the carriers remotes use (kMinCarrierHz to
// kMaxCarrierHz) are ignored: rc-loopback, for one, reports its closing
// silence as a second "carrier" of the timeout's microseconds. An overflow loses the
// signal in progress; so does a buffer filled to maxDurations, after which the signal is handed on
// as far as it went and its rest is ignored.
class Mode2Frames {
public:
    explicit Mode2Frames(uint32_t endGapUs = captureEndGapUs(),
                         std::size_t maxDurations = maxCaptureDurations());
    FrameEvent feed(uint32_t sample);
    // A signal has begun and not yet ended.
    bool inProgress() const { return !durations_.empty() || skipping_; }
    // The receiver stayed silent for silenceUs without saying so (a device
    // without timeout reports): the signal in progress ends there.
    FrameEvent endBySilence(uint32_t silenceUs) { return finish(silenceUs); }

private:
    FrameEvent finish(uint32_t finalGapUs);
    FrameEvent addDuration(bool pulse, uint32_t us);
    void reset();

    uint32_t endGapUs_;
    std::size_t maxDurations_;
    std::vector<uint32_t> durations_;
    int carrierHz_ = 0;     // 0: not measured
    bool skipping_ = false; // the rest of a signal that was cut or lost
};

// The kernel's limits on one write to a LIRC transmitter (drivers/media/rc:
// LIRCBUF_SIZE values, IR_MAX_DURATION in total), and the longest press the
// URC sends: its answer waits for the press to go out (kMaxPressMs).
inline constexpr uint32_t kMaxPressMs = 10000;
struct TransmitLimits {
    std::size_t maxValues = 1024;
    uint64_t maxTotalUs = 500000;
    uint64_t maxPressUs = uint64_t{kMaxPressMs} * 1000;
};

// One write: an odd count of durations from a pulse to a pulse, then the
// silence to keep before the next write.
struct TransmitChunk {
    std::vector<uint32_t> pulses;
    uint32_t gapAfterUs = 0;
};

struct TransmitPlan {
    std::vector<TransmitChunk> chunks; // empty when error is set
    std::string error;
};

// The writes that send `signal`: its final gap is not written; a press longer
// than one write is split at the gaps between its frames (spaces of at least
// splitGapUs), which the sender waits out. A frame that alone passes the
// limits, a zero duration or a signal without a pulse is refused with a
// sentence naming the limit.
TransmitPlan planTransmission(const irform::Signal& signal, const TransmitLimits& limits,
                              uint32_t splitGapUs = 4000);

} // namespace urcsim::ir
