#include "learning/collect_code.h"

#include <chrono>

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
    CaptureOutcome outcome = waitForCapture(
        device_, [this] { return stopRequested(); }, clock_, kCaptureWindowSeconds);
    if (outcome.end == CaptureEnd::Captured)
        capturedCode_ = std::move(outcome.text);
}

} // namespace learning
