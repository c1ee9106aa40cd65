#pragma once
// Whether a signal given to urc-tool comes out of learning's path (capture,
// cut, timing text, conversion) exactly as given, checked before anything is
// written to the URC.
#include "irform/signal.h"

#include <string>

namespace urctool {

// Throws ToolError naming `what`, the limit and the value when the URC's
// capture or code form cannot keep the signal (a signal ending with its
// closing silence, as finishedSignal leaves it).
void requireStorable(const irform::Signal& signal, const std::string& what);

} // namespace urctool
