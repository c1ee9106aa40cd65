#include "platform/urcsim/image_claim.h"

#include "common/whole_files.h"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <optional>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace urcsim {

namespace {

using wholefiles::PathParts;
using wholefiles::splitPath;

// One name for one image however it is spelt (relative, through links to its
// folder, or a link to the file), so that every server meets the same lock;
// a missing image gets its real folder and its own name. nullopt with the
// reason when the name cannot be resolved.
std::optional<std::string> realImagePath(const std::string& path, std::string& error) {
    char resolved[PATH_MAX];
    if (::realpath(path.c_str(), resolved))
        return resolved;
    const int why = errno;
    struct stat info {};
    if (why == ENOENT && ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode)) {
        error = "the image file " + path +
                " is a link to a file that does not exist; give the image's own path";
        return std::nullopt;
    }
    if (why != ENOENT) {
        error = "cannot resolve the image file " + path + ": " + std::strerror(why);
        return std::nullopt;
    }
    const PathParts parts = splitPath(path);
    if (::realpath(parts.folder.c_str(), resolved))
        return std::string(resolved) + "/" + parts.name;
    return path; // no such folder: making the lock there says so
}

// The image file's own saves write "<name>.tmp-XXXXXX" and rename it; one
// still there was left by a server that died mid-save.
bool isLeftover(const std::string& entry, const std::string& imageName) {
    const std::string prefix = imageName + ".tmp-";
    return entry.size() == prefix.size() + 6 && entry.compare(0, prefix.size(), prefix) == 0;
}

void removeLeftovers(const std::string& imagePath) {
    const PathParts parts = splitPath(imagePath);
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
    const auto resolved = realImagePath(imagePath, error);
    if (!resolved)
        return false;
    const std::string& real = *resolved;
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
    path_ = real;
    removeLeftovers(real); // where this server's saves write them
    return true;
}

} // namespace urcsim
