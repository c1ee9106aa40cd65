#pragma once
// What a key of a snapshot holds, decoded: a protocol with device and command,
// or a raw signal with its carrier, durations and storage blocks.
#include "irform/signal.h"
#include "urctool/key_names.h"
#include "urctool/urc_access.h"

#include <optional>
#include <string>

namespace urctool {

struct HeldCode {
    bool readable = false;
    bool raw = false;
    std::string description; // "nec 0x04 0x08" or "raw 38000 +9000 -4500 ..."
    std::optional<irform::Decoded> decoded;
    irform::Signal signal; // what the URC emits for it
    int blocks = 0;        // storage blocks a raw code uses
};

// Nothing readable for a key in the "no code" state.
HeldCode heldCode(const Snapshot& snapshot, const KeyInfo& key);

// "nec 0x04 0x08", "raw 38000 Hz, 67 durations, 9 blocks", or "unreadable".
std::string summary(const HeldCode& code);

} // namespace urctool
