#pragma once
// The individual protocol codecs behind encode() and decode(). Each decoder
// reads the signal's first frame only and gives nullopt when it does not fit.
#include "platform/irform/signal.h"

#include <optional>

namespace irform::detail {

Signal encodeNec(uint32_t low, uint32_t high, uint32_t command);
std::optional<Decoded> decodeNec(const std::vector<uint32_t>& d);

Signal encodeRc5(uint32_t address, uint32_t command);
std::optional<Decoded> decodeRc5(const std::vector<uint32_t>& d);

Signal encodeSirc(int bits, uint32_t device, uint32_t command);
std::optional<Decoded> decodeSirc(const std::vector<uint32_t>& d);

// A frame ends where the signal ends or a long space follows.
bool frameEndsAt(const std::vector<uint32_t>& d, std::size_t index);

} // namespace irform::detail
