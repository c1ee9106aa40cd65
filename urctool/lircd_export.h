#pragma once
// The learned keys as a lircd.conf (lircdConf, declared in export_formats.h):
// each recognised form for which LIRC has an encoding as a remote of that
// encoding, one remote per form and pre/post data (one device, as people
// write them), every code checked by sending it with LIRC's own encoder;
// what is left (raw keys, forms LIRC cannot send alike) as one remote of raw
// codes, each what the URC emits for the key without its closing silence.
#include "urctool/export_formats.h"

#include <string>
#include <vector>

namespace urctool {

// The remotes of the recognised forms alone, and the keys they do not hold.
struct LircdProtocolRemotes {
    std::string text;
    std::vector<ExportedKey> left;
};
LircdProtocolRemotes lircdProtocolRemotes(const std::vector<ExportedKey>& keys);

} // namespace urctool
