#include "platform/urcwire/usb_devices.h"

#include "platform/urcwire/usb_frames.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <libudev.h>
#include <memory>
#include <mutex>
#include <tuple>
#include <unistd.h>

namespace urcwire::usb {

namespace {

struct UdevDeleter {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
using Udev = std::unique_ptr<udev, UdevDeleter>;
using UdevEnumerate = std::unique_ptr<udev_enumerate, UdevDeleter>;
using UdevDevice = std::unique_ptr<udev_device, UdevDeleter>;

std::string text(const char* value) {
    return value ? std::string(value) : std::string();
}

// A four-digit hex id attribute; nullopt for anything else.
std::optional<uint16_t> hexId(const char* value) {
    if (!value || std::char_traits<char>::length(value) != 4)
        return std::nullopt;
    char* end = nullptr;
    const unsigned long id = std::strtoul(value, &end, 16);
    if (*end != '\0')
        return std::nullopt;
    return static_cast<uint16_t>(id);
}

// The number in "/dev/hidraw12", so that hidraw10 sorts after hidraw9.
long nodeNumber(const std::string& devnode) {
    const auto digits = devnode.find_last_not_of("0123456789");
    if (digits == std::string::npos || digits + 1 == devnode.size())
        return -1;
    return std::strtol(devnode.c_str() + digits + 1, nullptr, 10);
}

// A hidraw device with its USB device's facts; nullopt when it has no USB
// device above it (Bluetooth, I2C) or no node.
std::optional<HidrawDevice> describe(udev_device* hidraw) {
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(hidraw, "usb", "usb_device");
    const char* devnode = udev_device_get_devnode(hidraw);
    if (!usb || !devnode)
        return std::nullopt;
    const auto vendor = hexId(udev_device_get_sysattr_value(usb, "idVendor"));
    const auto product = hexId(udev_device_get_sysattr_value(usb, "idProduct"));
    if (!vendor || !product)
        return std::nullopt;
    HidrawDevice device;
    device.devnode = devnode;
    device.syspath = text(udev_device_get_syspath(hidraw));
    device.vendor = *vendor;
    device.product = *product;
    device.serial = text(udev_device_get_sysattr_value(usb, "serial"));
    device.productName = text(udev_device_get_sysattr_value(usb, "product"));
    device.manufacturer = text(udev_device_get_sysattr_value(usb, "manufacturer"));
    device.port = text(udev_device_get_sysname(usb));
    return device;
}

std::string nameOf(const HidrawDevice& device) {
    return (device.serial.empty() ? "no serial" : "serial " + device.serial) + " at " +
           device.devnode;
}

} // namespace

std::string idText(uint16_t vendor, uint16_t product) {
    char id[10];
    std::snprintf(id, sizeof id, "%04x:%04x", vendor, product);
    return id;
}

bool isUrc(const HidrawDevice& device) {
    return device.vendor == kVendorId && device.product == kProductId;
}

UrcChoice chooseUrc(std::vector<HidrawDevice> plugged) {
    std::erase_if(plugged, [](const HidrawDevice& d) { return !isUrc(d); });
    std::sort(plugged.begin(), plugged.end(), [](const HidrawDevice& a, const HidrawDevice& b) {
        return std::tuple(a.serial, a.port, nodeNumber(a.devnode), a.devnode) <
               std::tuple(b.serial, b.port, nodeNumber(b.devnode), b.devnode);
    });
    UrcChoice choice;
    choice.count = plugged.size();
    if (plugged.empty())
        return choice;
    choice.urc = plugged.front();
    if (plugged.size() > 1) {
        std::string others;
        for (std::size_t i = 1; i < plugged.size(); ++i)
            others += (i > 1 ? "; " : "") + nameOf(plugged[i]);
        choice.note = std::to_string(plugged.size()) + " URCs are plugged in; using the one with " +
                      nameOf(plugged.front()) + ", not " + others;
    }
    return choice;
}

Enumeration enumerateHidraw() {
    Enumeration result;
    const Udev context(udev_new());
    if (!context) {
        result.error = "libudev could not start";
        return result;
    }
    const UdevEnumerate enumerate(udev_enumerate_new(context.get()));
    if (!enumerate || udev_enumerate_add_match_subsystem(enumerate.get(), "hidraw") < 0 ||
        udev_enumerate_scan_devices(enumerate.get()) < 0) {
        result.error = "libudev could not list the hidraw devices";
        return result;
    }
    udev_list_entry* entry = nullptr;
    udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(enumerate.get())) {
        const UdevDevice hidraw(
            udev_device_new_from_syspath(context.get(), udev_list_entry_get_name(entry)));
        if (!hidraw)
            continue; // gone between the listing and now
        if (auto device = describe(hidraw.get()))
            result.devices.push_back(std::move(*device));
    }
    return result;
}

std::string hidrawFingerprint(const std::string& classFolder) {
    DIR* folder = ::opendir(classFolder.c_str());
    if (!folder)
        return {};
    std::vector<std::string> entries;
    while (const dirent* entry = ::readdir(folder)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..")
            continue;
        char target[PATH_MAX];
        const ssize_t n = ::readlinkat(::dirfd(folder), entry->d_name, target, sizeof target - 1);
        entries.push_back(name + " " +
                          (n > 0 ? std::string(target, static_cast<std::size_t>(n)) : ""));
    }
    ::closedir(folder);
    std::sort(entries.begin(), entries.end());
    std::string fingerprint;
    for (const std::string& e : entries)
        fingerprint += e + "\n";
    return fingerprint;
}

UrcChoice findUsbUrc() {
    static std::mutex mutex;
    static std::optional<std::pair<std::string, UrcChoice>> last; // guarded by mutex
    // Taken before enumerating: a change in between makes the next call look again.
    std::string fingerprint = hidrawFingerprint();
    const std::lock_guard<std::mutex> lock(mutex);
    if (last && last->first == fingerprint)
        return last->second;
    Enumeration found = enumerateHidraw();
    UrcChoice choice = chooseUrc(std::move(found.devices));
    if (found.error.empty())
        last.emplace(std::move(fingerprint), choice);
    else
        last.reset();
    return choice;
}

} // namespace urcwire::usb
