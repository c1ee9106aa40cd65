#pragma once
// Finding the URCs plugged in over USB: the hidraw devices whose USB device
// carries the URC's vendor and product ids (usb_frames.h).
//
// Through libudev rather than hidapi: the library needs the hidraw node itself
// (each exchange opens it and locks it, so that threads and programs take
// turns on a device whose every open file sees every input report), and the
// USB serial number, which keys the claim of the URC's single owner; hidapi
// hides the node behind its own handle, and its hidraw backend enumerates
// through libudev anyway. libudev reads sysfs directly, so this works without
// a running udev daemon too (the node is then /dev/ and the kernel's DEVNAME).
//
// The choosing is apart from the enumeration, so that it can be tested on
// lists of devices no machine here has.
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace urcwire::usb {

// One hidraw device and what its USB device says about itself.
struct HidrawDevice {
    std::string devnode; // "/dev/hidraw3"
    std::string syspath; // the hidraw device in sysfs
    uint16_t vendor = 0;
    uint16_t product = 0;
    std::string serial;       // the USB serial number; may be empty
    std::string productName;  // the USB product string
    std::string manufacturer; // the USB manufacturer string
    std::string port;         // the USB device's name in sysfs, "1-1.2": where it is plugged in
};

bool isUrc(const HidrawDevice& device);

struct UrcChoice {
    std::optional<HidrawDevice> urc; // the URC to use; none when no URC is plugged in
    std::size_t count = 0;           // how many URCs are plugged in
    // With several URCs: which one is used, of which, in a sentence.
    std::string note;
};

// Picks the URC among `plugged` (any hidraw devices): with several, the first
// by serial number, then by port, then by node, so that every program picks
// the same one whatever order they were plugged in.
UrcChoice chooseUrc(std::vector<HidrawDevice> plugged);

struct Enumeration {
    std::vector<HidrawDevice> devices; // every hidraw device with a USB device above it
    std::string error;                 // when libudev could not be used
};

// The hidraw devices of this machine now.
Enumeration enumerateHidraw();

// The hidraw devices as sysfs lists them in `classFolder`: every entry's name
// and the device its link points at. A device plugged in again is listed
// under a new HID device number, which the kernel never reuses, so any change
// of the devices changes this text; empty when the folder is missing.
std::string hidrawFingerprint(const std::string& classFolder = "/sys/class/hidraw");

// The URC plugged in now: chooseUrc() of enumerateHidraw(). The last choice
// is kept while hidrawFingerprint() stays the same, so it cannot go stale;
// an enumeration costs tens of microseconds here, but tens of milliseconds in
// the test virtual machine, and every call of the library asks.
UrcChoice findUsbUrc();

// "a:b" as four-digit lower-case hex, as udev's idVendor and idProduct.
std::string idText(uint16_t vendor, uint16_t product);

} // namespace urcwire::usb
