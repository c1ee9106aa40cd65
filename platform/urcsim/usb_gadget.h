#pragma once
// The URC as a USB HID gadget made through configfs (the kernel's composite
// gadget framework): created and bound to a USB device controller at start,
// unbound and bound again when the bench pulls and plugs the cable, and
// removed when the server ends. A gadget a killed server left behind is
// recognised by its free lock file and removed by the next server.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace urcsim {

// Where the kernel's interfaces are; tests point them at folders of their own.
struct GadgetPaths {
    std::string configfs = "/sys/kernel/config";
    std::string udcClass = "/sys/class/udc";
    std::string hidgClass = "/sys/class/hidg";
    std::string dev = "/dev";
    std::string mounts = "/proc/self/mounts";
    std::string lockDir = "/run";
};

inline constexpr const char* kGadgetName = "qzt617-urc";
inline constexpr uint16_t kDeviceRelease = 0x0100;
inline constexpr int kMaxPowerMa = 100;
// A USB string descriptor holds at most 126 UTF-16 characters.
inline constexpr std::size_t kMaxSerialLength = 126;

struct GadgetSettings {
    std::string udc;    // empty: the first controller
    std::string serial; // see validSerial
    std::string name = kGadgetName;
    GadgetPaths paths;
};

// A serial number that stays the same for one image across restarts and
// replugs: the host keys the URC's owner claim by it.
std::string serialForImage(std::string_view imageRealPath);
// Empty when `serial` may be a serial number; else what is wrong with it.
std::string serialProblem(std::string_view serial);

// The controller to bind: `wanted`, or the first (by name) when it is empty.
struct UdcChoice {
    std::string name;
    std::string error;
};
UdcChoice chooseUdc(std::vector<std::string> available, std::string_view wanted);

// "241:0\n" -> {241, 0}.
struct DeviceNumbers {
    unsigned major = 0;
    unsigned minor = 0;
    bool operator==(const DeviceNumbers&) const = default;
};
std::optional<DeviceNumbers> parseDeviceNumbers(std::string_view text);
// The entry of hidgClass whose "dev" holds `numbers`; empty for none.
std::string findHidgName(const std::string& hidgClass, DeviceNumbers numbers);

// Why creating a folder, writing an attribute or binding failed, for a person.
std::string configfsProblem(int error, std::string_view what);

// The server's hold on the gadget's name: a lock file held while it runs.
class GadgetLock {
public:
    // Refuses (error set, false) while another server holds the lock.
    bool acquire(const std::string& lockPath, const std::string& gadgetName, std::string& error);
    ~GadgetLock();

private:
    int fd_ = -1;
};

class UsbGadget {
public:
    // Takes the name over, removes a stale gadget of that name, creates the
    // gadget and binds it; nullptr and error set on failure (nothing left).
    static std::unique_ptr<UsbGadget> create(const GadgetSettings& settings, std::string& error);
    ~UsbGadget(); // unbinds and removes the gadget

    UsbGadget(const UsbGadget&) = delete;
    UsbGadget& operator=(const UsbGadget&) = delete;

    // Both return what went wrong, empty when nothing did; doing what is
    // already done is no error.
    std::string bind();
    std::string unbind();
    bool bound() const { return bound_; }

    // The gadget's /dev/hidgN (only there while bound); empty and error set
    // when it cannot be found.
    std::string hidgPath(std::string& error) const;
    const std::string& udc() const { return udc_; }
    const std::string& folder() const { return folder_; }

private:
    UsbGadget(GadgetSettings settings, std::string udc);
    std::string build();

    GadgetSettings settings_;
    std::string udc_;
    std::string folder_;
    GadgetLock lock_;
    bool owned_ = false; // the lock is ours, so the folder is
    bool bound_ = false;
};

// Unbinds and removes the gadget folder with whatever it holds, in the order
// configfs asks for; empty when it is gone (or never was), else the reason.
std::string removeGadgetFolder(const std::string& folder);

} // namespace urcsim
