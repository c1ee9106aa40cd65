#pragma once
// An in-process URC for window tests: 64 KiB of memory, a version text, a link
// that can be unplugged, scripted failures and captures, and a log of every
// call with its arguments. Thread-safe like the real library.
#include "device/urc_library.h"

#include <array>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <vector>

namespace testsupport {

struct DeviceCall {
    std::string function;          // "readdatav20", "writedatav20", ...
    std::vector<std::string> args; // the text arguments (and block count) in order
};

class ScriptedUrc final : public device::UrcLibrary {
public:
    ScriptedUrc();

    // --- the eight functions ---
    bool link_state() override;
    bool ReadVersion(char* buffer) override;
    bool readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                     const char* unit) override;
    bool writedatav20(const char* selector, const char* high, const char* low,
                      const char* data) override;
    bool SetCodeCarrierWave() override;
    bool RCollectCodeInfo(char* buffer) override;
    bool RBasicInfo(char* buffer) override;
    bool WCodeTypeData(const char* data) override;

    // --- scripting ---
    std::array<uint8_t, 65536> memory{};
    void setBytes(int address, const std::vector<uint8_t>& bytes);
    std::vector<uint8_t> bytes(int address, int count) const;
    void setVersionText(std::string text); // empty: ReadVersion fails
    void setConnected(bool connected);
    // Answers of the next link_state calls; when used up, the connected state.
    void scriptLinkStates(std::vector<bool> states);
    void failReadsAt(int address); // reads starting at address fail
    void failNextWrites(int count);
    void failWritesAt(int address);     // writes starting at address fail
    void setCaptureModeResult(bool ok); // SetCodeCarrierWave's answer
    // A capture text the next RCollectCodeInfo call delivers (zero-padded).
    void queueCapture(std::string captureHex);
    // RCollectCodeInfo answers false this many times before a queued capture.
    void setEmptyPollsBeforeCapture(int polls);
    // The next RCollectCodeInfo call throws std::bad_alloc, as a failed
    // allocation inside the device library would.
    void throwOnNextPoll();
    void setIdentityText(std::string text); // RBasicInfo text; empty: it fails
    std::string selector() const;           // byte 0xB044 as two hex digits

    std::vector<DeviceCall> calls() const;
    std::vector<DeviceCall> callsOf(const std::string& function) const;
    void clearCalls();

private:
    void record(std::string function, std::vector<std::string> args);
    mutable std::mutex mutex_;
    std::string version_ = "1020 QZT-617";
    bool connected_ = true;
    std::deque<bool> linkScript_;
    std::vector<int> failingReads_;
    std::vector<int> failingWrites_;
    int writesToFail_ = 0;
    bool captureModeOk_ = true;
    std::deque<std::string> captures_;
    int emptyPolls_ = 0;
    bool throwOnPoll_ = false;
    std::string identity_;
    bool identityScripted_ = false;
    std::vector<DeviceCall> calls_;
};

// Builds, in a ScriptedUrc's memory, a small consistent URC: identity block,
// layout block, header, 70 key codes of the key table, key records, an empty
// allocation area and code storage, and a code-identifier table. Returns the
// addresses it used so tests can craft variations.
struct TestImageLayout {
    int header = 0x1000;
    int pointerBase = 0x8000;
    int keyTable = 0;
    int codeIdTable = 0;
    int allocArea = 0;
    int storage = 0;
    int storageBlocks = 512;
    int allocRecords = 64;
};
TestImageLayout buildTestImage(ScriptedUrc& urc, int major = 1, int minor = 4, uint8_t type0 = 0x10,
                               uint8_t type1 = 0x04);

} // namespace testsupport
