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

// The protocols recognised and stored compactly as built-in forms.
enum class Protocol { Nec, NecExtended, Rc5, Sirc12, Sirc15, Sirc20 };

inline constexpr Protocol kAllProtocols[] = {Protocol::Nec,    Protocol::NecExtended,
                                             Protocol::Rc5,    Protocol::Sirc12,
                                             Protocol::Sirc15, Protocol::Sirc20};

struct Decoded {
    Protocol protocol = Protocol::Nec;
    uint32_t device = 0;
    uint32_t command = 0;
    bool operator==(const Decoded&) const = default;
};

// Command-line names: nec, necx, rc5, sirc12, sirc15, sirc20.
std::string_view protocolName(Protocol protocol);
std::optional<Protocol> protocolFromName(std::string_view name);
// Nominal carrier of a protocol, in Hz.
int protocolCarrierHz(Protocol protocol);
// Largest device and command values a protocol can carry.
uint32_t maxDevice(Protocol protocol);
uint32_t maxCommand(Protocol protocol);

} // namespace irform
