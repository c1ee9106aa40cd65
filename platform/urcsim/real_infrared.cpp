#include "platform/urcsim/real_infrared.h"

#include <iostream>

namespace urcsim {

bool openInfrared(const std::string& receiverPath, const std::string& transmitterPath,
                  RealInfrared& infrared, std::string& error) {
    if (!receiverPath.empty() && !(infrared.receiver = IrReceiver::open(receiverPath, error)))
        return false;
    if (!transmitterPath.empty() &&
        !(infrared.transmitter = IrTransmitter::open(transmitterPath, error)))
        return false;
    if (infrared.receiver)
        std::cerr << "urc-sim: infrared receiver " << infrared.receiver->description() << std::endl;
    if (infrared.transmitter)
        std::cerr << "urc-sim: infrared transmitter " << infrared.transmitter->description()
                  << std::endl;
    return true;
}

void attachInfrared(RealInfrared& infrared, DeviceSetup& setup) {
    std::string text;
    if (IrReceiver* receiver = infrared.receiver.get()) {
        text = "receiver " + receiver->description();
        setup.captureModeChanged = [receiver](bool capturing) {
            receiver->measureCarrier(capturing);
        };
    }
    if (infrared.transmitter) {
        IrTransmitter* transmitter = infrared.transmitter.get();
        setup.transmit = [transmitter](const irform::Signal& signal) {
            return transmitter->transmit(signal);
        };
        setup.transmitterName = transmitter->path();
        text +=
            (text.empty() ? "" : ", ") + std::string("transmitter ") + transmitter->description();
    }
    if (!text.empty())
        setup.infrared = text;
}

Receiving::Receiving(RealInfrared& infrared, Device& device) : receiver_(infrared.receiver.get()) {
    if (receiver_)
        receiver_->start([&device](const std::string& hex) { return device.receive(hex); });
}

Receiving::~Receiving() {
    if (receiver_)
        receiver_->stop();
}

} // namespace urcsim
