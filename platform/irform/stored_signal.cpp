#include "platform/irform/stored_signal.h"

#include "device/core/hex_text.h"
#include "platform/irform/code_form.h"
#include "platform/irform/protocols.h"

#include <charconv>
#include <string>

namespace irform {
namespace {

// A built-in record's carrier: P's fifth byte, in kHz (P follows the record's
// three head bytes and the three bytes of I).
constexpr std::size_t kCarrierDigitsAt = 6 + 6 + 10;

std::optional<uint32_t> hexNumber(std::string_view text) {
    if (!text.starts_with("0x"))
        return std::nullopt;
    return device::parseHex(text.substr(2));
}

// "nec 0x04 0x08" encoded again with the record's own carrier.
std::optional<Signal> builtinSignal(std::string_view record, std::string_view description) {
    const auto firstSpace = description.find(' ');
    const auto secondSpace = description.find(' ', firstSpace + 1);
    if (firstSpace == std::string_view::npos || secondSpace == std::string_view::npos)
        return std::nullopt;
    const auto protocol = protocolFromName(description.substr(0, firstSpace));
    const auto deviceValue =
        hexNumber(description.substr(firstSpace + 1, secondSpace - firstSpace - 1));
    const auto command = hexNumber(description.substr(secondSpace + 1));
    const auto khz = device::parseHex(record.substr(kCarrierDigitsAt, 2));
    if (!protocol || !deviceValue || !command || !khz)
        return std::nullopt;
    auto signal = encode(*protocol, *deviceValue, *command);
    if (signal && *khz > 0)
        signal->carrierHz = static_cast<int>(*khz) * 1000;
    return signal;
}

} // namespace

std::optional<Signal> storedSignal(std::string_view record, std::string_view storageData) {
    const std::string description = describeStoredCode(record, storageData);
    if (description.empty())
        return std::nullopt;
    if (description.starts_with("raw "))
        return parseRawDescription(description);
    return builtinSignal(record, description);
}

} // namespace irform
