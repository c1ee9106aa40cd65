#pragma once
// The subcommands. Each takes its arguments after the subcommand's name and
// returns the exit status; failures are thrown as UsageError or ToolError.
#include "device/urc_library.h"

#include <ostream>
#include <string>
#include <vector>

namespace urctool {

using Args = std::vector<std::string>;

int backupCommand(device::UrcLibrary& urc, const Args& args);
int verifyCommand(device::UrcLibrary& urc, const Args& args);
int restoreCommand(device::UrcLibrary& urc, const Args& args);
int listCommand(device::UrcLibrary& urc, const Args& args);
int exportCommand(device::UrcLibrary& urc, const Args& args);
int setCommand(device::UrcLibrary& urc, const Args& args);
int clearCommand(device::UrcLibrary& urc, const Args& args);
int learnCommand(device::UrcLibrary& urc, const Args& args);
int plotCommand(device::UrcLibrary& urc, const Args& args);
int importCommand(device::UrcLibrary& urc, const Args& args);
// The protocol forms, written to `out`; needs no URC, so it is given none.
int formsCommand(const Args& args, std::ostream& out);

} // namespace urctool
