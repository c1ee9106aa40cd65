#pragma once
// `urc-sim serve --ir DEVICE` / `--ir-rx DEVICE --ir-tx DEVICE`: the URC's
// infrared on the kernel's devices instead of emulated presses.
#include "platform/urcsim/device.h"
#include "platform/urcsim/ir_receiver.h"
#include "platform/urcsim/ir_transmitter.h"

#include <memory>
#include <string>

namespace urcsim {

struct RealInfrared {
    std::unique_ptr<IrReceiver> receiver;       // null: presses stay emulated
    std::unique_ptr<IrTransmitter> transmitter; // null: sending is only described
};

// Opens the receiving and transmitting devices (either path may be empty;
// one path for both opens it twice, once for each); false with the reason
// when one of them cannot serve.
bool openInfrared(const std::string& receiverPath, const std::string& transmitterPath,
                  RealInfrared& infrared, std::string& error);

// Gives the URC the transmitter and names its infrared for STATUS.
void attachInfrared(RealInfrared& infrared, DeviceSetup& setup);

// Receives into `device` while it lives: declared after the Device, so that
// reading stops before the Device goes.
class Receiving {
public:
    Receiving(RealInfrared& infrared, Device& device);
    ~Receiving();
    Receiving(const Receiving&) = delete;
    Receiving& operator=(const Receiving&) = delete;

private:
    IrReceiver* receiver_;
};

} // namespace urcsim
