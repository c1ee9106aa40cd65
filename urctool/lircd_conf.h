#pragma once
// The keys of a lircd.conf as signals, read with LIRC's own parser and sent
// with LIRC's own encoder (lirc_library.h): every encoding LIRC sends (raw
// codes, SPACE_ENC, SPACE_FIRST, RC5/SHIFT_ENC, RC6, RC-MM, XMP, with header,
// pre/post data, trailers, toggle bits and masks, repeat codes, CONST_LENGTH,
// ...) gives the durations LIRC would send for it.
//
// What a URC key keeps is one press: what lircd sends for SEND_ONCE right
// after it started (the toggle bits as its first press sets them), i.e. the
// code's frame (every code of a sequence in turn), then the min_repeat
// repeats the remote asks for (its repeat code when it has one), each frame
// followed by LIRC's gap after it. A press whose last frame has no gap ends
// with kTrailingSilenceUs.
#include "irform/signal.h"

#include <string>
#include <string_view>
#include <vector>

namespace urctool {

// The first remote (in the file's order) with a key NAME; throws UsageError
// saying what is wrong (ToolError when the URC cannot keep the signal).
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
// throws UsageError naming the remote or key that cannot be read (ToolError
// for one the URC cannot keep).
LircdRemote remoteFromLircd(std::string_view conf, std::string_view remote);

} // namespace urctool
