#include "urcmem/image_file.h"

#include "common/whole_files.h"

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
    const auto bytes = memory.all();
    return wholefiles::replaceFile(
        path, std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()), 0600);
}

} // namespace urcmem
