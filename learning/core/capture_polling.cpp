#include "learning/core/capture_polling.h"

#include <memory>

namespace learning {

CaptureOutcome waitForCapture(device::UrcLibrary& device,
                              const std::function<bool()>& stopRequested, const CaptureClock& clock,
                              int64_t window, const std::function<void()>& listening) {
    const int64_t start = clock();
    if (!device.SetCodeCarrierWave())
        return {CaptureEnd::CaptureModeRefused, {}};
    if (listening)
        listening();
    for (;;) {
        if (stopRequested())
            return {CaptureEnd::Stopped, {}};
        if (clock() - start > window)
            return {CaptureEnd::WindowOver, {}};
        const auto buffer = std::make_unique<char[]>(kCaptureTextLength); // zero-filled
        if (device.RCollectCodeInfo(buffer.get()))
            return {CaptureEnd::Captured, std::string(buffer.get(), kCaptureTextLength)};
        if (!device.link_state())
            return {CaptureEnd::LinkLost, {}};
    }
}

} // namespace learning
