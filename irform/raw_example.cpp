#include "irform/raw_example.h"

#include <random>

namespace irform {

Signal rawExampleSignal(uint32_t seed) {
    std::mt19937 random(seed);
    auto between = [&random](uint32_t low, uint32_t high) {
        return std::uniform_int_distribution<uint32_t>(low, high)(random);
    };
    Signal signal;
    signal.carrierHz = 38000;
    auto& d = signal.durations;
    const int frames = between(0, 1) ? 2 : 1;
    const int bits = static_cast<int>(between(16, 48));
    for (int frame = 0; frame < frames; ++frame) {
        d.push_back(between(3300, 3700));
        d.push_back(between(1600, 1900));
        for (int bit = 0; bit < bits; ++bit) {
            d.push_back(between(350, 600));
            d.push_back(between(0, 1) ? between(1100, 1500) : between(350, 600));
        }
        d.push_back(between(350, 600));
        d.push_back(frame + 1 < frames ? between(20000, 150000) : 200000);
    }
    return signal;
}

} // namespace irform
