#include "irform/protocols.h"

#include "irform/form_definition.h"

#include <algorithm>
#include <cstdlib>

namespace irform {

std::string_view protocolName(Protocol protocol) {
    return detail::formDefinition(protocol).name;
}

std::optional<Protocol> protocolFromName(std::string_view name) {
    // Sanyo's 42-bit remotes send exactly Aiwa's frames (the same chip).
    if (name == "sanyo")
        return Protocol::Aiwa;
    // Nokia's remotes send RC-MM frames: the same 36 kHz timings within 1 %.
    if (name == "rcmm12")
        return Protocol::Nokia12;
    if (name == "rcmm24")
        return Protocol::Nokia24;
    if (name == "rcmm32")
        return Protocol::Nokia32;
    for (const auto& form : detail::formDefinitions())
        if (form.name == name)
            return form.protocol;
    return std::nullopt;
}

int protocolCarrierHz(Protocol protocol) {
    return detail::formDefinition(protocol).carrierHz;
}

uint32_t maxDevice(Protocol protocol) {
    return detail::formDefinition(protocol).maxDevice;
}

uint32_t maxCommand(Protocol protocol) {
    return detail::formDefinition(protocol).maxCommand;
}

bool withinTolerance(uint32_t actual, uint32_t nominal) {
    const uint32_t slack = detail::slackFor(nominal);
    return actual + slack >= nominal && actual <= nominal + slack;
}

std::optional<Signal> encode(Protocol protocol, uint32_t device, uint32_t command) {
    const auto& form = detail::formDefinition(protocol);
    if (device > form.maxDevice || command > form.maxCommand)
        return std::nullopt;
    return detail::renderPress(form, form.pack({device, command}));
}

std::optional<Decoded> decode(const Signal& signal) {
    const auto press = detail::bestFit(signal.durations, signal.carrierHz);
    return press ? std::optional<Decoded>(press->code) : std::nullopt;
}

std::optional<Press> decodePress(const std::vector<uint32_t>& durations,
                                 std::optional<int> carrierHz) {
    return detail::bestFit(durations, carrierHz);
}

std::optional<Signal> encodePress(const Press& press) {
    const auto& form = detail::formDefinition(press.code.protocol);
    if (press.code.device > form.maxDevice || press.code.command > form.maxCommand ||
        press.frames < 1)
        return std::nullopt;
    const uint64_t payload =
        form.pack({press.code.device, press.code.command}) | (press.toggled ? form.toggleMask : 0);
    return detail::renderPress(form, payload, press.frames);
}

bool carrierFits(int formHz, int carrierHz) {
    return std::abs(int64_t{carrierHz} - formHz) * 100 <=
           int64_t{formHz} * kCarrierTolerancePercent;
}

} // namespace irform
