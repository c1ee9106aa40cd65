#pragma once
// The JSON that urc-tool writes (list --json, export --format json), built
// with nlohmann's library. Each document starts with "format": the version of
// its fields, raised when a field changes meaning or goes, so that a reader
// can refuse what it does not know; fields are only ever added within one
// version.
#include <nlohmann/json.hpp>

#include <string>
#include <vector>

namespace urctool {

inline constexpr int kJsonFormat = 1;

// The document compact, but each element of a top-level array on a line of
// its own (one key per line), so that line tools such as grep find a key's
// fields together. Text that is not UTF-8 is written with U+FFFD in its place.
std::string jsonOneItemPerLine(const nlohmann::ordered_json& document);

// exportJson (declared with the other formats in export_formats.h) is made
// here: {"format":1,"keys":[...]}, per key its code, label, unique name, form
// ("raw" or the decoded text), blocks (raw) or protocol, device and command
// (decoded), carrier and durations.

} // namespace urctool
