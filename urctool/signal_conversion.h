#pragma once
// A signal given as text or file turned into the URC's code form the way
// learning turns a capture of it: rendered as the URC's capture, cut at the
// end marker, encoded and converted by the conversion library. Shared by set
// and import, so both store exactly what learning the same signal stores.
#include "irform/signal.h"

#include <string>

namespace urctool {

// The converted text ("I::P:Q:::D"); throws ToolError naming what failed (the
// carrier out of the URC's range, the encoding, the conversion library).
std::string convertLikeLearning(const irform::Signal& signal);

} // namespace urctool
