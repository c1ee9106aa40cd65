#pragma once
// The capture worker: puts the URC into capture mode and polls it for a
// captured code until one arrives, the time window of about 8 seconds is over,
// the URC is gone, or learning mode asks it to stop. It only moves data: the
// code text goes to the window's CapturedCode and the window's handler takes
// it from there once the worker has ended.
#include "device/urc_library.h"
#include "learning/core/capture_polling.h"

#include <QThread>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

namespace learning {

// Values of CaptureControl.
inline constexpr int32_t kCaptureMayRun = 1;
inline constexpr int32_t kCaptureStopRequested = 2;

// Whole seconds of the local clock (seconds since the epoch, so that a window
// crossing midnight or a minute boundary is measured like any other).
using SecondsClock = std::function<int64_t()>;
int64_t localClockSeconds();

// The time window in seconds (the capture length, kCaptureTextLength, comes
// with the polling loop).
inline constexpr int64_t kCaptureWindowSeconds = 8;

class TCollectCode : public QThread {
    Q_OBJECT
public:
    // control and capturedCode belong to the main window and outlive the
    // worker (the window waits for a running worker before it goes).
    TCollectCode(device::UrcLibrary& device, const std::atomic<int32_t>& control,
                 std::string& capturedCode, SecondsClock clock = localClockSeconds,
                 QObject* parent = nullptr);

    // The worker's body (Execute).
    void Execute();

protected:
    // Execute, with nothing let out of the thread: an error (a failed
    // allocation, a device call that throws) ends it as a capture that brought
    // no code.
    void run() override;

private:
    bool stopRequested() const;

    device::UrcLibrary& device_;
    const std::atomic<int32_t>& control_;
    std::string& capturedCode_;
    SecondsClock clock_;
};

} // namespace learning
