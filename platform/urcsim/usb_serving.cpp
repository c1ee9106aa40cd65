#include "platform/urcsim/usb_serving.h"

#include "platform/urcsim/device.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <stdexcept>
#include <unistd.h>

namespace urcsim {

namespace {

namespace usb = urcwire::usb;

enum class Written { All, Abandoned, Stopped, Woken, Failed };

// Waits for fd to take a report; the outcome when it cannot go on writing.
std::optional<Written> waitWritable(int fd, int stopFd, int wakeFd, int& error) {
    const auto until =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(kReportWriteTimeoutMs);
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            until - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            return Written::Abandoned;
        pollfd fds[3] = {{stopFd, POLLIN, 0}, {wakeFd, POLLIN, 0}, {fd, POLLOUT, 0}};
        const int n = ::poll(fds, 3, static_cast<int>(left.count()));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            error = errno;
            return Written::Failed;
        }
        if (fds[0].revents)
            return Written::Stopped;
        if (fds[1].revents)
            return Written::Woken;
        if (fds[2].revents & (POLLERR | POLLNVAL | POLLHUP)) {
            error = EIO;
            return Written::Failed;
        }
        if (fds[2].revents & POLLOUT)
            return std::nullopt;
    }
}

Written writeReports(int fd, const std::vector<usb::Report>& reports, int stopFd, int wakeFd,
                     int& error) {
    for (const auto& report : reports) {
        for (;;) {
            const ssize_t n = ::write(fd, report.data(), report.size());
            if (n == static_cast<ssize_t>(report.size()))
                break;
            if (n >= 0) {
                error = EIO; // a report goes whole or not at all
                return Written::Failed;
            }
            if (errno == EINTR)
                continue;
            if (errno != EAGAIN) {
                error = errno;
                return Written::Failed;
            }
            if (auto outcome = waitWritable(fd, stopFd, wakeFd, error))
                return *outcome;
        }
    }
    return Written::All;
}

// Drains the wake pipe; the bytes say nothing, the shared state does.
void drain(int fd) {
    char bytes[64];
    while (::read(fd, bytes, sizeof bytes) > 0) {
    }
}

} // namespace

usb::Message CaptureResend::answer(usb::Operation operation, usb::Message firmwareAnswer) {
    if (operation != usb::Operation::Collect) {
        handedOver_.clear();
        return firmwareAnswer;
    }
    if (!firmwareAnswer.empty() && firmwareAnswer[0] == usb::kAnswerOk) {
        handedOver_ = firmwareAnswer;
        return firmwareAnswer;
    }
    return handedOver_.empty() ? firmwareAnswer : handedOver_;
}

std::optional<ReportAnswer> answerReport(Device& device, usb::Assembler& assembler,
                                         std::span<const uint8_t> report, CaptureResend& resend) {
    switch (assembler.feed(report)) {
    case usb::Assembler::Outcome::More:
    case usb::Assembler::Outcome::Stray:
        return std::nullopt;
    case usb::Assembler::Outcome::Broken:
        return ReportAnswer{report.empty() ? uint8_t{0} : report[0],
                            usb::malformedAnswer(assembler.error())};
    case usb::Assembler::Outcome::Complete:
        break;
    }
    const auto decoded = usb::requestLine(assembler.message());
    if (!decoded.error.empty())
        return ReportAnswer{assembler.sequence(), usb::malformedAnswer(decoded.error)};
    std::string line = device.handle(decoded.line);
    if (!line.empty() && line.back() == '\n')
        line.pop_back();
    const usb::Operation operation = *usb::operationOf(assembler.message());
    return ReportAnswer{assembler.sequence(),
                        resend.answer(operation, usb::answerMessage(operation, line))};
}

ServeResult serveReports(int fd, Device& device, int stopFd, int wakeFd) {
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
    usb::Assembler assembler;
    CaptureResend resend;
    for (;;) {
        pollfd fds[3] = {{stopFd, POLLIN, 0}, {wakeFd, POLLIN, 0}, {fd, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            return {ServeEnd::Failed, errno};
        }
        if (fds[0].revents)
            return {ServeEnd::Stopped};
        if (fds[1].revents)
            return {ServeEnd::Woken};
        if (fds[2].revents & (POLLERR | POLLNVAL))
            return {ServeEnd::Failed, EIO};
        usb::Report report{};
        const ssize_t got = ::read(fd, report.data(), report.size());
        if (got < 0 && (errno == EAGAIN || errno == EINTR))
            continue;
        if (got < 0)
            return {ServeEnd::Failed, errno};
        if (got == 0)
            return {ServeEnd::Closed};
        const auto answer = answerReport(
            device, assembler, std::span(report.data(), static_cast<size_t>(got)), resend);
        if (!answer)
            continue;
        int error = 0;
        switch (writeReports(fd, usb::splitIntoReports(answer->sequence, answer->message), stopFd,
                             wakeFd, error)) {
        case Written::All:
        case Written::Abandoned: // the host asks again if it still wants it
            break;
        case Written::Stopped:
            return {ServeEnd::Stopped};
        case Written::Woken:
            return {ServeEnd::Woken};
        case Written::Failed:
            return {ServeEnd::Failed, error};
        }
    }
}

GadgetServer::GadgetServer(ReportEndpoint& endpoint, Device& device, int stopFd)
    : endpoint_(endpoint), device_(device), stopFd_(stopFd) {
    if (::pipe2(wake_, O_CLOEXEC | O_NONBLOCK) != 0)
        throw std::runtime_error(std::string("cannot create a pipe: ") + std::strerror(errno));
    thread_ = std::thread([this] { run(); });
}

GadgetServer::~GadgetServer() {
    {
        std::lock_guard lock(mutex_);
        quit_ = true;
    }
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(wake_[1], &byte, 1);
    thread_.join();
    ::close(wake_[0]);
    ::close(wake_[1]);
}

std::string GadgetServer::followCable(bool plugged) {
    std::unique_lock lock(mutex_);
    if (!running_)
        return "the USB link has stopped";
    const unsigned long ticket = ++asked_;
    wanted_ = plugged;
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(wake_[1], &byte, 1);
    if (!applied_.wait_for(lock, std::chrono::milliseconds(kCableFollowTimeoutMs),
                           [&] { return done_ >= ticket || !running_; }))
        return "the USB gadget did not follow the cable within " +
               std::to_string(kCableFollowTimeoutMs / 1000) + " s";
    return done_ >= ticket ? result_ : "the USB link has stopped";
}

void GadgetServer::finish(std::string result) {
    std::lock_guard lock(mutex_);
    result_ = std::move(result);
    done_ = asked_;
    applied_.notify_all();
}

bool GadgetServer::takeWake() {
    drain(wake_[0]);
    bool wanted = false;
    {
        std::lock_guard lock(mutex_);
        if (quit_)
            return false;
        if (done_ == asked_)
            return true;
        wanted = wanted_;
    }
    std::string result;
    if (wanted != plugged_) {
        result = wanted ? endpoint_.plug() : endpoint_.unplug();
        if (result.empty())
            plugged_ = wanted;
    }
    finish(std::move(result));
    return true;
}

bool GadgetServer::pause(int timeoutMs) {
    for (;;) {
        pollfd fds[2] = {{stopFd_, POLLIN, 0}, {wake_[0], POLLIN, 0}};
        const int n = ::poll(fds, 2, timeoutMs);
        if (n < 0 && errno == EINTR)
            continue;
        if (n > 0 && fds[0].revents)
            return false;
        if (n > 0 && fds[1].revents)
            return takeWake();
        return true;
    }
}

bool GadgetServer::serveOnce(bool& failureReported) {
    if (!plugged_)
        return pause(-1);
    std::string error;
    const int fd = endpoint_.open(error);
    if (fd < 0) {
        if (!failureReported)
            std::cerr << "urc-sim: the USB link is down: " << error << "; retrying" << std::endl;
        failureReported = true;
        return pause(kReopenDelayMs);
    }
    const ServeResult result = serveReports(fd, device_, stopFd_, wake_[0]);
    ::close(fd); // before any unbind: the gadget's node goes with it
    switch (result.end) {
    case ServeEnd::Stopped:
        return false;
    case ServeEnd::Woken:
        failureReported = false;
        return takeWake();
    case ServeEnd::Failed:
    case ServeEnd::Closed:
        // Said once until the bench next moves the cable, however often the
        // opened endpoint fails again.
        if (!failureReported)
            std::cerr << "urc-sim: the USB link failed ("
                      << (result.end == ServeEnd::Closed ? "closed" : std::strerror(result.error))
                      << "); opening it again" << std::endl;
        failureReported = true;
        return pause(kReopenDelayMs);
    }
    return false;
}

void GadgetServer::run() {
    bool failureReported = false;
    try {
        while (serveOnce(failureReported)) {
        }
    } catch (const std::exception& e) {
        std::cerr << "urc-sim: the USB link stopped after an internal error: " << e.what()
                  << std::endl;
    }
    std::lock_guard lock(mutex_);
    running_ = false;
    applied_.notify_all();
}

std::unique_ptr<UsbLink> UsbLink::start(const GadgetSettings& settings, Device& device, int stopFd,
                                        std::string& error) {
    auto gadget = UsbGadget::create(settings, error);
    if (!gadget)
        return nullptr;
    std::unique_ptr<UsbLink> link(new UsbLink(std::move(gadget), device, stopFd));
    link->serial_ = settings.serial;
    return link;
}

UsbLink::UsbLink(std::unique_ptr<UsbGadget> gadget, Device& device, int stopFd)
    : device_(device), gadget_(std::move(gadget)),
      server_(std::make_unique<GadgetServer>(static_cast<ReportEndpoint&>(*this), device, stopFd)) {
    device_.setCableHook([this](bool plugged) { return server_->followCable(plugged); });
}

UsbLink::~UsbLink() {
    device_.setCableHook(nullptr);
    server_.reset(); // the reports are closed before the gadget goes
}

std::string UsbLink::description() const {
    return "USB gadget " + gadget_->folder() + " on " + gadget_->udc() + ", serial " + serial_;
}

std::string UsbLink::plug() {
    return gadget_->bind();
}

std::string UsbLink::unplug() {
    return gadget_->unbind();
}

int UsbLink::open(std::string& error) {
    const std::string path = gadget_->hidgPath(error);
    if (path.empty())
        return -1;
    const int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        error = "cannot open " + path + ": " + std::strerror(errno);
    return fd;
}

} // namespace urcsim
