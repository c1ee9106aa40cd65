// RC5: 36 kHz, 14 bits of 1778 us, Manchester coded: a 1 is a space half then a
// mark half, a 0 a mark half then a space half (889 us each). The bits, most
// significant first: start bit 1, field bit (inverse of command bit 6),
// toggle, 5 address bits, 6 command bits. Frames start 113.778 ms apart.
#include "platform/irform/protocol_codecs.h"
#include "platform/irform/protocols.h"

namespace irform::detail {
namespace {

constexpr uint32_t kHalf = 889;
constexpr uint32_t kFramePeriod = 113778;
constexpr int kBits = 14;
constexpr int kFrames = 2;

// The 28 half-bit levels of a frame, true = mark.
std::vector<bool> frameHalves(uint32_t address, uint32_t command) {
    std::vector<bool> bits = {true, ((command >> 6) & 1) == 0, false};
    for (int i = 4; i >= 0; --i)
        bits.push_back((address >> i) & 1);
    for (int i = 5; i >= 0; --i)
        bits.push_back((command >> i) & 1);
    std::vector<bool> halves;
    for (bool bit : bits) {
        halves.push_back(!bit);
        halves.push_back(bit);
    }
    return halves;
}

// Durations of a frame: runs of equal halves, the leading space dropped (the
// signal starts with a mark) and a trailing space left to the gap.
std::vector<uint32_t> frameRuns(const std::vector<bool>& halves) {
    std::vector<uint32_t> runs;
    bool level = true;
    for (std::size_t i = 1; i < halves.size(); ++i) {
        if (halves[i] == level && !runs.empty()) {
            runs.back() += kHalf;
        } else if (halves[i]) {
            runs.push_back(kHalf);
            level = true;
        } else {
            runs.push_back(kHalf);
            level = false;
        }
    }
    if (!level)
        runs.pop_back();
    return runs;
}

} // namespace

Signal encodeRc5(uint32_t address, uint32_t command) {
    Signal s;
    s.carrierHz = 36000;
    const std::vector<uint32_t> runs = frameRuns(frameHalves(address, command));
    uint32_t frameLength = 0;
    for (uint32_t r : runs)
        frameLength += r;
    for (int f = 0; f < kFrames; ++f) {
        s.durations.insert(s.durations.end(), runs.begin(), runs.end());
        s.durations.push_back(kFramePeriod - frameLength);
    }
    return s;
}

std::optional<Decoded> decodeRc5(const std::vector<uint32_t>& d) {
    // The start bit's first half is a space that no capture can see.
    std::vector<bool> halves = {false};
    for (std::size_t i = 0; i < d.size(); ++i) {
        const bool mark = i % 2 == 0;
        if (!mark && frameEndsAt(d, i))
            break;
        int count = 0;
        if (withinTolerance(d[i], kHalf))
            count = 1;
        else if (withinTolerance(d[i], 2 * kHalf))
            count = 2;
        else
            return std::nullopt;
        halves.insert(halves.end(), count, mark);
        if (halves.size() > 2 * kBits)
            return std::nullopt;
    }
    if (halves.size() == 2 * kBits - 1)
        halves.push_back(false);
    if (halves.size() != 2 * kBits)
        return std::nullopt;
    uint32_t bits = 0;
    for (int b = 0; b < kBits; ++b) {
        const bool first = halves[2 * b];
        const bool second = halves[2 * b + 1];
        if (first == second)
            return std::nullopt;
        bits = (bits << 1) | (second ? 1 : 0);
    }
    if (((bits >> 13) & 1) == 0)
        return std::nullopt;
    const uint32_t field = (bits >> 12) & 1;
    const uint32_t address = (bits >> 6) & 0x1F;
    const uint32_t command = (bits & 0x3F) | ((field ^ 1) << 6);
    return Decoded{Protocol::Rc5, address, command};
}

} // namespace irform::detail
