#include "platform/tovqel/usb_link.h"

#include "platform/urcwire/usb_transport.h"

#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <sys/file.h>
#include <thread>
#include <unistd.h>

namespace tovqel {

namespace {

// Another program's exchange holds the node at most its own bound (a
// whole-memory write's is about 4 s); a holder stopped in the middle must not
// stop this one for ever.
constexpr auto kTurnWait = std::chrono::seconds(10);
constexpr auto kTurnPoll = std::chrono::milliseconds(1);

struct OpenNode {
    int fd = -1;
    std::string devnode;
    std::string syspath;
    pid_t opener = 0;
};

std::mutex linkMutex;
OpenNode node; // guarded by linkMutex

urcwire::Reply failed(std::string why) {
    return {urcwire::CallStatus::Failed, std::move(why)};
}

void closeNode() {
    if (node.fd >= 0)
        ::close(node.fd);
    node = {};
}

std::string openNode(const urcwire::usb::HidrawDevice& urc) {
    const int fd = ::open(urc.devnode.c_str(), O_RDWR | O_CLOEXEC);
    if (fd < 0) {
        const int error = errno;
        // A node gone between finding and opening: unplugged just now.
        if (error == ENOENT || error == ENODEV || error == ENXIO)
            return "the URC at " + urc.devnode + " was unplugged";
        std::string why = "cannot open the URC at " + urc.devnode + ": " + std::strerror(error);
        if (error == EACCES || error == EPERM)
            why += " (the package's udev rule gives the user at the seat access to it)";
        return why;
    }
    node = {fd, urc.devnode, urc.syspath, ::getpid()};
    return {};
}

// The exclusive flock of the node for one exchange; empty when taken.
std::string takeTurn(int fd, const std::string& devnode) {
    const auto deadline = std::chrono::steady_clock::now() + kTurnWait;
    for (;;) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0)
            return {};
        if (errno == EINTR)
            continue;
        if (errno != EWOULDBLOCK)
            return "cannot lock the URC at " + devnode + ": " + std::strerror(errno);
        if (std::chrono::steady_clock::now() >= deadline)
            return "another program kept the URC at " + devnode + " busy for " +
                   std::to_string(kTurnWait.count()) + " s";
        std::this_thread::sleep_for(kTurnPoll);
    }
}

} // namespace

urcwire::Reply askOverUsb(const urcwire::usb::HidrawDevice& urc, const std::string& request) {
    const std::lock_guard<std::mutex> lock(linkMutex);
    if (node.fd >= 0 &&
        (node.opener != ::getpid() || node.devnode != urc.devnode || node.syspath != urc.syspath))
        closeNode();
    if (node.fd < 0)
        if (std::string why = openNode(urc); !why.empty())
            return failed(why);
    if (std::string why = takeTurn(node.fd, urc.devnode); !why.empty()) {
        closeNode();
        return failed(why);
    }
    urcwire::usb::discardPendingReports(node.fd);
    urcwire::Reply reply = urcwire::usb::exchangeInPieces({node.fd, 1, {}}, request);
    ::flock(node.fd, LOCK_UN);
    // After a failure the node is opened afresh: it may be a vanished device's.
    if (reply.status == urcwire::CallStatus::Failed)
        closeNode();
    return reply;
}

void closeUsbLink() {
    const std::lock_guard<std::mutex> lock(linkMutex);
    closeNode();
}

} // namespace tovqel
