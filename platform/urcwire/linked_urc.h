#pragma once
// Which URC the programs talk to, decided in this one place for the device
// library, the claim of the URC's single owner and anything else that asks:
//   QZT617_URC_SOCKET set: that socket (an emulator the user chose);
//   otherwise a URC plugged in over USB, when there is one;
//   otherwise the emulator's socket in the per-user folder (socket_path.h).
#include "platform/urcwire/socket_path.h"
#include "platform/urcwire/usb_devices.h"

#include <functional>
#include <string>

namespace urcwire {

struct LinkedUrc {
    enum class Kind {
        None,   // no URC can be reached; error says why
        Socket, // socketPath
        Usb,    // usb
    };
    Kind kind = Kind::None;
    std::string socketPath;
    usb::HidrawDevice usb;
    std::string error;    // for None: a sentence for a person
    bool refused = false; // for None: a fault to tell about (socket_path.h)
    std::string note;     // for Usb: which of several URCs is used, when several are plugged in
};

using UsbFinder = std::function<usb::UrcChoice()>;

// createFolder as for resolveSocketPath. `findUsb` is asked only when the
// variable is not set.
LinkedUrc findLinkedUrc(bool createFolder, const UsbFinder& findUsb = usb::findUsbUrc);

} // namespace urcwire
