#include "platform/urcsim/remote_keys.h"

#include "platform/irform/capture_render.h"
#include "platform/irform/code_form.h"
#include "platform/irform/raw_example.h"

#include <array>

namespace urcsim {

namespace {

// clang-format off
constexpr std::array<RemoteKey, 12> kRemoteKeys = {{
    {"Power", "power", "nec",    0x04,   0x08},
    {"Vol +", "volup", "nec",    0x04,   0x02},
    {"Vol -", "voldown", "nec",  0x04,   0x03},
    {"Mute",  "mute",  "nec",    0x04,   0x09},
    {"Ch +",  "chup",  "rc5",    0x00,   0x20},
    {"Ch -",  "chdown", "rc5",   0x00,   0x21},
    {"1",     "digit1", "sirc12", 0x01,  0x00},
    {"2",     "digit2", "sirc12", 0x01,  0x01},
    {"3",     "digit3", "sirc12", 0x01,  0x02},
    {"OK",    "ok",    "necx",   0x7F01, 0x15},
    {"Guide", "guide", "sirc15", 0x97,   0x25},
    {"Input", "input", "raw",    617,    0},
}};
// clang-format on

bool isRaw(const RemoteKey& key) {
    return key.protocol == "raw";
}

} // namespace

std::span<const RemoteKey> remoteKeys() {
    return kRemoteKeys;
}

CaptureText remoteKeyCapture(const RemoteKey& key) {
    if (isRaw(key))
        return {irform::renderCapture(irform::rawExampleSignal(key.device)), ""};
    auto capture = irform::pressCapture(key.protocol, key.device, key.command);
    if (!capture)
        return {"", "the key " + std::string(key.label) + " has no code this URC understands"};
    return {*capture, ""};
}

std::string remoteKeySignal(const RemoteKey& key) {
    if (isRaw(key))
        return irform::describeSignal(irform::rawExampleSignal(key.device));
    const auto protocol = irform::protocolFromName(key.protocol);
    if (!protocol)
        return std::string(key.protocol);
    return irform::describeDecoded({*protocol, key.device, key.command});
}

} // namespace urcsim
