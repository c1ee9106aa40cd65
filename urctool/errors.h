#pragma once
// The two kinds of failure a subcommand ends with: a mistake in the command
// line (exit 2, usage on stderr) and a refusal or a failure of the URC, its
// library or a file (exit 1, the message names what failed). A command stopped
// by a signal while it waits ends with 128 plus the signal's number, as a
// shell reports a program the signal ended.
#include <stdexcept>
#include <string>

namespace urctool {

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;
inline constexpr int kExitUsage = 2;
inline constexpr int kExitSignalBase = 128;

struct UsageError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

struct ToolError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

} // namespace urctool
