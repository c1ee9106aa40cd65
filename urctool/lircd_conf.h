#pragma once
// A key of a lircd.conf as a signal: a raw code of a raw_codes section, or a
// code of a codes section of a pulse-distance remote (flags SPACE_ENC, with
// CONST_LENGTH if any): header, plead, pre_data, the code's bits, post_data
// (most significant bit first), ptrail, then the gap. Other encodings (RC5,
// RC6, SHIFT_ENC, ...) are refused by name.
#include "irform/signal.h"

#include <string>
#include <string_view>
#include <vector>

namespace urctool {

// The first remote with a key NAME; throws UsageError saying what is wrong.
irform::Signal signalFromLircd(std::string_view conf, std::string_view name);

// A key of a remote, as signalFromLircd gives it.
struct LircdCode {
    std::string name;
    irform::Signal signal;
};
struct LircdRemote {
    std::string name;
    std::vector<LircdCode> codes; // in the file's order
};

// The remote named `remote` (the file's first when empty) with every key;
// throws UsageError naming the remote or key that cannot be read or stored.
LircdRemote remoteFromLircd(std::string_view conf, std::string_view remote);

} // namespace urctool
