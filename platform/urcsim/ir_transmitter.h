#pragma once
// The URC's infrared LED on a kernel device: a stored key's signal written in
// pulse mode with the code's carrier and the URC's duty cycle, one press at a time.
#include "irform/signal.h"
#include "platform/urcsim/ir_frames.h"
#include "platform/urcsim/lirc_device.h"

#include <memory>
#include <mutex>
#include <string>

namespace urcsim {

class IrTransmitter {
public:
    static std::unique_ptr<IrTransmitter> open(const std::string& path, std::string& error);

    // Sends one press; returns when it was sent. Empty on success, else a
    // sentence naming the device and what it refused.
    std::string transmit(const irform::Signal& signal);

    const std::string& path() const { return device_->path(); }
    // "/dev/lirc0 (carrier set per code, duty cycle 33 %)" for the log.
    std::string description() const;

private:
    explicit IrTransmitter(std::unique_ptr<LircDevice> device) : device_(std::move(device)) {}
    std::string setUp();
    std::string writeChunk(const ir::TransmitChunk& chunk);

    std::mutex mutex_; // one LED: presses go out one after the other
    std::unique_ptr<LircDevice> device_;
    bool dutyCycleSet_ = false;
};

} // namespace urcsim
