#pragma once
// What a urc-tool command holds of the URC while it runs. A command that
// writes (restore, set, learn, clear, import but its dry run) owns the URC
// from before its first read to after its last write and holds the writing
// lock throughout; a command that reads holds the writing lock shared, so it
// never reads half of another program's restore or set. Another program in
// the way is a refusal naming it, unless --wait SECONDS (taken out of the
// arguments here) lets it finish.
#include "urcmem/urc_claim.h"
#include "urctool/commands.h"

#include <string>
#include <vector>

namespace urctool {

// The longest --wait accepted, in seconds.
inline constexpr int kLongestWait = 3600;

struct HeldUrc {
    Args arguments; // the command's own arguments, without --wait
    std::vector<urcclaim::UrcLock> locks;
};

// Takes what `command` needs of the URC the device library talks to; a
// command asked for its help takes nothing. Throws UsageError for a bad
// --wait and ToolError when the URC cannot be held.
HeldUrc holdUrcFor(const std::string& command, const Args& args);

} // namespace urctool
