#pragma once
// The emulated URC: its memory (persisted to the image file before a write is
// acknowledged) and its running state - the cable, the version text, capture
// mode, a key held in front of it, pending faults and the link's latency. One
// request line in, one reply line out; safe to call from several threads. The
// link's requests take turns on the single USB bus; the bench's requests
// never wait for the bus, and a transfer's time is waited without holding the
// URC's state, so the bench is answered at once whatever the latency.
#include "urcmem/factory_image.h"
#include "urcmem/urc_memory.h"

#include <chrono>
#include <condition_variable>
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

    // Called after the bench plugged or unplugged the cable, with the URC's
    // state released, so that a real link can follow (the USB gadget is
    // bound or unbound); returns what went wrong, empty when nothing did.
    using CableHook = std::function<std::string(bool plugged)>;
    void setCableHook(CableHook hook);

    // Ends every transfer in flight or still to come at once (the server is
    // stopping); they answer with an error.
    void stop();

private:
    using Words = std::vector<std::string>;
    using Lock = std::unique_lock<std::mutex>;
    std::string answer(const Words& w, Lock& lock);
    // The eight functions' side, answered only while plugged in.
    std::string link(Lock& lock);
    std::string version(Lock& lock);
    std::string read(const Words& w, Lock& lock);
    std::string write(const Words& w, Lock& lock);
    std::string enterCapture(Lock& lock);
    std::string collect(Lock& lock);
    std::string basicInfo(Lock& lock);
    std::string codeType(const Words& w, Lock& lock);
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
    // setPlugged, then the cable hook outside the state.
    std::string switchCable(bool plugged);

    // Replaces the memory, persisting first; the reason on failure.
    std::string commit(urcmem::Memory next);
    bool keyHeld() const;
    void takeHeldKey();
    // Waits the link's time for the transfers of dataBytes with the state
    // released; false when the cable was switched or the server stops meanwhile.
    bool waitTransfers(Lock& lock, std::size_t dataBytes);
    std::string interrupted() const;

    CableHook cableHook_;
    std::mutex bus_; // held by a request of the link from start to answer
    mutable std::mutex mutex_;
    std::condition_variable changed_; // cableSwitches_ or stopping_
    unsigned long cableSwitches_ = 0;
    bool stopping_ = false;
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
