#pragma once
// The compact raw form: a table of the distinct durations of a signal and,
// for every mark and space, its index into the table, four bits each.
//
// Durations are clustered within kCompactTolerancePercent or
// kCompactToleranceUs of the cluster's value, whichever is wider: wide enough
// to merge the few per cent by which a receiver's measurements of one nominal
// duration scatter (so that a NEC frame needs five or six entries), and far
// inside the 25 % that receivers accept, so the replayed code still decodes
// as the original did.
//
// Data D: the entry count (2 digits, 1 to 16), the entries as duration words
// (4 digits each, see code_form.h), then the indexes, one digit each, padded
// with zeros to whole blocks.
#include "irform/signal.h"

#include <optional>
#include <string>
#include <string_view>

namespace irform {

inline constexpr uint32_t kCompactTolerancePercent = 4;
inline constexpr uint32_t kCompactToleranceUs = 25;
inline constexpr std::size_t kMaxCompactEntries = 16;

// nullopt when the durations need more than 16 entries.
std::optional<std::string> compactRawData(const std::vector<uint32_t>& durations);
// The durations back from `count` indexes; nullopt for data that does not fit.
std::optional<std::vector<uint32_t>> compactRawDurations(std::string_view data, std::size_t count);

} // namespace irform
