#pragma once
// The URC's side of the USB link: 64-byte output reports in, put together
// into a request for the same firmware core that answers on the socket, and
// the answer out as 64-byte input reports with the request's sequence number.
// One request at a time, as the host's library sends them.
#include "platform/urcsim/usb_gadget.h"
#include "platform/urcwire/usb_frames.h"

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <thread>

namespace urcsim {

class Device;

// An answer waiting to be cut into input reports.
struct ReportAnswer {
    uint8_t sequence = 0;
    urcwire::usb::Message message;
};

// A capture goes to the host once: the firmware forgets it when COLLECT
// hands it over. Over USB that answer can be lost on the way (hidraw keeps 64
// input reports, a capture takes up to 166) and the host then asks again; so
// a COLLECT that finds nothing right after one that handed a capture over,
// with no other request between, is given that capture again.
class CaptureResend {
public:
    // The answer to give to a request of `operation`.
    urcwire::usb::Message answer(urcwire::usb::Operation operation,
                                 urcwire::usb::Message firmwareAnswer);

private:
    urcwire::usb::Message handedOver_; // the last COLLECT's capture, until another request
};

// Feeds one output report to `assembler`; the answer once a request is whole
// (the firmware's, or a malformed answer for a broken or unreadable one);
// nothing while a request is in progress or for a stray report.
std::optional<ReportAnswer> answerReport(Device& device, urcwire::usb::Assembler& assembler,
                                         std::span<const uint8_t> report, CaptureResend& resend);

// How long an input report may wait for the host to take it before its
// answer is given up (the host asked and went away): then the next request
// is read.
inline constexpr int kReportWriteTimeoutMs = 2000;

enum class ServeEnd {
    Stopped, // stopFd became readable
    Woken,   // wakeFd became readable
    Failed,  // reading or writing failed: error
    Closed,  // the other end closed
};
struct ServeResult {
    ServeEnd end = ServeEnd::Stopped;
    int error = 0;
};

// Serves the reports of `fd` (a /dev/hidgN, or a SOCK_SEQPACKET socket in
// tests) until one of the ends above; makes `fd` non-blocking.
ServeResult serveReports(int fd, Device& device, int stopFd, int wakeFd);

// What GadgetServer drives: the gadget, or a stand-in in tests.
class ReportEndpoint {
public:
    virtual ~ReportEndpoint() = default;
    // Both: empty, or what went wrong.
    virtual std::string plug() = 0;
    virtual std::string unplug() = 0;
    // A descriptor for the reports while plugged; -1 and error set if none.
    virtual int open(std::string& error) = 0;
};

// How long the link waits before opening the endpoint again after it failed
// (a gadget unbound under it, a cable pulled): no busy loop, and the host is
// served again soon after it is back.
inline constexpr int kReopenDelayMs = 250;
// How long the bench's plug or unplug waits for the gadget to follow.
inline constexpr int kCableFollowTimeoutMs = 10000;

// Serves the endpoint on a thread of its own until stopFd becomes readable or
// it is destroyed; the endpoint starts plugged.
class GadgetServer {
public:
    GadgetServer(ReportEndpoint& endpoint, Device& device, int stopFd);
    ~GadgetServer();
    GadgetServer(const GadgetServer&) = delete;
    GadgetServer& operator=(const GadgetServer&) = delete;

    // Makes the endpoint follow the bench's cable, closing the reports before
    // an unplug and opening them after a plug; empty, or what went wrong.
    std::string followCable(bool plugged);

private:
    void run();
    // Opens and serves while plugged; false once the server is to end.
    bool serveOnce(bool& failureReported);
    // Waits up to timeoutMs (-1: no bound) for a stop or a wake; false for a stop.
    bool pause(int timeoutMs);
    // Applies the cable asked for; false when the thread is to end.
    bool takeWake();
    void finish(std::string result);

    ReportEndpoint& endpoint_;
    Device& device_;
    int stopFd_;
    int wake_[2] = {-1, -1};
    std::mutex mutex_;
    std::condition_variable applied_;
    bool plugged_ = true;
    bool wanted_ = true;
    unsigned long asked_ = 0;
    unsigned long done_ = 0;
    std::string result_;
    bool quit_ = false;
    bool running_ = true;
    std::thread thread_;
};

// The URC on a USB gadget: made and bound at start, served over its
// /dev/hidgN, unbound and bound with the bench's cable, removed at the end.
class UsbLink : private ReportEndpoint {
public:
    // nullptr and error set when the gadget cannot be made.
    static std::unique_ptr<UsbLink> start(const GadgetSettings& settings, Device& device,
                                          int stopFd, std::string& error);
    ~UsbLink() override;
    // "gadget FOLDER on UDC NAME, serial S".
    std::string description() const;

private:
    UsbLink(std::unique_ptr<UsbGadget> gadget, Device& device, int stopFd);
    std::string plug() override;
    std::string unplug() override;
    int open(std::string& error) override;

    Device& device_;
    std::unique_ptr<UsbGadget> gadget_;
    std::string serial_;
    std::unique_ptr<GadgetServer> server_;
};

} // namespace urcsim
