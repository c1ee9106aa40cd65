// Rendering a press from the form table: the nominal durations a remote sends.
#include "irform/form_definition.h"

#include <numeric>

namespace irform::detail {
namespace {

// The payload's bits in the order they are sent.
std::vector<bool> sentBits(const FormDefinition& form, uint64_t payload) {
    std::vector<bool> bits(static_cast<std::size_t>(form.bits));
    for (int i = 0; i < form.bits; ++i)
        bits[static_cast<std::size_t>(i)] =
            (payload >> (form.msbFirst ? form.bits - 1 - i : i)) & 1;
    return bits;
}

void appendSymbols(const FormDefinition& form, uint64_t payload, std::vector<uint32_t>& d) {
    const std::vector<bool> bits = sentBits(form, payload);
    const int width = symbolBits(form);
    for (int i = 0; i < form.bits; i += width) {
        if (form.symbolFrame.separatorAfter != 0 && i == form.symbolFrame.separatorAfter) {
            d.push_back(form.symbolFrame.separator.first);
            d.push_back(form.symbolFrame.separator.second);
        }
        // Symbols of several bits: the first bit sent is the symbol's high bit.
        std::size_t symbol = 0;
        for (int k = 0; k < width; ++k)
            symbol = symbol << 1 | bits[static_cast<std::size_t>(i + k)];
        d.push_back(form.symbolFrame.symbols[symbol].first);
        d.push_back(form.symbolFrame.symbols[symbol].second);
        if (const Pair tail = symbolTail(form.symbolFrame, symbol); tail.first != 0) {
            d.push_back(tail.first);
            d.push_back(tail.second);
        }
    }
}

// Half-bit slots of a biphase frame, true = mark.
std::vector<bool> biphaseSlots(const FormDefinition& form, uint64_t payload) {
    const std::vector<bool> bits = sentBits(form, payload);
    std::vector<bool> slots;
    std::size_t next = 0;
    for (char c : form.biphaseFrame.pattern) {
        if (c == '+' || c == '-') {
            slots.push_back(c == '+');
            continue;
        }
        const bool bit = bits[next++];
        const bool firstHalf = bit == form.biphaseFrame.oneIsMarkFirst;
        const int width = c == 'B' ? 2 : 1;
        slots.insert(slots.end(), width, firstHalf);
        slots.insert(slots.end(), width, !firstHalf);
    }
    return slots;
}

// Runs of equal slots; the signal starts with a mark and the final space
// belongs to the gap.
std::vector<uint32_t> slotRuns(const std::vector<bool>& slots, uint32_t unit) {
    std::vector<uint32_t> runs;
    std::size_t i = 0;
    while (i < slots.size() && !slots[i])
        ++i;
    bool level = true;
    for (; i < slots.size(); ++i) {
        if (slots[i] != level || runs.empty()) {
            if (!runs.empty())
                level = slots[i];
            runs.push_back(0);
        }
        runs.back() += unit;
    }
    if (!runs.empty() && runs.size() % 2 == 0)
        runs.pop_back();
    return runs;
}

} // namespace

std::vector<uint32_t> frameDurations(const FormDefinition& form, uint64_t payload, bool first) {
    if (form.shape == Shape::Biphase)
        return slotRuns(biphaseSlots(form, payload), form.biphaseFrame.unit);
    const auto leader = first ? form.symbolFrame.leader : form.symbolFrame.repeatLeader;
    std::vector<uint32_t> d(leader.begin(), leader.end());
    appendSymbols(form, payload, d);
    if (form.symbolFrame.lastSpaceInGap)
        d.pop_back();
    d.insert(d.end(), form.symbolFrame.trailer.begin(), form.symbolFrame.trailer.end());
    return d;
}

std::size_t sentSymbol(const FormDefinition& form, uint64_t payload, int firstBit) {
    std::size_t symbol = 0;
    for (int k = 0; k < symbolBits(form); ++k) {
        const int bit = firstBit + k;
        symbol = symbol << 1 | ((payload >> (form.msbFirst ? form.bits - 1 - bit : bit)) & 1);
    }
    return symbol;
}

uint32_t spaceInGap(const FormDefinition& form, uint64_t payload) {
    if (form.shape != Shape::Symbols || !form.symbolFrame.lastSpaceInGap)
        return 0;
    const std::size_t last = sentSymbol(form, payload, form.bits - symbolBits(form));
    const Pair tail = symbolTail(form.symbolFrame, last);
    return tail.first != 0 ? tail.second : form.symbolFrame.symbols[last].second;
}

uint32_t gapAfter(const FormDefinition& form, uint32_t frameLengthUs, bool ditto) {
    constexpr uint32_t kShortestGap = 10000;
    if (ditto && form.dittoGapUs != 0)
        return form.dittoGapUs;
    if (form.periodUs == 0)
        return form.gapUs;
    return form.periodUs > frameLengthUs + kShortestGap ? form.periodUs - frameLengthUs
                                                        : kShortestGap;
}

Signal renderPress(const FormDefinition& form, uint64_t payload) {
    return renderPress(form, payload, form.framesPerPress);
}

Signal renderPress(const FormDefinition& form, uint64_t payload, int frames) {
    Signal signal;
    signal.carrierHz = form.carrierHz;
    for (int n = 0; n < frames; ++n) {
        std::vector<uint32_t> frame;
        const bool ditto = n > 0 && form.repeat == Repeat::Ditto;
        const uint64_t sent = n > 0 && form.laterFrame ? form.laterFrame(payload, n) : payload;
        if (ditto)
            frame.assign(form.ditto.begin(), form.ditto.end());
        else
            frame = frameDurations(form, sent, n == 0);
        const uint32_t length = std::accumulate(frame.begin(), frame.end(), 0u);
        signal.durations.insert(signal.durations.end(), frame.begin(), frame.end());
        signal.durations.push_back(gapAfter(form, length, ditto) +
                                   (ditto ? 0 : spaceInGap(form, sent)));
    }
    return signal;
}

} // namespace irform::detail
