#pragma once
// The window program's per-user lock: a file in the checked per-user runtime
// folder, held with flock() for as long as the window program runs. The
// window keeps its own picture of the URC's tables, so programs that write to
// the URC (urc-tool restore, set, clear) test the lock and refuse while it is
// held. The kernel drops the lock when the holder ends, however it ends.
#include <string>

namespace winsys {

inline constexpr char kInstanceLockFile[] = "window.lock";

class InstanceLock {
public:
    // Takes the lock without waiting. A lock that cannot be taken (another
    // window program holds it, or the folder is unusable) leaves the object
    // not holding; the window program runs either way.
    InstanceLock();
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;
    bool held() const { return fd_ >= 0; }

private:
    int fd_ = -1;
};

enum class LockState { Free, HeldByWindow, Unknown };

struct LockProbe {
    LockState state = LockState::Unknown;
    std::string detail; // the lock file's path, or why it could not be examined
};

// Whether a window program holds the lock now (a probe takes and drops it).
LockProbe probeInstanceLock();

} // namespace winsys
