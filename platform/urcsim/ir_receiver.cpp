#include "platform/urcsim/ir_receiver.h"

#include "irform/capture_render.h"
#include "platform/urcsim/ir_frames.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <linux/lirc.h>
#include <poll.h>
#include <unistd.h>

namespace urcsim {

namespace {
constexpr std::size_t kSamplesPerRead = 256;
constexpr int kSilenceMarginMs = 50;
} // namespace

std::unique_ptr<IrReceiver> IrReceiver::open(const std::string& path, std::string& error) {
    auto device = LircDevice::open(path, LircRole::Receive, error);
    if (!device)
        return nullptr;
    std::unique_ptr<IrReceiver> receiver(new IrReceiver(std::move(device)));
    error = receiver->setUp();
    if (!error.empty())
        return nullptr;
    return receiver;
}

IrReceiver::IrReceiver(std::unique_ptr<LircDevice> device) : device_(std::move(device)) {}

std::string IrReceiver::setUp() {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
        return std::string("cannot create a pipe: ") + std::strerror(errno);
    if (auto problem = device_->set(LIRC_SET_REC_MODE, LIRC_MODE_MODE2, "the mode2 reception");
        !problem.empty())
        return problem;
    if (device_->can(LIRC_CAN_SET_REC_TIMEOUT)) {
        // The capture ends at its end gap; a device that cannot wait that long
        // ends a signal at its longest timeout instead.
        const uint32_t low = device_->get(LIRC_GET_MIN_TIMEOUT).value_or(0);
        const uint32_t high = device_->get(LIRC_GET_MAX_TIMEOUT).value_or(ir::captureEndGapUs());
        const uint32_t wanted = std::clamp(ir::captureEndGapUs(), low, std::max(low, high));
        oldTimeoutUs_ = device_->get(LIRC_GET_REC_TIMEOUT);
        if (device_->set(LIRC_SET_REC_TIMEOUT, wanted, "the receive timeout").empty())
            timeoutUs_ = wanted;
    }
    // Measuring is switched on for captures only (measureCarrier): a device in
    // carrier-report mode may hide its closing silences from the kernel's
    // decoders, and another program may be decoding the same receiver.
    if (device_->can(LIRC_CAN_MEASURE_CARRIER))
        measuresCarrier_ =
            device_->set(LIRC_SET_MEASURE_CARRIER_MODE, 0, "the carrier measurement").empty();
    return {};
}

void IrReceiver::measureCarrier(bool on) {
    if (!measuresCarrier_)
        return;
    if (auto problem =
            device_->set(LIRC_SET_MEASURE_CARRIER_MODE, on ? 1 : 0, "the carrier measurement");
        !problem.empty())
        report(problem);
}

IrReceiver::~IrReceiver() {
    stop();
    if (measuresCarrier_)
        device_->set(LIRC_SET_MEASURE_CARRIER_MODE, 0, "the carrier measurement");
    if (oldTimeoutUs_ && timeoutUs_ && *oldTimeoutUs_ != *timeoutUs_)
        device_->set(LIRC_SET_REC_TIMEOUT, *oldTimeoutUs_, "the receive timeout");
    for (int fd : wake_)
        if (fd >= 0)
            ::close(fd);
}

std::string IrReceiver::description() const {
    std::string text = device_->path() + " (carrier ";
    text += measuresCarrier_
                ? "measured while capturing"
                : "not measured: taken as " + std::to_string(ir::kDefaultCarrierHz) + " Hz";
    text += timeoutUs_ ? ", timeout " + std::to_string(*timeoutUs_) + " us"
                       : ", the device's own timeout";
    return text + ")";
}

void IrReceiver::start(Deliver deliver) {
    deliver_ = std::move(deliver);
    thread_ = std::thread([this] { run(); });
}

void IrReceiver::stop() {
    if (!thread_.joinable())
        return;
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(wake_[1], &byte, 1);
    thread_.join();
}

void IrReceiver::report(const std::string& problem) const {
    std::cerr << "urc-sim: the infrared receiver " << device_->path() << " " << problem
              << std::endl;
}

void IrReceiver::handle(uint32_t sample, ir::Mode2Frames& frames) {
    deliverFrame(frames.feed(sample));
}

void IrReceiver::deliverFrame(const ir::FrameEvent& event) {
    if (event.kind == ir::FrameEvent::Kind::Dropped) {
        report("lost a signal: " + event.reason);
        return;
    }
    if (event.kind != ir::FrameEvent::Kind::Frame)
        return;
    // The kernel's durations are what the receiver module passed on; the
    // rendering adds the URC's own receiver stretch, which the timing encoder
    // takes off again, so a learned code keeps the durations seen here.
    if (deliver_(irform::renderCapture(event.signal)))
        std::cerr << "urc-sim: captured an infrared signal from " << device_->path() << ": "
                  << event.signal.durations.size() << " durations, carrier "
                  << event.signal.carrierHz << " Hz"
                  << (event.carrierMeasured ? " (measured)" : " (not measured)") << std::endl;
}

// False once the device cannot be read any more.
bool IrReceiver::readSamples(ir::Mode2Frames& frames) {
    uint32_t samples[kSamplesPerRead];
    const ssize_t got = ::read(device_->fd(), samples, sizeof samples);
    if (got < 0) {
        if (errno == EAGAIN || errno == EINTR)
            return true;
        report(std::string("stopped: ") + std::strerror(errno) +
               "; nothing more is received from it");
        return false;
    }
    if (got == 0) {
        report("stopped: the device was closed; nothing more is received from it");
        return false;
    }
    for (ssize_t i = 0; i < got / static_cast<ssize_t>(sizeof(uint32_t)); ++i)
        handle(samples[i], frames);
    return true;
}

void IrReceiver::run() {
    ir::Mode2Frames frames;
    // A signal still open this long after the last sample has ended, whether
    // or not the device said so; its own timeout report comes first normally.
    const uint32_t silenceUs = std::max(timeoutUs_.value_or(0), ir::captureEndGapUs());
    const int silenceMs = static_cast<int>(silenceUs / 1000) + kSilenceMarginMs;
    for (;;) {
        pollfd fds[2] = {{device_->fd(), POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const int ready = ::poll(fds, 2, frames.inProgress() ? silenceMs : -1);
        if (ready < 0) {
            if (errno == EINTR)
                continue;
            report(std::string("stopped: cannot wait for it: ") + std::strerror(errno));
            return;
        }
        if (ready == 0) {
            deliverFrame(frames.endBySilence(silenceUs));
            continue;
        }
        if (fds[1].revents != 0)
            return;
        if (fds[0].revents & POLLIN) {
            if (!readSamples(frames))
                return;
        } else if (fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) {
            report("stopped: the device is gone; nothing more is received from it");
            return;
        }
    }
}

} // namespace urcsim
