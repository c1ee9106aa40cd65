#pragma once
// The emulated URC: its memory (persisted to the image file before a write is
// acknowledged) and its running state - the cable, the version text, capture
// mode, a key held in front of it, pending faults and the link's latency. One
// request line in, one reply line out; safe to call from several threads (a
// single lock stands for the single USB bus).
#include "platform/urcmem/factory_image.h"
#include "platform/urcmem/urc_memory.h"

#include <chrono>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace urcsim {

using Clock = std::function<std::chrono::steady_clock::time_point()>;

struct DeviceSetup {
    urcmem::Memory memory;
    std::string imagePath; // empty: nothing is persisted (tests)
    const urcmem::Profile* profile = &urcmem::defaultProfile();
    int latencyMs = 1;
    Clock clock = [] { return std::chrono::steady_clock::now(); };
};

// The bench's largest count for `fail` (operations to fail or to let through).
constexpr long kMaxInjectedFaults = 1000000;

// Operations of one kind that are made to fail: the first `succeedFirst` still
// succeed, then `pending` fail, then all succeed again.
struct InjectedFault {
    int succeedFirst = 0;
    int pending = 0;
};

class Device {
public:
    explicit Device(DeviceSetup setup);

    // A request line (without "\n") -> a reply line (with "\n").
    std::string handle(std::string_view request);

    urcmem::Memory memory() const;

private:
    using Words = std::vector<std::string>;
    // The eight functions' side, answered only while plugged in.
    std::string link();
    std::string version();
    std::string read(const Words& w);
    std::string write(const Words& w);
    std::string enterCapture();
    std::string collect();
    std::string basicInfo();
    std::string codeType(const Words& w);
    // The bench's side.
    std::string dump(const Words& w);
    std::string check();
    std::string setIdentity(const Words& w);
    std::string fail(const Words& w);
    std::string status();
    std::string setLatency(const Words& w);
    std::string press(const Words& w);
    std::string storedCode(const Words& w);
    std::string setPlugged(bool plugged);

    // Replaces the memory, persisting first; the reason on failure.
    std::string commit(urcmem::Memory next);
    bool keyHeld() const;
    void takeHeldKey();
    void waitTransfers(std::size_t dataBytes) const;

    mutable std::mutex mutex_;
    urcmem::Memory memory_;
    std::string imagePath_;
    const urcmem::Profile* profile_;
    int latencyMs_;
    Clock clock_;
    bool plugged_ = true;
    bool captureMode_ = false;
    std::string heldKey_; // capture text of the key being held
    std::chrono::steady_clock::time_point heldUntil_{};
    std::string captured_; // waiting for RCollectCodeInfo
    InjectedFault failReads_;
    InjectedFault failWrites_;
    InjectedFault failCaptures_;
};

} // namespace urcsim
