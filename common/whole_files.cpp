#include "common/whole_files.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <random>
#include <sys/stat.h>
#include <unistd.h>

namespace wholefiles {
namespace {

std::string systemReason() {
    return std::strerror(errno);
}

// "a folder", "a FIFO", ...: what stands at a name instead of a regular file.
std::string kindOf(mode_t mode) {
    if (S_ISDIR(mode))
        return "a folder";
    if (S_ISFIFO(mode))
        return "a FIFO";
    if (S_ISCHR(mode) || S_ISBLK(mode))
        return "a device";
    if (S_ISSOCK(mode))
        return "a socket";
    return "not a regular file";
}

std::string tooLarge(const std::string& path, std::size_t maxBytes, std::string_view kind) {
    return path + " is larger than a " + std::string(kind) + " can be (at most " +
           std::to_string(maxBytes) + " bytes)";
}

// Reads until `limit` bytes are in or the file ends; false on a read error.
bool readUpTo(int fd, std::string& out, std::size_t limit) {
    char buffer[65536];
    while (out.size() < limit) {
        const std::size_t want = std::min(sizeof buffer, limit - out.size());
        const ssize_t n = ::read(fd, buffer, want);
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return false;
        if (n == 0)
            break;
        out.append(buffer, static_cast<std::size_t>(n));
    }
    return true;
}

bool writeAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        data.remove_prefix(static_cast<std::size_t>(n));
    }
    return true;
}

// A new file "<name>.tmp-XXXXXX" (six letters or digits, as mkstemp makes
// them; the emulator removes such files a killed server left) in the folder:
// never an existing file and never through a link, whatever another process
// puts there meanwhile.
int createTemporary(int folderFd, const std::string& name, std::string& temporary, mode_t mode) {
    static constexpr char kLetters[] =
        "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    std::random_device seed;
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temporary = name + ".tmp-";
        for (int i = 0; i < 6; ++i)
            temporary += kLetters[pick(seed)];
        const int fd = ::openat(folderFd, temporary.c_str(),
                                O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

// Writes the temporary file and renames it over the name; the reason on
// failure. A new file is created with `newMode` (the umask applies); one that
// replaces a regular file takes that file's permissions, `kept`.
std::optional<std::string> writeAndRename(int folderFd, const std::string& name,
                                          const std::string& path, std::string_view content,
                                          mode_t newMode, std::optional<mode_t> kept) {
    std::string temporary;
    const int fd = createTemporary(folderFd, name, temporary, kept ? 0600 : newMode);
    if (fd < 0)
        return "cannot create a new file beside " + path + ": " + systemReason();
    std::optional<std::string> failure;
    if (kept && ::fchmod(fd, *kept) != 0)
        failure = "cannot set the permissions of a new file beside " + path + ": " + systemReason();
    else if (!writeAll(fd, content))
        failure = "cannot write " + path + ": " + systemReason();
    else if (::fsync(fd) != 0)
        failure = "cannot flush " + path + " to disk: " + systemReason();
    if (::close(fd) != 0 && !failure)
        failure = "cannot write " + path + ": " + systemReason();
    // rename replaces a link at the name by the new file, never its target.
    if (!failure && ::renameat(folderFd, temporary.c_str(), folderFd, name.c_str()) != 0)
        failure = "cannot replace " + path + ": " + systemReason();
    if (failure)
        ::unlinkat(folderFd, temporary.c_str(), 0);
    return failure;
}

} // namespace

ReadFile readRegularFile(const std::string& path, std::size_t maxBytes, std::string_view kind) {
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {std::nullopt,
                "cannot open the " + std::string(kind) + " " + path + ": " + systemReason()};
    struct stat info {};
    ReadFile result;
    std::string content;
    if (::fstat(fd, &info) != 0)
        result.error = "cannot examine " + path + ": " + systemReason();
    else if (!S_ISREG(info.st_mode))
        result.error = path + " is " + kindOf(info.st_mode) + ", not a " + std::string(kind);
    else if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        result.error = tooLarge(path, maxBytes, kind);
    else if (!readUpTo(fd, content, maxBytes + 1))
        result.error = "cannot read " + path + ": " + systemReason();
    else if (content.size() > maxBytes)
        result.error = tooLarge(path, maxBytes, kind); // it grew while being read
    else
        result.content = std::move(content);
    ::close(fd);
    return result;
}

std::optional<std::string> replaceFile(const std::string& path, std::string_view content,
                                       unsigned newFileMode) {
    const PathParts parts = splitPath(path);
    if (parts.name.empty() || parts.name == "." || parts.name == "..")
        return path + " names a folder, not a file";
    const int folderFd = ::open(parts.folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd < 0)
        return "cannot write " + path + " (its folder cannot be opened): " + systemReason();
    struct stat info {};
    std::optional<mode_t> kept;
    std::optional<std::string> failure;
    if (::fstatat(folderFd, parts.name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0) {
        if (S_ISREG(info.st_mode))
            kept = info.st_mode & 07777;
        else if (!S_ISLNK(info.st_mode))
            failure = path + " is " + kindOf(info.st_mode) +
                      "; only a regular file (or a link, which is replaced) is written over";
    } else if (errno != ENOENT) {
        failure = "cannot examine " + path + ": " + systemReason();
    }
    if (!failure)
        failure = writeAndRename(folderFd, parts.name, path, content,
                                 static_cast<mode_t>(newFileMode & 07777), kept);
    if (!failure)
        ::fsync(folderFd); // the rename itself made durable; some file systems refuse
    ::close(folderFd);
    return failure;
}

PathParts splitPath(const std::string& path) {
    const auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return {".", path};
    return {slash == 0 ? "/" : path.substr(0, slash), path.substr(slash + 1)};
}

} // namespace wholefiles
