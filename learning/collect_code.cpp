#include "learning/collect_code.h"

#include <chrono>
#include <memory>

namespace learning {

int64_t localClockSeconds() {
    using namespace std::chrono;
    return duration_cast<seconds>(system_clock::now().time_since_epoch()).count();
}

TCollectCode::TCollectCode(device::UrcLibrary& device, const std::atomic<int32_t>& control,
                           std::string& capturedCode, SecondsClock clock, QObject* parent)
    : QThread(parent), device_(device), control_(control), capturedCode_(capturedCode),
      clock_(std::move(clock)) {
    setObjectName(QStringLiteral("TCollectCode"));
}

void TCollectCode::run() {
    try {
        Execute();
    } catch (...) {
        capturedCode_.clear();
    }
}

bool TCollectCode::stopRequested() const {
    return control_.load() >= kCaptureStopRequested;
}

void TCollectCode::Execute() {
    capturedCode_.clear();
    const int64_t start = clock_();
    if (!device_.SetCodeCarrierWave())
        return;
    // No pause between passes: the pace is set by the device calls alone. The
    // stop request and the time window are tested before each poll, the link
    // only after a poll that brought nothing, so a code that arrives in the
    // poll during which learning stopped is still kept.
    for (;;) {
        if (stopRequested())
            return;
        if (clock_() - start > kCaptureWindowSeconds)
            return;
        const auto buffer = std::make_unique<char[]>(kCaptureTextLength); // zero-filled
        if (device_.RCollectCodeInfo(buffer.get())) {
            capturedCode_.assign(buffer.get(), kCaptureTextLength);
            return;
        }
        if (!device_.link_state())
            return;
    }
}

} // namespace learning
