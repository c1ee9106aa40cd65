#include "platform/irform/protocols.h"

#include "platform/irform/form_spec.h"

#include <algorithm>

namespace irform {

std::string_view protocolName(Protocol protocol) {
    return detail::formSpec(protocol).name;
}

std::optional<Protocol> protocolFromName(std::string_view name) {
    // Sanyo's 42-bit remotes send exactly Aiwa's frames (the same chip).
    if (name == "sanyo")
        return Protocol::Aiwa;
    for (const auto& spec : detail::formSpecs())
        if (spec.name == name)
            return spec.protocol;
    return std::nullopt;
}

int protocolCarrierHz(Protocol protocol) {
    return detail::formSpec(protocol).carrierHz;
}

uint32_t maxDevice(Protocol protocol) {
    return detail::formSpec(protocol).maxDevice;
}

uint32_t maxCommand(Protocol protocol) {
    return detail::formSpec(protocol).maxCommand;
}

bool withinTolerance(uint32_t actual, uint32_t nominal) {
    const uint32_t slack = detail::slackFor(nominal);
    return actual + slack >= nominal && actual <= nominal + slack;
}

std::optional<Signal> encode(Protocol protocol, uint32_t device, uint32_t command) {
    const auto& spec = detail::formSpec(protocol);
    if (device > spec.maxDevice || command > spec.maxCommand)
        return std::nullopt;
    return detail::renderPress(spec, spec.pack({device, command}));
}

std::optional<Decoded> decode(const Signal& signal) {
    return detail::bestFit(signal.durations);
}

} // namespace irform
