#include "scripted_urc.h"

#include "device/core/hex_text.h"

#include <algorithm>
#include <cstring>
#include <new>
#include <utility>

namespace testsupport {
namespace {

std::optional<int> addressOf(const char* high, const char* low) {
    if (!high || !low || std::strlen(high) != 2 || std::strlen(low) != 2)
        return std::nullopt;
    const auto h = device::parseHex(high);
    const auto l = device::parseHex(low);
    if (!h || !l)
        return std::nullopt;
    return static_cast<int>(*h * 256 + *l);
}

} // namespace

ScriptedUrc::ScriptedUrc() = default;

void ScriptedUrc::record(std::string function, std::vector<std::string> args) {
    calls_.push_back({std::move(function), std::move(args)});
}

bool ScriptedUrc::link_state() {
    std::lock_guard lock(mutex_);
    record("link_state", {});
    if (!linkScript_.empty()) {
        const bool state = linkScript_.front();
        linkScript_.pop_front();
        return state;
    }
    return connected_;
}

bool ScriptedUrc::ReadVersion(char* buffer) {
    std::lock_guard lock(mutex_);
    record("ReadVersion", {});
    if (!connected_ || version_.empty())
        return false;
    std::memcpy(buffer, version_.data(), std::min<std::size_t>(version_.size(), 249));
    return true;
}

bool ScriptedUrc::readdatav20(char* buffer, int32_t blocks, const char* high, const char* low,
                              const char* unit) {
    std::lock_guard lock(mutex_);
    record("readdatav20",
           {std::to_string(blocks), high ? high : "", low ? low : "", unit ? unit : ""});
    const auto address = addressOf(high, low);
    if (!connected_ || !address || blocks <= 0 || std::strcmp(unit, "08") != 0)
        return false;
    if (*address + 8L * blocks > 65536)
        return false;
    if (std::find(failingReads_.begin(), failingReads_.end(), *address) != failingReads_.end())
        return false;
    std::string hex;
    for (int i = 0; i < 8 * blocks; ++i)
        hex += device::byteText(memory[*address + i]);
    std::memcpy(buffer, hex.data(), hex.size());
    return true;
}

bool ScriptedUrc::writedatav20(const char* selector, const char* high, const char* low,
                               const char* data) {
    std::lock_guard lock(mutex_);
    record("writedatav20",
           {selector ? selector : "", high ? high : "", low ? low : "", data ? data : ""});
    const auto address = addressOf(high, low);
    const std::string hex = data ? data : "";
    if (!connected_ || !address || hex.size() % 2 != 0 || !device::isHexDigits(hex))
        return false;
    if (!selector || device::byteText(memory[0xB044]) != selector)
        return false;
    if (*address + hex.size() / 2 > 65536)
        return false;
    if (writesToFail_ > 0) {
        --writesToFail_;
        return false;
    }
    if (std::find(failingWrites_.begin(), failingWrites_.end(), *address) != failingWrites_.end())
        return false;
    for (std::size_t i = 0; i < hex.size() / 2; ++i)
        memory[*address + i] = static_cast<uint8_t>(*device::byteAt(hex, i));
    return true;
}

bool ScriptedUrc::SetCodeCarrierWave() {
    std::lock_guard lock(mutex_);
    record("SetCodeCarrierWave", {});
    return connected_ && captureModeOk_;
}

bool ScriptedUrc::RCollectCodeInfo(char* buffer) {
    std::lock_guard lock(mutex_);
    record("RCollectCodeInfo", {});
    if (std::exchange(throwOnPoll_, false))
        throw std::bad_alloc();
    if (!connected_ || captures_.empty())
        return false;
    if (emptyPolls_ > 0) {
        --emptyPolls_;
        return false;
    }
    const std::string capture = captures_.front();
    captures_.pop_front();
    std::memcpy(buffer, capture.data(), std::min<std::size_t>(capture.size(), 10240));
    return true;
}

void ScriptedUrc::throwOnNextPoll() {
    std::lock_guard lock(mutex_);
    throwOnPoll_ = true;
}

bool ScriptedUrc::RBasicInfo(char* buffer) {
    std::lock_guard lock(mutex_);
    record("RBasicInfo", {});
    if (!connected_)
        return false;
    std::string text = identity_;
    if (!identityScripted_)
        for (int i = 0; i < 15; ++i)
            text += device::byteText(memory[0xB000 + i]);
    if (text.empty())
        return false;
    std::memcpy(buffer, text.data(), std::min<std::size_t>(text.size(), 1023));
    return true;
}

bool ScriptedUrc::WCodeTypeData(const char* data) {
    std::lock_guard lock(mutex_);
    record("WCodeTypeData", {data ? data : ""});
    return connected_;
}

void ScriptedUrc::setBytes(int address, const std::vector<uint8_t>& values) {
    std::lock_guard lock(mutex_);
    for (std::size_t i = 0; i < values.size() && address + i < memory.size(); ++i)
        memory[address + i] = values[i];
}

std::vector<uint8_t> ScriptedUrc::bytes(int address, int count) const {
    std::lock_guard lock(mutex_);
    std::vector<uint8_t> out;
    for (int i = 0; i < count && address + i < static_cast<int>(memory.size()); ++i)
        out.push_back(memory[address + i]);
    return out;
}

void ScriptedUrc::setVersionText(std::string text) {
    std::lock_guard lock(mutex_);
    version_ = std::move(text);
}
void ScriptedUrc::setConnected(bool connected) {
    std::lock_guard lock(mutex_);
    connected_ = connected;
}
void ScriptedUrc::scriptLinkStates(std::vector<bool> states) {
    std::lock_guard lock(mutex_);
    linkScript_.assign(states.begin(), states.end());
}
void ScriptedUrc::failReadsAt(int address) {
    std::lock_guard lock(mutex_);
    failingReads_.push_back(address);
}
void ScriptedUrc::failNextWrites(int count) {
    std::lock_guard lock(mutex_);
    writesToFail_ = count;
}
void ScriptedUrc::failWritesAt(int address) {
    std::lock_guard lock(mutex_);
    failingWrites_.push_back(address);
}
void ScriptedUrc::setCaptureModeResult(bool ok) {
    std::lock_guard lock(mutex_);
    captureModeOk_ = ok;
}
void ScriptedUrc::queueCapture(std::string captureHex) {
    std::lock_guard lock(mutex_);
    captures_.push_back(std::move(captureHex));
}
void ScriptedUrc::setEmptyPollsBeforeCapture(int polls) {
    std::lock_guard lock(mutex_);
    emptyPolls_ = polls;
}
void ScriptedUrc::setIdentityText(std::string text) {
    std::lock_guard lock(mutex_);
    identity_ = std::move(text);
    identityScripted_ = true;
}
std::string ScriptedUrc::selector() const {
    std::lock_guard lock(mutex_);
    return device::byteText(memory[0xB044]);
}

std::vector<DeviceCall> ScriptedUrc::calls() const {
    std::lock_guard lock(mutex_);
    return calls_;
}

std::vector<DeviceCall> ScriptedUrc::callsOf(const std::string& function) const {
    std::lock_guard lock(mutex_);
    std::vector<DeviceCall> out;
    for (const auto& call : calls_)
        if (call.function == function)
            out.push_back(call);
    return out;
}

void ScriptedUrc::clearCalls() {
    std::lock_guard lock(mutex_);
    calls_.clear();
}

} // namespace testsupport
