#pragma once
// The program's and each subcommand's usage text.
#include <string>

namespace urctool {

// The usage of one subcommand, or of the whole program for an unknown name.
std::string usageText(const std::string& subcommand);
// Prints usageText to stdout and returns 0 (for --help).
int printHelp(const std::string& subcommand);

} // namespace urctool
