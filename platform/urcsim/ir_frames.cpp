#include "platform/urcsim/ir_frames.h"

#include "irform/capture_render.h"

#include <algorithm>
#include <linux/lirc.h>
#include <numeric>

namespace urcsim::ir {

uint32_t captureEndGapUs() {
    // renderCapture ends the capture at a space that, less the receiver's
    // stretch, fills the end marker's fillers.
    const uint32_t markerUnits = irform::kEndMarkerFillers * irform::kFillerUnits;
    return irform::kReceiverStretchUs +
           (markerUnits + irform::kUnitsPerUs - 1) / irform::kUnitsPerUs;
}

std::size_t maxCaptureDurations() {
    return irform::kCaptureCapacity / 4;
}

Mode2Frames::Mode2Frames(uint32_t endGapUs, std::size_t maxDurations)
    : endGapUs_(endGapUs), maxDurations_(maxDurations) {}

void Mode2Frames::reset() {
    durations_.clear();
    carrierHz_ = 0;
}

FrameEvent Mode2Frames::finish(uint32_t finalGapUs) {
    FrameEvent event;
    if (skipping_) {
        skipping_ = false;
        reset();
        return event;
    }
    if (durations_.empty())
        return event;
    event.kind = FrameEvent::Kind::Frame;
    event.carrierMeasured = carrierHz_ > 0;
    event.signal.carrierHz = carrierHz_ > 0 ? carrierHz_ : kDefaultCarrierHz;
    event.signal.durations = std::move(durations_);
    // The gap that ended it is the signal's final space (none when the
    // buffer cut it: what followed was not seen).
    if (event.signal.durations.size() % 2 == 1 && finalGapUs > 0)
        event.signal.durations.push_back(finalGapUs);
    reset();
    return event;
}

FrameEvent Mode2Frames::addDuration(bool pulse, uint32_t us) {
    if (us == 0)
        return {};
    if (!pulse && us >= endGapUs_)
        return finish(us);
    if (skipping_)
        return {};
    if (durations_.empty() && !pulse)
        return {}; // the silence before the signal
    const bool lastIsPulse = durations_.size() % 2 == 1;
    if (pulse == lastIsPulse) {
        // Two samples of one kind in a row (a driver's split): one duration,
        // no longer than a sample can say.
        durations_.back() = std::min<uint32_t>(durations_.back() + us, LIRC_VALUE_MASK);
        return {};
    }
    durations_.push_back(us);
    if (durations_.size() < maxDurations_)
        return {};
    // The capture buffer is full: the URC stops capturing here.
    FrameEvent event = finish(0);
    skipping_ = true;
    return event;
}

FrameEvent Mode2Frames::feed(uint32_t sample) {
    const uint32_t value = sample & LIRC_VALUE_MASK;
    switch (sample & LIRC_MODE2_MASK) {
    case LIRC_MODE2_PULSE:
        return addDuration(true, value);
    case LIRC_MODE2_SPACE:
        return addDuration(false, value);
    case LIRC_MODE2_FREQUENCY:
        // A receiver measures a signal's carrier once; a later report in the
        // same signal is not a measurement of it.
        if (!skipping_ && carrierHz_ == 0 && value >= kMinCarrierHz && value <= kMaxCarrierHz)
            carrierHz_ = static_cast<int>(value);
        return {};
    case LIRC_MODE2_TIMEOUT:
        return finish(value);
    case LIRC_MODE2_OVERFLOW: {
        const bool lost = !durations_.empty() && !skipping_;
        reset();
        skipping_ = true;
        if (!lost)
            return {};
        FrameEvent event;
        event.kind = FrameEvent::Kind::Dropped;
        event.reason = "the receiver's buffer overflowed; the signal was lost";
        return event;
    }
    default:
        return {}; // a kind of sample this URC has no use for
    }
}

namespace {

// A frame of the signal: durations [first, last] (pulses at both ends) and the
// space that follows it (0 for the last).
struct Frame {
    std::size_t first;
    std::size_t last;
    uint32_t gapAfter;
};

std::vector<Frame> framesOf(const std::vector<uint32_t>& d, uint32_t splitGapUs) {
    std::vector<Frame> frames;
    std::size_t first = 0;
    for (std::size_t i = 1; i + 1 < d.size(); i += 2) {
        if (d[i] >= splitGapUs) {
            frames.push_back({first, i - 1, d[i]});
            first = i + 1;
        }
    }
    frames.push_back({first, d.size() - 1, 0});
    return frames;
}

uint64_t sum(const std::vector<uint32_t>& d, std::size_t first, std::size_t last) {
    return std::accumulate(d.begin() + static_cast<long>(first),
                           d.begin() + static_cast<long>(last) + 1, uint64_t{0});
}

std::string tooLong(std::size_t frameNumber, std::size_t count, uint64_t us,
                    const TransmitLimits& limits) {
    return "frame " + std::to_string(frameNumber) + " of the signal holds " +
           std::to_string(count) + " durations lasting " + std::to_string(us) +
           " us; the transmitter takes at most " + std::to_string(limits.maxValues) +
           " durations and " + std::to_string(limits.maxTotalUs) + " us at once";
}

} // namespace

TransmitPlan planTransmission(const irform::Signal& signal, const TransmitLimits& limits,
                              uint32_t splitGapUs) {
    std::vector<uint32_t> d = signal.durations;
    if (!d.empty() && d.size() % 2 == 0)
        d.pop_back(); // the final gap is silence: nothing to write
    if (d.empty())
        return {{}, "the signal has no pulse to send"};
    for (std::size_t i = 0; i < d.size(); ++i)
        if (d[i] == 0)
            return {{}, "duration " + std::to_string(i + 1) + " of the signal is 0 us"};
    if (const uint64_t total = sum(d, 0, d.size() - 1); total > limits.maxPressUs)
        return {{},
                "the signal lasts " + std::to_string(total) + " us; the URC sends at most " +
                    std::to_string(limits.maxPressUs) + " us for one press"};
    TransmitPlan plan;
    TransmitChunk chunk;
    uint64_t chunkUs = 0;
    const auto frames = framesOf(d, splitGapUs);
    for (std::size_t f = 0; f < frames.size(); ++f) {
        const Frame& frame = frames[f];
        const std::size_t count = frame.last - frame.first + 1;
        const uint64_t us = sum(d, frame.first, frame.last);
        if (count > limits.maxValues || us > limits.maxTotalUs)
            return {{}, tooLong(f + 1, count, us, limits)};
        const uint32_t gapBefore = f == 0 ? 0 : frames[f - 1].gapAfter;
        const bool fits = !chunk.pulses.empty() &&
                          chunk.pulses.size() + 1 + count <= limits.maxValues &&
                          chunkUs + gapBefore + us <= limits.maxTotalUs;
        if (fits) {
            chunk.pulses.push_back(gapBefore);
            chunkUs += gapBefore;
        } else if (!chunk.pulses.empty()) {
            chunk.gapAfterUs = gapBefore;
            plan.chunks.push_back(std::move(chunk));
            chunk = {};
            chunkUs = 0;
        }
        chunk.pulses.insert(chunk.pulses.end(), d.begin() + static_cast<long>(frame.first),
                            d.begin() + static_cast<long>(frame.last) + 1);
        chunkUs += us;
    }
    plan.chunks.push_back(std::move(chunk));
    return plan;
}

} // namespace urcsim::ir
