#include "urctool/held_code.h"

#include "irform/code_form.h"
#include "irform/protocols.h"
#include "irform/stored_signal.h"

namespace urctool {

HeldCode heldCode(const Snapshot& snapshot, const KeyInfo& key) {
    HeldCode held;
    if (key.state == '0')
        return held;
    const std::string record = recordDigits(snapshot, key.index);
    const std::string data = storageDigits(snapshot, key.index);
    held.description = irform::describeStoredCode(record, data);
    const auto signal = irform::storedSignal(record, data);
    if (held.description.empty() || !signal)
        return held;
    held.readable = true;
    held.signal = *signal;
    held.raw = held.description.starts_with("raw ");
    held.blocks = static_cast<int>(data.size() / irform::kBlockDigits);
    if (!held.raw)
        held.decoded = irform::decode(held.signal);
    return held;
}

std::string summary(const HeldCode& code) {
    if (!code.readable)
        return "unreadable";
    if (!code.raw)
        return code.description;
    return "raw " + std::to_string(code.signal.carrierHz) + " Hz, " +
           std::to_string(code.signal.durations.size()) + " durations, " +
           std::to_string(code.blocks) + (code.blocks == 1 ? " block" : " blocks");
}

} // namespace urctool
