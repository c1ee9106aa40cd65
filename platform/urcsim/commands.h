#pragma once
// urc-sim's command line: `serve`, and the bench commands that talk to a
// running server.
#include <string>
#include <vector>

namespace urcsim {

// Exit statuses of the commands.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailed = 1;   // the URC refused, or check found a violation
inline constexpr int kExitUsage = 2;    // bad arguments
inline constexpr int kExitNoServer = 3; // nothing serves the socket

std::string usage();
// args: the arguments after the program's name.
int runCommand(const std::vector<std::string>& args);

} // namespace urcsim
