#include "platform/urcsim/ir_transmitter.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <linux/lirc.h>
#include <thread>
#include <unistd.h>

namespace urcsim {

std::unique_ptr<IrTransmitter> IrTransmitter::open(const std::string& path, std::string& error) {
    auto device = LircDevice::open(path, LircRole::Transmit, error);
    if (!device)
        return nullptr;
    std::unique_ptr<IrTransmitter> transmitter(new IrTransmitter(std::move(device)));
    error = transmitter->setUp();
    if (!error.empty())
        return nullptr;
    return transmitter;
}

std::string IrTransmitter::setUp() {
    if (auto problem = device_->set(LIRC_SET_SEND_MODE, LIRC_MODE_PULSE, "the pulse sending");
        !problem.empty())
        return problem;
    if (device_->can(LIRC_CAN_SET_SEND_DUTY_CYCLE)) {
        auto problem =
            device_->set(LIRC_SET_SEND_DUTY_CYCLE, ir::kSendDutyCyclePercent, "the duty cycle");
        dutyCycleSet_ = problem.empty();
        if (!dutyCycleSet_)
            std::cerr << "urc-sim: " << problem << "; sending with the device's own" << std::endl;
    }
    return {};
}

std::string IrTransmitter::description() const {
    std::string text = device_->path() + " (carrier ";
    text += device_->can(LIRC_CAN_SET_SEND_CARRIER) ? "set per code" : "fixed by the device";
    text += dutyCycleSet_ ? ", duty cycle " + std::to_string(ir::kSendDutyCyclePercent) + " %"
                          : ", the device's duty cycle";
    return text + ")";
}

std::string IrTransmitter::writeChunk(const ir::TransmitChunk& chunk) {
    const std::size_t bytes = chunk.pulses.size() * sizeof(uint32_t);
    ssize_t written;
    do {
        // The kernel returns once the signal has gone out.
        written = ::write(device_->fd(), chunk.pulses.data(), bytes);
    } while (written < 0 && errno == EINTR);
    if (written < 0)
        return "cannot transmit through " + device_->path() + ": " + std::strerror(errno);
    if (static_cast<std::size_t>(written) != bytes)
        return "cannot transmit through " + device_->path() + ": it sent only " +
               std::to_string(written / sizeof(uint32_t)) + " of " +
               std::to_string(chunk.pulses.size()) + " durations";
    return {};
}

std::string IrTransmitter::transmit(const irform::Signal& signal) {
    const ir::TransmitPlan plan = ir::planTransmission(signal, ir::TransmitLimits{});
    if (!plan.error.empty())
        return "cannot transmit through " + device_->path() + ": " + plan.error;
    std::lock_guard lock(mutex_);
    if (device_->can(LIRC_CAN_SET_SEND_CARRIER)) {
        if (signal.carrierHz <= 0)
            return "cannot transmit through " + device_->path() + ": the code has no carrier";
        auto problem = device_->set(LIRC_SET_SEND_CARRIER, static_cast<uint32_t>(signal.carrierHz),
                                    "the carrier " + std::to_string(signal.carrierHz) + " Hz");
        if (!problem.empty())
            return problem;
    }
    for (const auto& chunk : plan.chunks) {
        if (auto problem = writeChunk(chunk); !problem.empty())
            return problem;
        // The gap between two frames that went out as separate writes.
        std::this_thread::sleep_for(std::chrono::microseconds(chunk.gapAfterUs));
    }
    return {};
}

} // namespace urcsim
