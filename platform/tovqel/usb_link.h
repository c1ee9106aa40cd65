#pragma once
// The device library's side of a URC plugged in over USB: its hidraw node,
// kept open between calls, and one exchange at a time on it.
//
// Kept open because the kernel's USB HID driver starts the device's input
// endpoint when the first file of it opens and waits 50 ms then, dropping
// every input report that arrives meanwhile: opening the node for each call
// would cost every call 50 ms, and an answer sent into that window would be
// lost. The open file is used again only while the enumeration of each call
// still chooses the same kernel device (its sysfs path names the HID device
// by a number the kernel never reuses, so a URC plugged in again is a new
// one) and only by the process that opened it (a forked child shares the
// parent's file and so would read its reports).
//
// Every open hidraw file gets every input report, so exchanges take turns:
// threads of this process on a mutex, programs on an exclusive flock of the
// node, held for the one exchange. Reports that reached this file while it
// was idle (other programs' answers) are dropped before each request.
#include "platform/urcwire/usb_devices.h"
#include "platform/urcwire/wire_protocol.h"

#include <string>

namespace tovqel {

// One request to the URC `urc` (the linked URC's choice of this call).
urcwire::Reply askOverUsb(const urcwire::usb::HidrawDevice& urc, const std::string& request);

// No URC is plugged in any more (or the socket is used): lets go of the node.
void closeUsbLink();

} // namespace tovqel
