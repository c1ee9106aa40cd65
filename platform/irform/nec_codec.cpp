// NEC: 38 kHz, leader 9000 us mark and 4500 us space, 32 bits sent least
// significant bit first (device low byte, device high byte or the inverse of
// the device, command, inverse of the command), each a 560 us mark followed by
// a 560 us (0) or 1690 us (1) space, then a 560 us stop mark. A held key sends
// repeat codes (9000 mark, 2250 space, 560 mark); frames start 108 ms apart.
#include "platform/irform/protocol_codecs.h"
#include "platform/irform/protocols.h"

namespace irform::detail {
namespace {

constexpr uint32_t kLeaderMark = 9000;
constexpr uint32_t kLeaderSpace = 4500;
constexpr uint32_t kRepeatSpace = 2250;
constexpr uint32_t kBitMark = 560;
constexpr uint32_t kZeroSpace = 560;
constexpr uint32_t kOneSpace = 1690;
constexpr uint32_t kFramePeriod = 108000;

uint32_t sum(const std::vector<uint32_t>& d, std::size_t from) {
    uint32_t total = 0;
    for (std::size_t i = from; i < d.size(); ++i)
        total += d[i];
    return total;
}

} // namespace

Signal encodeNec(uint32_t low, uint32_t high, uint32_t command) {
    Signal s;
    s.carrierHz = 38000;
    auto& d = s.durations;
    d = {kLeaderMark, kLeaderSpace};
    const uint32_t frame = low | (high << 8) | (command << 16) | ((~command & 0xFF) << 24);
    for (int bit = 0; bit < 32; ++bit) {
        d.push_back(kBitMark);
        d.push_back((frame >> bit) & 1 ? kOneSpace : kZeroSpace);
    }
    d.push_back(kBitMark);
    d.push_back(kFramePeriod - sum(d, 0));
    const std::size_t repeatStart = d.size();
    d.insert(d.end(), {kLeaderMark, kRepeatSpace, kBitMark});
    d.push_back(kFramePeriod - sum(d, repeatStart));
    return s;
}

std::optional<Decoded> decodeNec(const std::vector<uint32_t>& d) {
    constexpr std::size_t kFrameElements = 2 + 64 + 1;
    if (d.size() < kFrameElements || !withinTolerance(d[0], kLeaderMark) ||
        !withinTolerance(d[1], kLeaderSpace))
        return std::nullopt;
    uint32_t frame = 0;
    for (int bit = 0; bit < 32; ++bit) {
        const uint32_t mark = d[2 + 2 * bit];
        const uint32_t space = d[3 + 2 * bit];
        if (!withinTolerance(mark, kBitMark))
            return std::nullopt;
        if (withinTolerance(space, kOneSpace))
            frame |= 1u << bit;
        else if (!withinTolerance(space, kZeroSpace))
            return std::nullopt;
    }
    if (!withinTolerance(d[kFrameElements - 1], kBitMark) || !frameEndsAt(d, kFrameElements))
        return std::nullopt;
    const uint32_t low = frame & 0xFF;
    const uint32_t high = (frame >> 8) & 0xFF;
    const uint32_t command = (frame >> 16) & 0xFF;
    if (((frame >> 24) & 0xFF) != (~command & 0xFF))
        return std::nullopt;
    if (high == (~low & 0xFF))
        return Decoded{Protocol::Nec, low, command};
    return Decoded{Protocol::NecExtended, low | (high << 8), command};
}

} // namespace irform::detail
