#pragma once
// Reading back a urc-tool JSON export (export --format json) for import: per
// key its code, label, name and the signal its carrier and durations give.
// The other fields (form, protocol, blocks, ...) say what the durations are
// and are not needed to store them again.
#include "irform/signal.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace urctool {

struct JsonKey {
    std::string code;  // two hex digits, upper case
    std::string label; // as the export gave it; may be empty
    std::string name;  // the export's name, else the label, else the code
    irform::Signal signal;
};

// Refused with a UsageError naming what is wrong, where (the line and column,
// or the key's place in "keys") and the limit: text that is not JSON, nested
// deeper than kMaxJsonDepth, a format newer than this program's, more than
// kMaxJsonKeys keys, a field of the wrong type, a number that is not a whole
// one in its range, more durations than a capture holds; each signal then
// goes through finishedSignal, as every other input does.
std::vector<JsonKey> keysFromJson(std::string_view text);

// An export nests four levels (document, keys, key, durations).
inline constexpr int kMaxJsonDepth = 8;
// The URC's key-code list holds at most 255 codes.
inline constexpr std::size_t kMaxJsonKeys = 255;
inline constexpr std::size_t kMaxJsonNameLength = 100;

} // namespace urctool
