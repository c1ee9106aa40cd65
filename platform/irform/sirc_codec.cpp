// SIRC: 40 kHz, a 2400 us leader mark, then per bit a 600 us space and a mark
// of 1200 us (1) or 600 us (0), least significant bit first: 7 command bits,
// then the device bits (5, 8 or 13 for the 12, 15 and 20 bit forms). A press
// sends the frame three times, frames starting 45 ms apart.
#include "platform/irform/protocol_codecs.h"
#include "platform/irform/protocols.h"

namespace irform::detail {
namespace {

constexpr uint32_t kLeader = 2400;
constexpr uint32_t kSpace = 600;
constexpr uint32_t kZero = 600;
constexpr uint32_t kOne = 1200;
constexpr uint32_t kFramePeriod = 45000;
constexpr int kFrames = 3;
constexpr int kCommandBits = 7;

Protocol protocolFor(int bits) {
    return bits == 12 ? Protocol::Sirc12 : bits == 15 ? Protocol::Sirc15 : Protocol::Sirc20;
}

} // namespace

Signal encodeSirc(int bits, uint32_t device, uint32_t command) {
    Signal s;
    s.carrierHz = 40000;
    const uint32_t frame = command | (device << kCommandBits);
    std::vector<uint32_t> one = {kLeader};
    uint32_t length = kLeader;
    for (int b = 0; b < bits; ++b) {
        const uint32_t mark = (frame >> b) & 1 ? kOne : kZero;
        one.push_back(kSpace);
        one.push_back(mark);
        length += kSpace + mark;
    }
    one.push_back(kFramePeriod - length);
    for (int f = 0; f < kFrames; ++f)
        s.durations.insert(s.durations.end(), one.begin(), one.end());
    return s;
}

std::optional<Decoded> decodeSirc(const std::vector<uint32_t>& d) {
    if (d.empty() || !withinTolerance(d[0], kLeader))
        return std::nullopt;
    uint32_t frame = 0;
    int bits = 0;
    std::size_t i = 1;
    while (!frameEndsAt(d, i)) {
        if (bits == 20 || i + 1 >= d.size() || !withinTolerance(d[i], kSpace))
            return std::nullopt;
        const uint32_t mark = d[i + 1];
        if (withinTolerance(mark, kOne))
            frame |= 1u << bits;
        else if (!withinTolerance(mark, kZero))
            return std::nullopt;
        ++bits;
        i += 2;
    }
    if (bits != 12 && bits != 15 && bits != 20)
        return std::nullopt;
    return Decoded{protocolFor(bits), frame >> kCommandBits, frame & 0x7F};
}

} // namespace irform::detail
