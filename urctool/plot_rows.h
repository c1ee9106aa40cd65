#pragma once
// The rows `plot` draws, each under a heading naming what it is and what it
// reads as: "TV/MUTE: nec 0x04 0x08, 38.0 kHz" for a key the URC holds, "Raw
// signal: raw, 36.0 kHz" for a given signal no protocol reads.
#include "irform/signal.h"
#include "urctool/held_code.h"
#include "urctool/key_names.h"
#include "urctool/plot_layout.h"

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace urctool {

// "nec 0x04 0x08", or "raw" for a signal no protocol reads.
std::string codeText(const std::optional<irform::Decoded>& decoded);
// "NAME: CODE, 38.0 kHz".
std::string rowHeading(std::string_view name, std::string_view code, int carrierHz);

// A key's row under its label (its code without one), as the URC sends it;
// ToolError when the key holds no code or one that cannot be read back.
PlotRow heldRow(const KeyInfo& key, const HeldCode& code);
// A signal from outside the URC, named `name`, read as a protocol if one fits.
PlotRow givenRow(const std::string& name, irform::Signal signal);

// The keys of "--keys 05,CBL/OK"; UsageError for an empty name in the list.
std::vector<std::string> keyList(std::string_view list);

} // namespace urctool
