#include "urcmem/urc_claim.h"

#include "common/whole_files.h"
#include "platform/urcwire/socket_path.h"

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <utility>

namespace urcclaim {
namespace {

constexpr off_t kOwnByte = 0;
constexpr off_t kWritingByte = 1;
constexpr std::size_t kLargestRecord = 512;
// A new owner writes its record just after taking the claim, and one that was
// killed leaves a stale record; a reader gives it a moment before saying
// "another program".
constexpr int kRecordTries = 20;
constexpr auto kRecordPause = std::chrono::milliseconds(5);
constexpr auto kRetryPause = std::chrono::milliseconds(10);

std::string reason() {
    return std::strerror(errno);
}

// The real path of a file that may not exist yet: its folder's real path and
// its own name.
std::optional<std::string> realPathOf(const std::string& path, std::string& error) {
    if (char* resolved = ::realpath(path.c_str(), nullptr)) {
        std::string real(resolved);
        std::free(resolved);
        struct stat info {};
        if (::stat(real.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
            error = path + " is a folder, not a URC";
            return std::nullopt;
        }
        return real;
    }
    if (errno != ENOENT) {
        error = "cannot resolve " + path + ": " + reason();
        return std::nullopt;
    }
    const auto [folder, name] = wholefiles::splitPath(path);
    if (name.empty() || name == "." || name == "..") {
        error = path + " names a folder, not a URC";
        return std::nullopt;
    }
    char* resolved = ::realpath(folder.c_str(), nullptr);
    if (!resolved) {
        error = "cannot find the folder of " + path + ": " + reason();
        return std::nullopt;
    }
    std::string real(resolved);
    std::free(resolved);
    return (real == "/" ? "" : real) + "/" + name;
}

// A file name standing for a whole path, one to one: "/" and "%" escaped.
std::string escapedName(const std::string& path) {
    std::string name;
    for (char c : path)
        name += c == '/' ? "%2F" : c == '%' ? "%25" : std::string(1, c);
    return name;
}

// A file name standing for a serial number, one to one: every byte but
// letters, digits, "." , "_" and "-" as "%XX".
std::string escapedSerial(const std::string& serial) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    std::string name;
    for (char c : serial) {
        const auto byte = static_cast<unsigned char>(c);
        if (std::isalnum(byte) || c == '.' || c == '_' || c == '-') {
            name += c;
            continue;
        }
        name += '%';
        name += kDigits[byte >> 4];
        name += kDigits[byte & 0x0F];
    }
    return name;
}

std::string printable(std::string text) {
    for (char& c : text)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
            c = '?';
    return text;
}

// Opens (creating) the lock file without following a link at its name; it
// must be a file of this user's, or another user could hold every URC.
int openLockFile(const ClaimKey& key, std::string& error) {
    const int fd = ::open(key.lockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error = "cannot open the URC's lock file " + key.lockFile + ": " + reason();
        return -1;
    }
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        error = "cannot examine " + key.lockFile + ": " + reason();
    else if (!S_ISREG(info.st_mode))
        error = key.lockFile + " is not a regular file";
    else if (info.st_uid != ::getuid())
        error = key.lockFile + " belongs to another user";
    if (!error.empty()) {
        ::close(fd);
        return -1;
    }
    return fd;
}

struct flock rangeOf(Hold hold) {
    struct flock range {};
    range.l_type = hold == Hold::Read ? F_RDLCK : F_WRLCK;
    range.l_whence = SEEK_SET;
    range.l_start = hold == Hold::Own ? kOwnByte : kWritingByte;
    range.l_len = 1;
    return range;
}

std::optional<Owner> parseRecord(const std::string& record) {
    const auto first = record.find('\t');
    const auto second = first == std::string::npos ? first : record.find('\t', first + 1);
    const auto end = second == std::string::npos ? second : record.find('\n', second + 1);
    if (end == std::string::npos)
        return std::nullopt;
    char* rest = nullptr;
    const long pid = std::strtol(record.c_str(), &rest, 10);
    if (pid <= 0 || rest != record.c_str() + first)
        return std::nullopt;
    return Owner{record.substr(first + 1, second - first - 1),
                 record.substr(second + 1, end - second - 1), pid};
}

bool alive(long pid) {
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

void writeRecord(int fd, const Owner& me) {
    const std::string record =
        std::to_string(me.pid) + "\t" + printable(me.program) + "\t" + printable(me.command) + "\n";
    // Only a name for refusals: a record that cannot be written leaves
    // "another program" in them, never a second owner.
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, record.data(), record.size(), 0) < 0)
        (void)::ftruncate(fd, 0);
}

std::string busyText(const ClaimKey& key, Hold hold) {
    const auto owner = currentOwner(key);
    const std::string who = owner ? owner->text() : "another program";
    if (hold == Hold::Own)
        return "the URC (" + key.urc + ") is owned by " + who;
    if (hold == Hold::Read)
        return who + " is writing to the URC (" + key.urc + ")";
    return "another program is reading the URC (" + key.urc + ")";
}

} // namespace

ClaimKey keyFor(const std::string& urcPath, const std::string& lockFolder) {
    ClaimKey key;
    if (urcPath.empty()) {
        key.error = "no URC path was given";
        return key;
    }
    const auto real = realPathOf(urcPath, key.error);
    if (!real)
        return key;
    key.urc = *real;
    if (lockFolder.empty()) {
        key.lockFile = key.urc + ".lock";
        return key;
    }
    const std::string name = escapedName(key.urc) + ".lock";
    if (name.size() > NAME_MAX) {
        key.error = "the URC's path " + key.urc + " is too long to name its lock file";
        key.urc.clear();
        return key;
    }
    key.lockFile = lockFolder + "/" + name;
    return key;
}

ClaimKey keyForUsb(uint16_t vendor, uint16_t product, const std::string& serial,
                   const std::string& lockFolder) {
    ClaimKey key;
    const std::string id = urcwire::usb::idText(vendor, product);
    std::string name = "usb-" + id.substr(0, 4) + "-" + id.substr(5);
    if (!serial.empty())
        name += "-" + escapedSerial(serial);
    name += ".lock";
    if (lockFolder.empty()) {
        key.error = "no folder for the lock file of the URC on USB " + id + " was given";
        return key;
    }
    if (name.size() > NAME_MAX) {
        key.error = "the serial number of the URC on USB " + id + " is too long (" +
                    std::to_string(serial.size()) + " bytes) to name its lock file";
        return key;
    }
    key.urc = "usb:" + id + (serial.empty() ? "" : ":" + printable(serial));
    key.lockFile = lockFolder + "/" + name;
    return key;
}

ClaimKey keyForLinkedUrc(const urcwire::UsbFinder& findUsb) {
    const urcwire::LinkedUrc urc = urcwire::findLinkedUrc(true, findUsb);
    if (urc.kind == urcwire::LinkedUrc::Kind::Socket)
        return keyFor(urc.socketPath);
    ClaimKey key;
    if (urc.kind == urcwire::LinkedUrc::Kind::None) {
        key.error = urc.error;
        return key;
    }
    const urcwire::RuntimeFolder folder = urcwire::resolveRuntimeFolder(true);
    if (folder.path.empty()) {
        key.error = folder.error;
        return key;
    }
    return keyForUsb(urc.usb.vendor, urc.usb.product, urc.usb.serial, folder.path);
}

std::string Owner::text() const {
    return program + (command.empty() ? "" : " " + command) + " (pid " + std::to_string(pid) + ")";
}

Owner thisProcess(const std::string& program, const std::string& command) {
    return Owner{program, command, static_cast<long>(::getpid())};
}

UrcLock::~UrcLock() {
    release();
}

UrcLock::UrcLock(UrcLock&& other) noexcept
    : fd_(std::exchange(other.fd_, -1)), owner_(other.owner_), busy_(other.busy_),
      refusal_(std::move(other.refusal_)) {}

UrcLock& UrcLock::operator=(UrcLock&& other) noexcept {
    if (this != &other) {
        release();
        fd_ = std::exchange(other.fd_, -1);
        owner_ = other.owner_;
        busy_ = other.busy_;
        refusal_ = std::move(other.refusal_);
    }
    return *this;
}

void UrcLock::release() {
    if (fd_ < 0)
        return;
    if (owner_)
        (void)::ftruncate(fd_, 0); // while still held, so no new owner's record is lost
    ::close(fd_);                  // closing the description drops its lock
    fd_ = -1;
}

UrcLock take(const ClaimKey& key, Hold hold, const Owner& me, std::chrono::milliseconds wait,
             const std::function<void(const std::string&)>& waiting) {
    UrcLock lock;
    if (!key.error.empty()) {
        lock.refusal_ = key.error;
        return lock;
    }
    const int fd = openLockFile(key, lock.refusal_);
    if (fd < 0)
        return lock;
    const auto deadline = std::chrono::steady_clock::now() + wait;
    bool told = false;
    for (;;) {
        struct flock range = rangeOf(hold);
        if (::fcntl(fd, F_OFD_SETLK, &range) == 0)
            break;
        if (errno != EAGAIN && errno != EACCES) {
            lock.refusal_ = "cannot lock " + key.lockFile + ": " + reason();
            ::close(fd);
            return lock;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) {
            lock.busy_ = true;
            lock.refusal_ = busyText(key, hold);
            ::close(fd);
            return lock;
        }
        if (!told && waiting)
            waiting(busyText(key, hold));
        told = true;
        std::this_thread::sleep_for(
            std::min<std::chrono::steady_clock::duration>(kRetryPause, deadline - now));
    }
    lock.fd_ = fd;
    lock.owner_ = hold == Hold::Own;
    if (lock.owner_)
        writeRecord(fd, me);
    return lock;
}

std::optional<Owner> currentOwner(const ClaimKey& key) {
    if (!key.error.empty())
        return std::nullopt;
    const int fd = ::open(key.lockFile.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0)
        return std::nullopt;
    std::optional<Owner> owner;
    for (int attempt = 0; attempt < kRecordTries && !owner; ++attempt) {
        struct flock range = rangeOf(Hold::Own);
        if (::fcntl(fd, F_OFD_GETLK, &range) != 0 || range.l_type == F_UNLCK)
            break;
        char buffer[kLargestRecord];
        const ssize_t got = ::pread(fd, buffer, sizeof buffer, 0);
        if (got > 0)
            owner = parseRecord(std::string(buffer, static_cast<std::size_t>(got)));
        if (owner && !alive(owner->pid))
            owner.reset();
        if (!owner)
            std::this_thread::sleep_for(kRecordPause);
    }
    ::close(fd);
    return owner;
}

} // namespace urcclaim
