#include "platform/irform/protocols.h"

#include "platform/irform/protocol_codecs.h"

#include <algorithm>

namespace irform {

std::string_view protocolName(Protocol protocol) {
    switch (protocol) {
    case Protocol::Nec:
        return "nec";
    case Protocol::NecExtended:
        return "necx";
    case Protocol::Rc5:
        return "rc5";
    case Protocol::Sirc12:
        return "sirc12";
    case Protocol::Sirc15:
        return "sirc15";
    case Protocol::Sirc20:
        return "sirc20";
    }
    return "";
}

std::optional<Protocol> protocolFromName(std::string_view name) {
    for (Protocol p : kAllProtocols)
        if (protocolName(p) == name)
            return p;
    return std::nullopt;
}

int protocolCarrierHz(Protocol protocol) {
    switch (protocol) {
    case Protocol::Nec:
    case Protocol::NecExtended:
        return 38000;
    case Protocol::Rc5:
        return 36000;
    default:
        return 40000;
    }
}

uint32_t maxDevice(Protocol protocol) {
    switch (protocol) {
    case Protocol::Nec:
        return 0xFF;
    case Protocol::NecExtended:
        return 0xFFFF;
    case Protocol::Rc5:
    case Protocol::Sirc12:
        return 0x1F;
    case Protocol::Sirc15:
        return 0xFF;
    case Protocol::Sirc20:
        return 0x1FFF;
    }
    return 0;
}

uint32_t maxCommand(Protocol protocol) {
    switch (protocol) {
    case Protocol::Nec:
    case Protocol::NecExtended:
        return 0xFF;
    default:
        return 0x7F;
    }
}

bool withinTolerance(uint32_t actual, uint32_t nominal) {
    const uint32_t slack = std::max<uint32_t>(nominal * 3 / 10, 200);
    return actual + slack >= nominal && actual <= nominal + slack;
}

std::optional<Signal> encode(Protocol protocol, uint32_t device, uint32_t command) {
    if (device > maxDevice(protocol) || command > maxCommand(protocol))
        return std::nullopt;
    switch (protocol) {
    case Protocol::Nec:
        return detail::encodeNec(device, ~device & 0xFF, command);
    case Protocol::NecExtended:
        return detail::encodeNec(device & 0xFF, device >> 8, command);
    case Protocol::Rc5:
        return detail::encodeRc5(device, command);
    case Protocol::Sirc12:
        return detail::encodeSirc(12, device, command);
    case Protocol::Sirc15:
        return detail::encodeSirc(15, device, command);
    case Protocol::Sirc20:
        return detail::encodeSirc(20, device, command);
    }
    return std::nullopt;
}

std::optional<Decoded> decode(const Signal& signal) {
    const auto& d = signal.durations;
    if (auto nec = detail::decodeNec(d))
        return nec;
    if (auto sirc = detail::decodeSirc(d))
        return sirc;
    return detail::decodeRc5(d);
}

namespace detail {

bool frameEndsAt(const std::vector<uint32_t>& d, std::size_t index) {
    return index >= d.size() || d[index] >= kFrameGapUs;
}

} // namespace detail
} // namespace irform
