#include "platform/urcsim/lirc_device.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/lirc.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace urcsim {

namespace {

const char* purpose(LircRole role) {
    return role == LircRole::Receive ? "receiving" : "transmitting";
}

// The device node's permissions are the system's business (a udev rule, a
// group): the message says which access is missing rather than asking for root.
std::string accessHint(const std::string& path, LircRole role, int error) {
    if (error == EACCES || error == EPERM)
        return " (the user running urc-sim needs " +
               std::string(role == LircRole::Receive ? "read" : "write") + " access to " + path +
               ", e.g. through a udev rule or group)";
    if (error == ENOENT || error == ENODEV || error == ENXIO)
        return " (is the infrared driver loaded? ls /sys/class/rc lists its devices)";
    if (error == EBUSY)
        return " (another program holds it)";
    return {};
}

std::string missingFeature(const std::string& path, LircRole role) {
    if (role == LircRole::Receive)
        return path + " cannot receive raw pulses and spaces (no mode2 reception); "
                      "give a receiving device with --ir-rx";
    return path + " cannot transmit pulses (no pulse mode sending); give a transmitting "
                  "device with --ir-tx";
}

} // namespace

std::string openFailure(const std::string& path, LircRole role, int error) {
    return "cannot open " + path + " for " + purpose(role) + ": " + std::strerror(error) +
           accessHint(path, role, error);
}

std::unique_ptr<LircDevice> LircDevice::open(const std::string& path, LircRole role,
                                             std::string& error) {
    // Reception is polled; a transmission's write waits until it was sent.
    const int flags = role == LircRole::Receive ? O_RDONLY | O_NONBLOCK : O_WRONLY;
    const int fd = ::open(path.c_str(), flags | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) {
        error = openFailure(path, role, errno);
        return nullptr;
    }
    struct stat info {};
    uint32_t features = 0;
    if (::fstat(fd, &info) != 0 || !S_ISCHR(info.st_mode)) {
        error = path + " is not a character device, so not a LIRC infrared device";
    } else if (::ioctl(fd, LIRC_GET_FEATURES, &features) != 0) {
        error = path + " is not a LIRC infrared device (it does not tell its features: " +
                std::strerror(errno) + ")";
    } else {
        const uint32_t needed =
            role == LircRole::Receive ? LIRC_CAN_REC_MODE2 : LIRC_CAN_SEND_PULSE;
        if ((features & needed) == needed)
            return std::unique_ptr<LircDevice>(new LircDevice(fd, path, features));
        error = missingFeature(path, role);
    }
    ::close(fd);
    return nullptr;
}

LircDevice::~LircDevice() {
    ::close(fd_);
}

std::string LircDevice::set(unsigned long request, uint32_t value, const std::string& what) {
    if (::ioctl(fd_, request, &value) == 0)
        return {};
    return "cannot set " + what + " of " + path_ + ": " + std::strerror(errno);
}

std::optional<uint32_t> LircDevice::get(unsigned long request) const {
    uint32_t value = 0;
    if (::ioctl(fd_, request, &value) != 0)
        return std::nullopt;
    return value;
}

} // namespace urcsim
