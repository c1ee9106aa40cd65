#include "platform/winsys/instance_lock.h"

#include "platform/urcmem/socket_path.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace winsys {
namespace {

struct LockFile {
    int fd = -1;
    std::string detail;
};

// Opens (creating) the lock file without following a link at its name.
LockFile openLockFile() {
    const urcwire::RuntimeFolder folder = urcwire::resolveRuntimeFolder(true);
    if (folder.path.empty())
        return {-1, folder.error};
    const std::string path = folder.path + "/" + kInstanceLockFile;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0)
        return {-1, "cannot open " + path + ": " + std::strerror(errno)};
    return {fd, path};
}

} // namespace

InstanceLock::InstanceLock() {
    LockFile file = openLockFile();
    if (file.fd < 0)
        return;
    if (::flock(file.fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(file.fd);
        return;
    }
    fd_ = file.fd;
}

InstanceLock::~InstanceLock() {
    if (fd_ >= 0)
        ::close(fd_); // closing the last descriptor drops the lock
}

LockProbe probeInstanceLock() {
    LockFile file = openLockFile();
    if (file.fd < 0)
        return {LockState::Unknown, file.detail};
    LockProbe probe{LockState::Free, file.detail};
    if (::flock(file.fd, LOCK_EX | LOCK_NB) != 0)
        probe.state = errno == EWOULDBLOCK ? LockState::HeldByWindow : LockState::Unknown;
    ::close(file.fd);
    return probe;
}

} // namespace winsys
