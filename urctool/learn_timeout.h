#pragma once
// How long learn waits for a code: --timeout SECONDS, whole seconds within
// limits a person waiting at the URC can use.
#include <optional>
#include <string>

namespace urctool {

inline constexpr int kDefaultLearnTimeout = 30;
inline constexpr int kShortestLearnTimeout = 1;
inline constexpr int kLongestLearnTimeout = 3600;

// The default without a value; throws UsageError naming the limits and the
// value for anything but whole seconds from 1 to 3600.
int learnTimeoutSeconds(const std::optional<std::string>& value);

} // namespace urctool
