#include "platform/urcsim/server.h"

#include "urcmem/image_file.h"
#include "platform/urcwire/socket_path.h"
#include "platform/urcwire/wire_protocol.h"
#include "platform/urcsim/connections.h"
#include "platform/urcsim/device.h"
#include "platform/urcsim/factory_keys.h"
#include "platform/urcsim/image_claim.h"
#include "platform/urcsim/usb_serving.h"

#include <cerrno>
#include <csignal>
#include <cstring>
#include <exception>
#include <fcntl.h>
#include <iostream>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace urcsim {

namespace {

int stopPipe[2] = {-1, -1};

extern "C" void onStopSignal(int) {
    const char byte = 1;
    [[maybe_unused]] auto n = ::write(stopPipe[1], &byte, 1);
}

bool installSignals(std::string& error) {
    if (::pipe2(stopPipe, O_CLOEXEC | O_NONBLOCK) != 0) {
        error = std::string("cannot create a pipe: ") + std::strerror(errno);
        return false;
    }
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    // A closed terminal stops the server as cleanly as SIGTERM or Ctrl-C.
    for (int signal : {SIGTERM, SIGINT, SIGHUP})
        ::sigaction(signal, &action, nullptr);
    std::signal(SIGPIPE, SIG_IGN);
    return true;
}

void answer(int fd, Device& device) {
    const auto deadline = urcwire::deadlineIn(urcwire::kReplyTimeoutMs);
    if (auto request = urcwire::readLine(fd, deadline))
        urcwire::writeAll(fd, device.handle(*request),
                          urcwire::deadlineIn(urcwire::kReplyTimeoutMs));
}

// The socket file is removed however serving ends, so that no client finds a
// dead socket and the next server need not clear it away.
struct SocketFile {
    std::string path;
    ~SocketFile() {
        if (!path.empty())
            ::unlink(path.c_str());
    }
};

std::string defaultImagePath(const std::string& socketPath) {
    auto slash = socketPath.find_last_of('/');
    return (slash == std::string::npos ? std::string(".") : socketPath.substr(0, slash)) +
           "/urc.img";
}

// Takes the socket over: refuses a live server or a path that is no socket;
// removes the socket file a dead server left behind.
bool claimSocketPath(const std::string& path, int& lockFd, std::string& error) {
    const std::string lockPath = path + ".lock";
    lockFd = ::open(lockPath.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd < 0) {
        error = "cannot open " + lockPath + ": " + std::strerror(errno);
        return false;
    }
    if (::flock(lockFd, LOCK_EX | LOCK_NB) != 0) {
        error = "another urc-sim already serves " + path;
        return false;
    }
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0)
        return true;
    if (!S_ISSOCK(info.st_mode)) {
        error = path + " exists and is not a socket; refusing to replace it";
        return false;
    }
    auto probe = urcwire::call(path, "LINK", 200, 500);
    if (probe.status != urcwire::CallStatus::NoServer) {
        error = "another server is live on " + path;
        return false;
    }
    ::unlink(path.c_str());
    return true;
}

int listenOn(const std::string& path, std::string& error) {
    int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::memcpy(address.sun_path, path.data(), path.size());
    const mode_t oldMask = ::umask(077); // the socket file is for this user only
    const bool bound =
        fd >= 0 && ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
    const bool ok = bound && ::listen(fd, 128) == 0;
    ::umask(oldMask);
    if (!ok) {
        error = "cannot listen on " + path + ": " + std::strerror(errno);
        if (bound)
            ::unlink(path.c_str());
        if (fd >= 0)
            ::close(fd);
        return -1;
    }
    return fd;
}

// Checked before the image is claimed, so that no lock file is made beside a
// folder or a device given by mistake; loading checks the opened file again.
bool isFileOrMissing(const std::string& path, std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode))
        return true;
    error = "the image file " + path + " is not a regular file";
    return false;
}

bool loadOrCreateImage(const std::string& path, const urcmem::Profile& profile,
                       urcmem::Memory& memory, std::string& error) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0 && errno == ENOENT) {
        memory = factoryImageFor(profile);
        if (auto problem = urcmem::saveImage(memory, path)) {
            error = *problem;
            return false;
        }
        std::cerr << "urc-sim: created a factory image in " << path << "\n";
        return true;
    }
    auto loaded = urcmem::loadImage(path);
    if (!loaded.memory) {
        error = loaded.error;
        return false;
    }
    memory = std::move(*loaded.memory);
    return true;
}

// True once the stop pipe is readable, waiting at most timeoutMs (-1: no bound).
bool stopAsked(int timeoutMs) {
    pollfd stop{stopPipe[0], POLLIN, 0};
    return ::poll(&stop, 1, timeoutMs) > 0;
}

void acceptUntilStopped(int listenFd, Connections& connections) {
    for (;;) {
        pollfd fds[2] = {{listenFd, POLLIN, 0}, {stopPipe[0], POLLIN, 0}};
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        if (fds[1].revents != 0)
            return;
        int fd = ::accept4(listenFd, nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK);
        if (fd >= 0) {
            connections.admit(fd);
            continue;
        }
        if (errno == EINTR || errno == EAGAIN || errno == ECONNABORTED)
            continue;
        // Out of descriptors or memory: the client waits in the queue while
        // the server pauses, rather than spinning on a socket that stays
        // readable; a stop still ends the pause.
        if (stopAsked(100))
            return;
    }
}

// Serves until asked to stop; then no client is waited for longer than the
// answers already being written take.
int serveUntilStopped(int listenFd, SocketFile& socket, Device& device) {
    int status = 0;
    Connections connections([&device](int fd) { answer(fd, device); });
    try {
        acceptUntilStopped(listenFd, connections);
    } catch (const std::exception& e) {
        std::cerr << "urc-sim: stopping after an internal error: " << e.what() << std::endl;
        status = 1;
    }
    ::close(listenFd);
    device.stop();      // transfers in flight end with an error
    connections.stop(); // requests still to come are not waited for
    // Gone only now, so that a client that finds the socket gone knows its
    // connection no longer reads.
    ::unlink(socket.path.c_str());
    socket.path.clear();
    connections.wait();
    return status;
}

std::unique_ptr<UsbLink> startUsbLink(const ServeOptions& options, const std::string& image,
                                      Device& device, std::string& error) {
    GadgetSettings settings;
    settings.udc = options.udc;
    settings.serial = options.serial.empty() ? serialForImage(image) : options.serial;
    return UsbLink::start(settings, device, stopPipe[0], error);
}

int serveOrFail(const ServeOptions& options) {
    const urcmem::Profile* profile = urcmem::findProfile(options.profile);
    if (!profile) {
        std::cerr << "urc-sim: unknown profile " << options.profile << "\n";
        return 2;
    }
    std::string socketPath = options.socketPath;
    if (socketPath.empty()) {
        auto resolved = urcwire::resolveSocketPath(true);
        if (resolved.path.empty()) {
            std::cerr << "urc-sim: " << resolved.error << "\n";
            return 1;
        }
        socketPath = resolved.path;
    } else if (!urcwire::fitsSocketAddress(socketPath)) {
        std::cerr << "urc-sim: the socket path is too long for a Unix socket\n";
        return 1;
    }
    const std::string givenImage =
        options.imagePath.empty() ? defaultImagePath(socketPath) : options.imagePath;
    std::string error;
    int lockFd = -1;
    ImageClaim image;
    urcmem::Memory memory;
    SocketFile socket;
    int listenFd = -1;
    // The image is loaded and saved by its real path: a link at the given
    // name stays a link, and every spelling of one image is one claim.
    if (!installSignals(error) || !claimSocketPath(socketPath, lockFd, error) ||
        !isFileOrMissing(givenImage, error) || !image.claim(givenImage, error) ||
        !loadOrCreateImage(image.path(), *profile, memory, error) ||
        (listenFd = listenOn(socketPath, error)) < 0) {
        std::cerr << "urc-sim: " << error << "\n";
        if (lockFd >= 0)
            ::close(lockFd);
        return 1;
    }
    socket.path = socketPath;
    Device device({std::move(memory), image.path(), profile, options.latencyMs});
    std::unique_ptr<UsbLink> usbLink;
    if (options.usbGadget && !(usbLink = startUsbLink(options, image.path(), device, error))) {
        std::cerr << "urc-sim: " << error << "\n";
        ::close(listenFd);
        ::close(lockFd);
        return 1;
    }
    std::cerr << "urc-sim: serving " << socketPath << " (image " << image.path() << ", profile "
              << profile->name << ", at most " << kMaxConnections << " connections at once)"
              << std::endl;
    if (usbLink)
        std::cerr << "urc-sim: serving the " << usbLink->description() << std::endl;
    const int status = serveUntilStopped(listenFd, socket, device);
    usbLink.reset(); // the gadget goes before the server says it stopped
    ::close(lockFd);
    std::cerr << "urc-sim: stopped" << std::endl;
    return status;
}

} // namespace

int serve(const ServeOptions& options) {
    try {
        return serveOrFail(options);
    } catch (const std::exception& e) {
        // The socket file went on the way here; the locks go with the process.
        std::cerr << "urc-sim: " << e.what() << std::endl;
        return 1;
    }
}

} // namespace urcsim
