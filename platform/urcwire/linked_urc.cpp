#include "platform/urcwire/linked_urc.h"

#include <cstdlib>

namespace urcwire {

namespace {

LinkedUrc socketUrc(bool createFolder) {
    LinkedUrc urc;
    SocketPath socket = resolveSocketPath(createFolder);
    if (socket.path.empty()) {
        urc.error = std::move(socket.error);
        urc.refused = socket.refused;
        return urc;
    }
    urc.kind = LinkedUrc::Kind::Socket;
    urc.socketPath = std::move(socket.path);
    return urc;
}

} // namespace

LinkedUrc findLinkedUrc(bool createFolder, const UsbFinder& findUsb) {
    if (const char* own = std::getenv("QZT617_URC_SOCKET"); own && *own)
        return socketUrc(createFolder);
    usb::UrcChoice plugged = findUsb ? findUsb() : usb::UrcChoice{};
    if (!plugged.urc)
        return socketUrc(createFolder);
    LinkedUrc urc;
    urc.kind = LinkedUrc::Kind::Usb;
    urc.usb = std::move(*plugged.urc);
    urc.note = std::move(plugged.note);
    return urc;
}

} // namespace urcwire
