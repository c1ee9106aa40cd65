#pragma once
// The URC's infrared receiver on a kernel device: a thread reads it in mode2
// and hands every signal it receives, as the capture text the URC records, to
// whoever takes it (the URC in capture mode; outside it the signal is dropped).
#include "platform/urcsim/lirc_device.h"

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>

namespace urcsim {

namespace ir {
class Mode2Frames;
struct FrameEvent;
} // namespace ir

class IrReceiver {
public:
    // True when the capture text was taken.
    using Deliver = std::function<bool(const std::string& captureHex)>;

    // Opens path for reception and sets it up: mode2 samples, a receive
    // timeout as long as the capture's end gap (as near as the device
    // allows), carrier measurement off until measureCarrier.
    static std::unique_ptr<IrReceiver> open(const std::string& path, std::string& error);
    ~IrReceiver(); // stops reading and gives the device its old timeout back
    IrReceiver(const IrReceiver&) = delete;
    IrReceiver& operator=(const IrReceiver&) = delete;

    // Carrier measurement on while the URC captures, off otherwise (where the
    // device can measure at all).
    void measureCarrier(bool on);

    // Reads until stop() in a thread of its own.
    void start(Deliver deliver);
    void stop();

    // "/dev/lirc0 (carrier measured while capturing, timeout 218505 us)" for the log.
    std::string description() const;

private:
    explicit IrReceiver(std::unique_ptr<LircDevice> device);
    std::string setUp();
    void run();
    void handle(uint32_t sample, ir::Mode2Frames& frames);
    void deliverFrame(const ir::FrameEvent& event);
    bool readSamples(ir::Mode2Frames& frames);
    void report(const std::string& problem) const;

    std::unique_ptr<LircDevice> device_;
    Deliver deliver_;
    int wake_[2] = {-1, -1};
    std::thread thread_;
    bool measuresCarrier_ = false;
    std::optional<uint32_t> timeoutUs_;    // as set, when the device takes one
    std::optional<uint32_t> oldTimeoutUs_; // to restore
};

} // namespace urcsim
