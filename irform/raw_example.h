#pragma once
// Signals of no known protocol, for exercising raw learned codes: a 3500/1750
// leader, 16 to 48 pulse-distance bits of varying timing, a stop mark, and
// sometimes a second frame after a gap of 20 to 150 ms. The same seed always
// gives the same signal.
#include "irform/signal.h"

namespace irform {

Signal rawExampleSignal(uint32_t seed);

} // namespace irform
