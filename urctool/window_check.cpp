// The window program's lock, tested before anything is written to the URC.
#include "platform/winsys/instance_lock.h"
#include "urctool/commands.h"
#include "urctool/errors.h"

namespace urctool {

void refuseWhileWindowRuns(const std::string& subcommand) {
    const auto probe = winsys::probeInstanceLock();
    if (probe.state == winsys::LockState::Free)
        return;
    if (probe.state == winsys::LockState::HeldByWindow)
        throw ToolError("the window program is running (it holds " + probe.detail +
                        "); close it "
                        "before " +
                        subcommand + ": it keeps its own copy of the URC's tables");
    throw ToolError("cannot tell whether the window program is running (" + probe.detail +
                    "); nothing was written");
}

} // namespace urctool
