#pragma once
// The original remotes that the front panel shows: a dozen keys of a TV and
// cable box (several protocols and one of no known protocol), then one key of
// every other protocol form the URC recognises.
#include "platform/urcsim/press.h"

#include <span>
#include <string>
#include <string_view>

namespace urcsim {

struct RemoteKey {
    std::string_view label;    // what the key shows
    std::string_view name;     // a short name without blanks
    std::string_view protocol; // nec, rc5, ...; "raw" for the odd one
    uint32_t device;           // for "raw": the seed of its signal
    uint32_t command;
};

std::span<const RemoteKey> remoteKeys();

// What the key sends, as the URC captures it.
CaptureText remoteKeyCapture(const RemoteKey& key);
// "nec 0x04 0x08", or the raw signal's description.
std::string remoteKeySignal(const RemoteKey& key);

} // namespace urcsim
