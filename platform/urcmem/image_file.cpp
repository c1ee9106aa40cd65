#include "platform/urcmem/image_file.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace urcmem {

namespace {

std::string reason(const std::string& what, const std::string& path) {
    return what + " " + path + ": " + std::strerror(errno);
}

// Writes all of data, resuming after short writes and interruptions.
bool writeAll(int fd, const uint8_t* data, std::size_t size) {
    while (size > 0) {
        ssize_t n = ::write(fd, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos)
        return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// Makes the rename itself durable; a folder that cannot be opened or synced
// (some file systems refuse) does not undo a rename that already happened.
void syncFolder(const std::string& folder) {
    int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}

} // namespace

LoadedImage loadImage(const std::string& path) {
    LoadedImage result;
    // O_NONBLOCK: opening a FIFO or a device must not wait for a writer; what
    // is not a regular file is refused just below.
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        result.error = reason("cannot open the image file", path);
        return result;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        result.error = "the image file " + path + " is not a regular file";
        return result;
    }
    if (info.st_size != static_cast<off_t>(kMemorySize)) {
        ::close(fd);
        result.error = "the image file " + path + " holds " + std::to_string(info.st_size) +
                       " bytes; a URC image is exactly 65536 bytes";
        return result;
    }
    Memory memory;
    auto bytes = memory.all();
    std::size_t done = 0;
    while (done < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (done != bytes.size()) {
        result.error = "the image file " + path + " could not be read completely";
        return result;
    }
    result.memory = std::move(memory);
    return result;
}

std::optional<std::string> saveImage(const Memory& memory, const std::string& path) {
    std::string temporary = path + ".tmp-XXXXXX";
    int fd = ::mkstemp(temporary.data());
    if (fd < 0)
        return reason("cannot create a temporary file beside", path);
    auto bytes = memory.all();
    bool ok = writeAll(fd, bytes.data(), bytes.size());
    std::string failure;
    if (!ok)
        failure = reason("cannot write the image file", path);
    else if (::fsync(fd) != 0)
        failure = reason("cannot flush the image file", path);
    if (::close(fd) != 0 && failure.empty())
        failure = reason("cannot close the image file", path);
    if (failure.empty() && ::rename(temporary.c_str(), path.c_str()) != 0)
        failure = reason("cannot replace the image file", path);
    if (!failure.empty()) {
        ::unlink(temporary.c_str());
        return failure;
    }
    syncFolder(folderOf(path));
    return std::nullopt;
}

} // namespace urcmem
