#pragma once
// An infrared signal as a remote sends it: a carrier and alternating mark
// (carrier on) and space (carrier off) durations in microseconds. Element 0 is
// always a mark; a signal meant to stand on its own ends with a long space.
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

namespace irform {

struct Signal {
    int carrierHz = 38000;
    std::vector<uint32_t> durations;
};

// The protocols recognised and stored compactly as built-in forms, in the
// order of their numbers in the URC's code-identifier table (1 up).
enum class Protocol {
    Nec,
    NecExtended,
    Rc5,
    Sirc12,
    Sirc15,
    Sirc20,
    Rc6,
    Jvc,
    Panasonic,
    Samsung32,
    Samsung36,
    Denon,
    Sharp,
    Rc5x,
    Rc6a32,
    Aiwa,
    Pioneer,
    Mitsubishi,
    Nokia32,
    Nrc17,
    Thomson,
    Dish,
    DirecTv,
    Bose,
    Apple,
    Rca,
    PanasonicOld,
    Nec2,
    Nec32,
    Jvc48,
    Lg,
    Lg2,
    Samsung48,
    GiCable,
    DenonK,
    Panasonic56,
    SharpDvd,
    MitsubishiK,
    Fujitsu,
    Konka,
    Symphony,
    Proton,
    TeacK,
    Jvc56,
    Fujitsu56,
    Metz19,
    Velleman,
    EliteScreens,
    Xmp,
    Nokia12,
    Nokia24,
    Recs80,
    Grundig16,
    Sony8,
    Samsung20,
    Rca38,
};

inline constexpr Protocol kAllProtocols[] = {
    Protocol::Nec,       Protocol::NecExtended, Protocol::Rc5,          Protocol::Sirc12,
    Protocol::Sirc15,    Protocol::Sirc20,      Protocol::Rc6,          Protocol::Jvc,
    Protocol::Panasonic, Protocol::Samsung32,   Protocol::Samsung36,    Protocol::Denon,
    Protocol::Sharp,     Protocol::Rc5x,        Protocol::Rc6a32,       Protocol::Aiwa,
    Protocol::Pioneer,   Protocol::Mitsubishi,  Protocol::Nokia32,      Protocol::Nrc17,
    Protocol::Thomson,   Protocol::Dish,        Protocol::DirecTv,      Protocol::Bose,
    Protocol::Apple,     Protocol::Rca,         Protocol::PanasonicOld, Protocol::Nec2,
    Protocol::Nec32,     Protocol::Jvc48,       Protocol::Lg,           Protocol::Lg2,
    Protocol::Samsung48, Protocol::GiCable,     Protocol::DenonK,       Protocol::Panasonic56,
    Protocol::SharpDvd,  Protocol::MitsubishiK, Protocol::Fujitsu,      Protocol::Konka,
    Protocol::Symphony,  Protocol::Proton,      Protocol::TeacK,        Protocol::Jvc56,
    Protocol::Fujitsu56, Protocol::Metz19,      Protocol::Velleman,     Protocol::EliteScreens,
    Protocol::Xmp,       Protocol::Nokia12,     Protocol::Nokia24,      Protocol::Recs80,
    Protocol::Grundig16, Protocol::Sony8,       Protocol::Samsung20,    Protocol::Rca38};

struct Decoded {
    Protocol protocol = Protocol::Nec;
    uint32_t device = 0;
    uint32_t command = 0;
    bool operator==(const Decoded&) const = default;
};

// Command-line names: nec, necx, rc5, sirc12, ... (see the form table).
std::string_view protocolName(Protocol protocol);
std::optional<Protocol> protocolFromName(std::string_view name);
// Nominal carrier of a protocol, in Hz.
int protocolCarrierHz(Protocol protocol);
// Largest device and command values a protocol can carry.
uint32_t maxDevice(Protocol protocol);
uint32_t maxCommand(Protocol protocol);

} // namespace irform
