#pragma once
// A key of a lircd.conf as a signal: a raw code of a raw_codes section, or a
// code of a codes section of a pulse-distance remote (flags SPACE_ENC, with
// CONST_LENGTH if any): header, plead, pre_data, the code's bits, post_data
// (most significant bit first), ptrail, then the gap. Other encodings (RC5,
// RC6, SHIFT_ENC, ...) are refused by name.
#include "irform/signal.h"

#include <string_view>

namespace urctool {

// The first remote with a key NAME; throws UsageError saying what is wrong.
irform::Signal signalFromLircd(std::string_view conf, std::string_view name);

} // namespace urctool
