#include "platform/urcsim/image_claim.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace urcsim {

namespace {

struct PathParts {
    std::string folder;
    std::string name;
};

PathParts split(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

// One name for one image however it is spelt (relative, through links to its
// folder, or a link to the file), so that every server meets the same lock.
std::string realImagePath(const std::string& path) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return resolved;
    const PathParts parts = split(path);
    if (::realpath(parts.folder.c_str(), resolved))
        return std::string(resolved) + "/" + parts.name;
    return path;
}

// The image file's own saves write "<name>.tmp-XXXXXX" and rename it; one
// still there was left by a server that died mid-save.
bool isLeftover(const std::string& entry, const std::string& imageName) {
    const std::string prefix = imageName + ".tmp-";
    return entry.size() == prefix.size() + 6 && entry.compare(0, prefix.size(), prefix) == 0;
}

void removeLeftovers(const std::string& imagePath) {
    const PathParts parts = split(imagePath);
    DIR* folder = ::opendir(parts.folder.c_str());
    if (!folder)
        return;
    while (const dirent* entry = ::readdir(folder))
        if (isLeftover(entry->d_name, parts.name))
            ::unlinkat(::dirfd(folder), entry->d_name, 0);
    ::closedir(folder);
}

} // namespace

ImageClaim::~ImageClaim() {
    if (fd_ >= 0)
        ::close(fd_);
}

bool ImageClaim::claim(const std::string& imagePath, std::string& error) {
    const std::string real = realImagePath(imagePath);
    const std::string lockPath = real + ".lock";
    fd_ = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        error = "cannot open " + lockPath + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(fd_, LOCK_EX | LOCK_NB) != 0) {
        error = "another urc-sim already serves the image " + real;
        return false;
    }
    removeLeftovers(imagePath); // where this server's saves write them
    return true;
}

} // namespace urcsim
