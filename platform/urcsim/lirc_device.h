#pragma once
// A kernel infrared device (/dev/lircN) opened for receiving or for
// transmitting, with its features read once; every failure is a sentence
// naming the device.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

namespace urcsim {

enum class LircRole { Receive, Transmit };

class LircDevice {
public:
    // Opens path and checks that it is a LIRC device that can play `role`
    // (mode2 reception, pulse transmission); nullptr and `error` otherwise.
    static std::unique_ptr<LircDevice> open(const std::string& path, LircRole role,
                                            std::string& error);
    ~LircDevice();
    LircDevice(const LircDevice&) = delete;
    LircDevice& operator=(const LircDevice&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    bool can(uint32_t feature) const { return (features_ & feature) == feature; }

    // A LIRC_SET_* ioctl; empty on success, else a sentence naming `what`.
    std::string set(unsigned long request, uint32_t value, const std::string& what);
    // A LIRC_GET_* ioctl; nullopt when the device does not answer it.
    std::optional<uint32_t> get(unsigned long request) const;

private:
    LircDevice(int fd, std::string path, uint32_t features)
        : fd_(fd), path_(std::move(path)), features_(features) {}
    int fd_;
    std::string path_;
    uint32_t features_;
};

// "cannot open /dev/lirc0 for receiving: Permission denied (...)": why an
// open failed, with what the user can do about the usual causes.
std::string openFailure(const std::string& path, LircRole role, int error);

} // namespace urcsim
