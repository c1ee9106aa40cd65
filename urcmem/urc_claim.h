#pragma once
// One owner of the URC at a time. A program that writes the URC keeps its own
// picture of the URC's tables between reading and writing, so two writers (or
// a writer beside the window program) leave allocation records on the same
// blocks. Every writer therefore claims the URC before its first read and
// holds the claim until after its last write: the window program for its
// whole life, a writing urc-tool command for the command.
//
// The claim belongs to the URC, not to the user or their runtime folder: an
// emulated URC is keyed by its socket's real path, so every spelling of that
// path meets one claim; a URC on USB by its vendor, product and serial number,
// so that it keeps its claim when it is plugged in again under a new node. The locks are
// open-file-description locks on a lock file: byte 0 is the owner's claim; byte 1 is the writing
// lock, held exclusively by the owner while it writes and shared by readers
// while they read, so that a backup never catches a restore half-way. Each
// lock has its own open file description, so two locks in one process meet as
// two processes' would, two programs starting at the same instant cannot both
// get one, and the kernel drops them when the holder ends, however it ends.
// The owner writes who it is into the file, so that a refusal can name it.
#include "platform/urcwire/linked_urc.h"

#include <chrono>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace urcclaim {

struct ClaimKey {
    std::string urc; // the URC's real path, or "usb:1209:0001:SERIAL": what the claim is keyed by
    std::string lockFile; // the file that carries the locks
    std::string error;    // a sentence for a person when no key could be made
};

// The key of the URC at `urcPath`, a socket or a device node that may not
// exist yet (its folder must). Links, "." and ".." are resolved. The lock file
// lies beside the URC ("<real path>.lock"), or, for a URC in a folder the user
// cannot write (a device node in /dev), in `lockFolder`, named after the whole
// real path.
ClaimKey keyFor(const std::string& urcPath, const std::string& lockFolder = {});

// The key of a URC on USB, with its lock file in `lockFolder` (the per-user
// runtime folder: the URC's node lies in /dev, where the user cannot write).
// A URC without a serial number shares its key with every other such URC.
ClaimKey keyForUsb(uint16_t vendor, uint16_t product, const std::string& serial,
                   const std::string& lockFolder);

// The key of the URC the device library talks to, chosen as the library
// chooses it (linked_urc.h): its socket, or the URC plugged in over USB, whose
// lock file lies in the per-user folder. The per-user folder is made when
// missing, as a server would make it, so that a server starting later meets
// the same claim.
ClaimKey keyForLinkedUrc(const urcwire::UsbFinder& findUsb = urcwire::usb::findUsbUrc);

struct Owner {
    std::string program; // "urc-tool", "qzt617"
    std::string command; // "restore", "set"; empty for the window program
    long pid = 0;
    std::string text() const; // "urc-tool restore (pid 4242)"
};

// This process as `program` running `command`.
Owner thisProcess(const std::string& program, const std::string& command = {});

enum class Hold {
    Own,   // the owner's claim, exclusive; records the owner
    Write, // the writing lock, exclusive: only the owner takes it
    Read,  // the writing lock, shared: readers
};

class UrcLock {
public:
    UrcLock() = default;
    ~UrcLock();
    UrcLock(UrcLock&& other) noexcept;
    UrcLock& operator=(UrcLock&& other) noexcept;
    UrcLock(const UrcLock&) = delete;
    UrcLock& operator=(const UrcLock&) = delete;

    bool held() const { return fd_ >= 0; }
    // Not held because another program holds a conflicting lock (rather than
    // because the lock file could not be used).
    bool busy() const { return busy_; }
    // Why it is not held: who holds the URC, or what failed.
    const std::string& refusal() const { return refusal_; }

private:
    friend UrcLock take(const ClaimKey&, Hold, const Owner&, std::chrono::milliseconds,
                        const std::function<void(const std::string&)>&);
    void release();
    int fd_ = -1;
    bool owner_ = false; // clears the owner record when letting go
    bool busy_ = false;
    std::string refusal_;
};

// Takes `hold` on the URC of `key`, waiting up to `wait` while another program
// holds a conflicting lock; `waiting` is told once, with the refusal's text,
// when it has to wait. An Own lock records `me` in the lock file.
UrcLock take(const ClaimKey& key, Hold hold, const Owner& me, std::chrono::milliseconds wait,
             const std::function<void(const std::string&)>& waiting = {});

// Who owns the URC of `key` now, as its owner recorded; nullopt when nobody
// holds the claim, or when its holder has not said who it is.
std::optional<Owner> currentOwner(const ClaimKey& key);

} // namespace urcclaim
