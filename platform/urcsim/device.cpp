#include "platform/urcsim/device.h"

#include "urcmem/image_check.h"
#include "urcmem/image_file.h"
#include "urcmem/memory_map.h"
#include "platform/urcwire/wire_protocol.h"


namespace urcsim {

namespace {

using urcwire::errorLine;
using urcwire::okLine;

constexpr int kMaxBlocks = 8192; // 64 KiB in blocks of 8 bytes
constexpr int kMaxHoldMs = 600000;
constexpr int kMaxLatencyMs = 1000;
constexpr std::size_t kCaptureSize = 10240;
constexpr std::size_t kUsbPacket = 64;

const char* const kUnplugged = "the URC is unplugged";

std::optional<int> parseAddress(std::string_view text) {
    if (text.size() != 4 || !urcwire::isHexDigits(text))
        return std::nullopt;
    return std::stoi(std::string(text), nullptr, 16);
}

bool isDeviceRequest(std::string_view verb) {
    for (std::string_view v :
         {"VERSION", "READ", "WRITE", "CAPTURE", "COLLECT", "BASICINFO", "CODETYPE"})
        if (verb == v)
            return true;
    return false;
}

// Counts one operation against its fault; true when this one must fail. The
// operations to let through come first, so a test can aim at the K+1st step.
bool takeFault(InjectedFault& fault) {
    if (fault.pending <= 0)
        return false;
    if (fault.succeedFirst > 0) {
        --fault.succeedFirst;
        return false;
    }
    --fault.pending;
    return true;
}

std::string describe(const InjectedFault& fault) {
    std::string text = std::to_string(fault.pending);
    if (fault.pending > 0 && fault.succeedFirst > 0)
        text += " after " + std::to_string(fault.succeedFirst);
    return text;
}

} // namespace

Device::Device(DeviceSetup setup)
    : memory_(std::move(setup.memory)), imagePath_(std::move(setup.imagePath)),
      profile_(setup.profile ? setup.profile : &urcmem::defaultProfile()),
      latencyMs_(setup.latencyMs), clock_(std::move(setup.clock)) {}

urcmem::Memory Device::memory() const {
    std::lock_guard lock(mutex_);
    return memory_;
}

void Device::stop() {
    {
        std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    changed_.notify_all();
}

void Device::setCableHook(CableHook hook) {
    std::lock_guard lock(mutex_);
    cableHook_ = std::move(hook);
}

std::string Device::handle(std::string_view request) {
    const Words w = urcwire::splitWords(request);
    if (w.empty())
        return errorLine("empty request");
    if (w[0] == "PLUG" || w[0] == "UNPLUG")
        return switchCable(w[0] == "PLUG");
    // The link's requests take turns, as on the one USB bus; the bench's
    // requests do not use the bus.
    Lock bus;
    if (w[0] == "LINK" || isDeviceRequest(w[0]))
        bus = Lock(bus_);
    Lock lock(mutex_);
    try {
        return answer(w, lock);
    } catch (const std::exception& e) {
        return errorLine(std::string("internal error: ") + e.what());
    }
}

std::string Device::answer(const Words& w, Lock& lock) {
    const std::string& verb = w[0];
    // The eight functions' requests; all but the link query need the cable.
    if (verb == "LINK")
        return link(lock);
    if (isDeviceRequest(verb) && !plugged_) {
        waitTransfers(lock, 0);
        return errorLine(kUnplugged);
    }
    if (verb == "VERSION")
        return version(lock);
    if (verb == "READ")
        return read(w, lock);
    if (verb == "WRITE")
        return write(w, lock);
    if (verb == "CAPTURE")
        return enterCapture(lock);
    if (verb == "COLLECT")
        return collect(lock);
    if (verb == "BASICINFO")
        return basicInfo(lock);
    if (verb == "CODETYPE")
        return codeType(w, lock);
    // The bench's requests work whatever the cable.
    if (verb == "PLUG" || verb == "UNPLUG")
        return setPlugged(verb == "PLUG");
    if (verb == "DUMP")
        return dump(w);
    if (verb == "CHECK")
        return check();
    if (verb == "IDENTITY")
        return setIdentity(w);
    if (verb == "FAIL")
        return fail(w);
    if (verb == "STATUS")
        return status();
    if (verb == "LATENCY")
        return setLatency(w);
    if (verb == "PRESS")
        return press(w);
    if (verb == "STORED")
        return storedCode(w);
    return errorLine("unknown request " + verb);
}

bool Device::waitTransfers(Lock& lock, std::size_t dataBytes) {
    // Unplugging and plugging in again during the wait still ends it: the
    // capture or mode the transfer was about is gone.
    const unsigned long switches = cableSwitches_;
    const auto cut = [&] { return stopping_ || cableSwitches_ != switches; };
    if (latencyMs_ <= 0)
        return true; // nothing to wait for, so nothing can cut it short
    const std::size_t transfers = 1 + dataBytes / kUsbPacket;
    const auto until = std::chrono::steady_clock::now() +
                       std::chrono::milliseconds(latencyMs_) * static_cast<long>(transfers);
    // wait_until gives the state up while waiting: the bench goes on meanwhile.
    return !changed_.wait_until(lock, until, cut);
}

// A transfer cut short: the server is stopping or the cable was switched.
std::string Device::interrupted() const {
    return errorLine(stopping_ ? "the emulator is stopping" : kUnplugged);
}

std::string Device::link(Lock& lock) {
    // A cable switched during the query is answered as it is now.
    waitTransfers(lock, 0);
    if (stopping_)
        return interrupted();
    return okLine(plugged_ ? "1" : "0");
}

std::string Device::version(Lock& lock) {
    if (!waitTransfers(lock, 0))
        return interrupted();
    return okLine(profile_->versionText);
}

std::string Device::read(const Words& w, Lock& lock) {
    if (w.size() != 3)
        return errorLine("READ takes an address and a block count");
    auto address = parseAddress(w[1]);
    auto blocks = urcwire::parseDecimal(w[2], kMaxBlocks);
    if (!address || !blocks || *blocks == 0)
        return errorLine("READ takes four hex digits of address and 1 to 8192 blocks");
    const long size = *blocks * urcmem::kStorageBlockSize;
    if (!urcmem::Memory::inRange(*address, size))
        return errorLine("the read passes 0xFFFF");
    if (!waitTransfers(lock, static_cast<std::size_t>(size)))
        return interrupted();
    if (takeFault(failReads_))
        return errorLine("injected read failure");
    return okLine(urcmem::toHex(memory_.read(*address, static_cast<std::size_t>(size))));
}

std::string Device::write(const Words& w, Lock& lock) {
    if (w.size() != 4)
        return errorLine("WRITE takes a selector, an address and data");
    auto address = parseAddress(w[2]);
    auto data = urcmem::parseHexBytes(w[3]);
    if (!urcwire::isTwoHexDigits(w[1]) || !address || !data || data->empty())
        return errorLine("WRITE takes two hex digits, four hex digits and even-length hex data");
    if (std::stoi(w[1], nullptr, 16) != memory_.byte(urcmem::kWriteSelectorAddress))
        return errorLine("the write selector does not match the URC's");
    if (!urcmem::Memory::inRange(*address, static_cast<long long>(data->size())))
        return errorLine("the write passes 0xFFFF");
    if (!waitTransfers(lock, data->size()))
        return interrupted();
    if (takeFault(failWrites_))
        return errorLine("injected write failure");
    urcmem::Memory next = memory_;
    next.write(static_cast<std::size_t>(*address), *data);
    if (std::string problem = commit(std::move(next)); !problem.empty())
        return errorLine(problem);
    return okLine();
}

std::string Device::commit(urcmem::Memory next) {
    if (!imagePath_.empty()) {
        if (auto problem = urcmem::saveImage(next, imagePath_))
            return *problem;
    }
    memory_ = std::move(next);
    return {};
}

bool Device::keyHeld() const {
    return !heldKey_.empty() && clock_() < heldUntil_;
}

// A URC in capture mode takes the key held in front of it and leaves capture mode.
void Device::takeHeldKey() {
    if (captureMode_ && keyHeld()) {
        captured_ = heldKey_;
        captureMode_ = false;
    }
}

std::string Device::enterCapture(Lock& lock) {
    if (!waitTransfers(lock, 0))
        return interrupted();
    if (takeFault(failCaptures_))
        return errorLine("injected capture failure");
    captureMode_ = true;
    captured_.clear();
    takeHeldKey();
    return okLine();
}

std::string Device::collect(Lock& lock) {
    if (captured_.empty()) {
        if (!waitTransfers(lock, 0))
            return interrupted();
        return errorLine("nothing captured");
    }
    if (!waitTransfers(lock, kCaptureSize))
        return interrupted();
    std::string text = std::move(captured_);
    captured_.clear();
    return okLine(text);
}

std::string Device::basicInfo(Lock& lock) {
    if (!waitTransfers(lock, urcmem::kIdentityBlockSize))
        return interrupted();
    return okLine(
        urcmem::toHex(memory_.read(urcmem::kIdentityAddress, urcmem::kIdentityBlockSize)));
}

std::string Device::codeType(const Words& w, Lock& lock) {
    if (!waitTransfers(lock, 0))
        return interrupted();
    if (w.size() != 2 || !urcwire::isEvenHex(w[1]))
        return errorLine("CODETYPE takes even-length hex data");
    return okLine();
}

std::string Device::switchCable(bool plugged) {
    CableHook hook;
    std::string reply;
    {
        Lock lock(mutex_);
        reply = setPlugged(plugged);
        hook = cableHook_;
    }
    if (!hook)
        return reply;
    if (auto problem = hook(plugged); !problem.empty())
        return errorLine(problem);
    return reply;
}

std::string Device::setPlugged(bool plugged) {
    if (plugged_ != plugged) {
        ++cableSwitches_;
        changed_.notify_all(); // a transfer in flight ends with the cable
    }
    plugged_ = plugged;
    if (!plugged) {
        // Losing power ends capture mode and forgets an uncollected capture.
        captureMode_ = false;
        captured_.clear();
    }
    return okLine(plugged ? "plugged" : "unplugged");
}

std::string Device::dump(const Words& w) {
    if (w.size() != 3)
        return errorLine("DUMP takes an address and a length");
    auto address = urcwire::parseDecimal(w[1], 0xFFFF);
    auto length = urcwire::parseDecimal(w[2], 0x10000);
    if (!address || !length || !urcmem::Memory::inRange(*address, *length))
        return errorLine("the range passes the end of memory 0xFFFF");
    return okLine(urcmem::toHex(
        memory_.read(static_cast<std::size_t>(*address), static_cast<std::size_t>(*length))));
}

std::string Device::check() {
    if (auto problem = urcmem::checkImage(memory_))
        return errorLine(*problem);
    return okLine("ok");
}

std::string Device::setIdentity(const Words& w) {
    std::optional<std::vector<uint8_t>> bytes;
    if (w.size() == 2)
        bytes = urcmem::parseHexBytes(w[1]);
    if (!bytes || bytes->size() != urcmem::kIdentitySize)
        return errorLine("the identity is 30 hexadecimal digits");
    urcmem::Memory next = memory_;
    next.write(urcmem::kIdentityAddress, *bytes);
    if (std::string problem = commit(std::move(next)); !problem.empty())
        return errorLine(problem);
    return okLine(urcmem::toHex(*bytes));
}

std::string Device::fail(const Words& w) {
    std::optional<long> count;
    std::optional<long> after = 0;
    if (w.size() == 3 || w.size() == 4)
        count = urcwire::parseDecimal(w[2], kMaxInjectedFaults);
    if (w.size() == 4)
        after = urcwire::parseDecimal(w[3], kMaxInjectedFaults);
    if (!count || !after)
        return errorLine("FAIL takes reads, writes or capture, a count and optionally how many "
                         "succeed first");
    const InjectedFault fault{static_cast<int>(*after), static_cast<int>(*count)};
    if (w[1] == "reads")
        failReads_ = fault;
    else if (w[1] == "writes")
        failWrites_ = fault;
    else if (w[1] == "capture")
        failCaptures_ = fault;
    else
        return errorLine("FAIL takes reads, writes or capture");
    return okLine();
}

std::string Device::status() {
    std::string pending = "none";
    if (!captured_.empty()) {
        pending = "captured, waiting to be collected";
    } else if (keyHeld()) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(heldUntil_ - clock_());
        pending = "held, " + std::to_string(left.count()) + " ms left";
    }
    const std::string fields[] = {
        "plugged=" + std::string(plugged_ ? "yes" : "no"),
        "profile=" + std::string(profile_->name),
        "capture mode=" + std::string(captureMode_ ? "on" : "off"),
        "pending key=" + pending,
        "faults=reads " + describe(failReads_) + ", writes " + describe(failWrites_) +
            ", capture " + describe(failCaptures_),
        "latency=" + std::to_string(latencyMs_) + " ms",
        "image=" + (imagePath_.empty() ? std::string("(none)") : imagePath_),
    };
    std::string payload;
    for (const auto& f : fields)
        payload += (payload.empty() ? "" : "\t") + f;
    return okLine(payload);
}

std::string Device::setLatency(const Words& w) {
    std::optional<long> ms;
    if (w.size() == 2)
        ms = urcwire::parseDecimal(w[1], kMaxLatencyMs);
    if (!ms)
        return errorLine("the latency is 0 to 1000 ms");
    latencyMs_ = static_cast<int>(*ms);
    return okLine();
}

std::string Device::press(const Words& w) {
    std::optional<long> holdMs;
    if (w.size() == 3)
        holdMs = urcwire::parseDecimal(w[1], kMaxHoldMs);
    if (!holdMs || !urcwire::isHexDigits(w[2]) || w[2].size() > kCaptureSize)
        return errorLine("PRESS takes a hold time and at most 10240 hex digits of capture");
    heldKey_ = w[2];
    heldUntil_ = clock_() + std::chrono::milliseconds(*holdMs);
    takeHeldKey();
    return okLine(captured_.empty() ? "held" : "captured");
}

std::string Device::storedCode(const Words& w) {
    std::optional<std::vector<uint8_t>> code;
    if (w.size() == 2)
        code = urcmem::parseHexBytes(w[1]);
    if (!code || code->size() != 1)
        return errorLine("STORED takes a key code of two hex digits");
    auto lookup = urcmem::storedCode(memory_, (*code)[0]);
    if (!lookup.code)
        return errorLine(lookup.error);
    std::string payload = urcmem::toHex(lookup.code->record.bytes);
    payload += " ";
    payload += lookup.code->data ? urcmem::toHex(*lookup.code->data) : "-";
    return okLine(payload);
}

} // namespace urcsim
