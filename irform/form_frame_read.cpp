// Reading one frame of a form. Every duration is compared with its nominal
// value within slackFor(), after the receiver's delay estimated so far is
// taken off.
#include "irform/form_frame_read.h"

#include <numeric>

namespace irform::detail {
namespace {

// A biphase run longer than this many half bits belongs to no form.
constexpr uint32_t kMaxRunSlots = 8;

void putBit(const FormDefinition& form, uint64_t& payload, int index, bool bit) {
    if (!bit)
        return;
    payload |= uint64_t{1} << (form.msbFirst ? form.bits - 1 - index : index);
}

} // namespace

uint32_t slackFor(uint32_t nominal) {
    return std::max<uint32_t>(nominal / 4, 150);
}

bool endsFrame(const std::vector<uint32_t>& d, std::size_t index, uint32_t shortestGap) {
    return index >= d.size() || d[index] >= shortestGap;
}

bool readFixed(const std::vector<uint32_t>& d, std::size_t& at, std::span<const uint32_t> nominal,
               Score& score) {
    for (uint32_t n : nominal) {
        if (at >= d.size() || !score.add(d[at], n, at))
            return false;
        ++at;
    }
    return true;
}

std::optional<std::size_t> nearestSymbol(const FormDefinition& form, const std::vector<uint32_t>& d,
                                         std::size_t at, Score& score, bool markOnly) {
    std::optional<std::size_t> best;
    Score bestScore;
    for (std::size_t i = 0; i < form.symbolFrame.symbols.size(); ++i) {
        Score trial;
        trial.shift = score.shift;
        if (!trial.add(d[at], form.symbolFrame.symbols[i].first, at) ||
            (!markOnly && !trial.add(d[at + 1], form.symbolFrame.symbols[i].second, at + 1)))
            continue;
        if (!best || trial.sum < bestScore.sum) {
            best = i;
            bestScore = trial;
        }
    }
    if (best) {
        score.sum += bestScore.sum;
        score.count += bestScore.count;
        score.markExcess += bestScore.markExcess;
        score.marks += bestScore.marks;
        score.updateShift();
    }
    return best;
}

namespace {

std::optional<FrameRead> readSymbolFrame(const FormDefinition& form, const std::vector<uint32_t>& d,
                                         std::size_t start, bool first, Score& score) {
    std::size_t at = start;
    if (!readFixed(d, at, first ? form.symbolFrame.leader : form.symbolFrame.repeatLeader, score))
        return std::nullopt;
    FrameRead frame;
    const int width = form.symbolFrame.symbols.size() == 4 ? 2 : 1;
    for (int i = 0; i < form.bits; i += width) {
        if (form.symbolFrame.separatorAfter != 0 && i == form.symbolFrame.separatorAfter) {
            const uint32_t separator[] = {form.symbolFrame.separator.first,
                                          form.symbolFrame.separator.second};
            if (!readFixed(d, at, separator, score))
                return std::nullopt;
        }
        // The last symbol's space may run into the gap: its mark tells it.
        const bool markOnly = form.symbolFrame.lastSpaceInGap && i + width >= form.bits;
        if (at + (markOnly ? 0 : 1) >= d.size())
            return std::nullopt;
        const auto symbol = nearestSymbol(form, d, at, score, markOnly);
        if (!symbol)
            return std::nullopt;
        if (markOnly)
            frame.spaceInGapUs = form.symbolFrame.symbols[*symbol].second;
        if (width == 2) {
            putBit(form, frame.payload, i, (*symbol >> 1) & 1);
            putBit(form, frame.payload, i + 1, *symbol & 1);
        } else {
            putBit(form, frame.payload, i, *symbol & 1);
        }
        at += 2;
    }
    if (form.symbolFrame.lastSpaceInGap)
        --at; // back to the gap that holds the last space
    if (!readFixed(d, at, form.symbolFrame.trailer, score) || !endsFrame(d, at))
        return std::nullopt;
    frame.end = at;
    return frame;
}

// The half-bit slots of a biphase frame as the signal shows them.
std::optional<std::vector<bool>> readSlots(const FormDefinition& form,
                                           const std::vector<uint32_t>& d, std::size_t start,
                                           std::size_t& end, Score& score) {
    std::vector<bool> slots;
    // A pattern that opens with a bit starts with an invisible space half.
    if (form.biphaseFrame.pattern.front() == 'b' && !form.biphaseFrame.oneIsMarkFirst)
        slots.push_back(false);
    std::size_t at = start;
    const std::size_t limit = form.biphaseFrame.pattern.size() * 4;
    for (; at < d.size(); ++at) {
        const bool mark = (at - start) % 2 == 0;
        // A silence inside the pattern may pass kFrameGapUs (RC5x).
        if (!mark && endsFrame(d, at, std::max(kFrameGapUs, kMaxRunSlots * form.biphaseFrame.unit)))
            break;
        const uint32_t k = std::clamp<uint32_t>(
            (score.corrected(d[at], at) + form.biphaseFrame.unit / 2) / form.biphaseFrame.unit, 1,
            kMaxRunSlots);
        if (!score.add(d[at], k * form.biphaseFrame.unit, at))
            return std::nullopt;
        slots.insert(slots.end(), k, mark);
        if (slots.size() > limit)
            return std::nullopt;
    }
    end = at;
    return slots;
}

std::optional<FrameRead> readBiphaseFrame(const FormDefinition& form,
                                          const std::vector<uint32_t>& d, std::size_t start,
                                          Score& score) {
    FrameRead frame;
    auto slots = readSlots(form, d, start, frame.end, score);
    if (!slots)
        return std::nullopt;
    std::size_t at = 0;
    int bit = 0;
    auto slot = [&](std::size_t i) { return i < slots->size() && (*slots)[i]; };
    for (char c : form.biphaseFrame.pattern) {
        if (c == '+' || c == '-') {
            if (slot(at++) != (c == '+'))
                return std::nullopt;
            continue;
        }
        const std::size_t width = c == 'B' ? 2 : 1;
        for (std::size_t k = 1; k < width; ++k)
            if (slot(at + k) != slot(at) || slot(at + width + k) != slot(at + width))
                return std::nullopt;
        if (slot(at) == slot(at + width))
            return std::nullopt;
        putBit(form, frame.payload, bit++, slot(at) == form.biphaseFrame.oneIsMarkFirst);
        at += 2 * width;
    }
    // Slots past the pattern, or a pattern ending in a mark that never came.
    if (slots->size() > at || (slots->size() < at && slot(at - 1)))
        return std::nullopt;
    return frame;
}

uint32_t sum(std::span<const uint32_t> values) {
    return std::accumulate(values.begin(), values.end(), 0u);
}

// The length of the frame frameDurations() gives, without building it.
uint32_t nominalLength(const FormDefinition& form, uint64_t payload, bool first) {
    if (form.shape == Shape::Biphase) {
        const auto nominal = frameDurations(form, payload, first);
        return sum(nominal);
    }
    uint32_t length = sum(first ? form.symbolFrame.leader : form.symbolFrame.repeatLeader) +
                      sum(form.symbolFrame.trailer);
    const int width = form.symbolFrame.symbols.size() == 4 ? 2 : 1;
    for (int i = 0; i < form.bits; i += width) {
        if (form.symbolFrame.separatorAfter != 0 && i == form.symbolFrame.separatorAfter)
            length += form.symbolFrame.separator.first + form.symbolFrame.separator.second;
        const std::size_t symbol = sentSymbol(form, payload, i);
        length += form.symbolFrame.symbols[symbol].first + form.symbolFrame.symbols[symbol].second;
    }
    return length - spaceInGap(form, payload);
}

} // namespace

std::optional<FrameRead> readFrame(const FormDefinition& form, const std::vector<uint32_t>& d,
                                   std::size_t start, bool first, Score& score) {
    auto frame = form.shape == Shape::Biphase ? readBiphaseFrame(form, d, start, score)
                                              : readSymbolFrame(form, d, start, first, score);
    if (frame) {
        frame->lengthUs = nominalLength(form, frame->payload, first);
    }
    return frame;
}
} // namespace irform::detail
