#include "platform/irform/protocols.h"

#include "platform/irform/form_spec.h"

#include <algorithm>

namespace irform {

std::string_view protocolName(Protocol protocol) {
    return detail::formSpec(protocol).name;
}

std::optional<Protocol> protocolFromName(std::string_view name) {
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
    // Fits closer than this are equally good: the form with more checked bits,
    // then the more common form, wins.
    constexpr double kSameFit = 0.05;
    std::optional<detail::FormFit> best;
    int bestChecked = 0;
    for (const auto& spec : detail::formSpecs()) {
        const auto fit = detail::fitForm(spec, signal.durations);
        if (!fit)
            continue;
        const bool clearlyBetter = best && fit->error < best->error - kSameFit;
        const bool asGood = best && fit->error < best->error + kSameFit;
        if (!best || clearlyBetter || (asGood && spec.checkedBits > bestChecked)) {
            best = fit;
            bestChecked = spec.checkedBits;
        }
    }
    if (!best)
        return std::nullopt;
    return best->decoded;
}

} // namespace irform
