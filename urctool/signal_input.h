#pragma once
// Signals given on the command line: a raw description, a Pronto hex text, a
// raw code of a lircd.conf, or a protocol with device and command.
#include "irform/signal.h"

#include <string>
#include <string_view>

namespace urctool {

// Each throws UsageError naming what is wrong with the text.
irform::Signal signalFromRaw(std::string_view text);
irform::Signal signalFromPronto(std::string_view text);
irform::Signal signalFromProtocol(std::string_view protocol, std::string_view deviceText,
                                  std::string_view commandText);

// Checks carrier and durations (UsageError naming `what`), closes a signal
// ending with a mark with kTrailingSilenceUs, then refuses (ToolError) what
// the URC cannot keep exactly (see requireStorable).
irform::Signal finishedSignal(irform::Signal signal, const std::string& what);

// A Pronto "0000" learned-form text of a signal (the whole signal as the
// once-sequence, no repeat).
std::string prontoText(const irform::Signal& signal);

// The silence that ends a signal given without one, as a remote leaves it.
inline constexpr uint32_t kTrailingSilenceUs = 100000;
// What any input may give: carriers, and durations of up to ten seconds
// (what the URC keeps is narrower; see requireStorable).
inline constexpr int kMinCarrierHz = 10000;
inline constexpr int kMaxCarrierHz = 500000;
inline constexpr uint32_t kMaxDurationUs = 10'000'000;

} // namespace urctool
