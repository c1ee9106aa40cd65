// Reading one frame of a form. Every duration is compared with its nominal
// value within slackFor(), after the receiver's delay estimated so far is
// taken off.
#include "irform/form_frame_read.h"

#include <algorithm>

namespace irform::detail {
namespace {

// A biphase run longer than this many half bits belongs to no form.
constexpr uint32_t kMaxRunSlots = 8;

// The half-bit slots a biphase pattern takes ('b' two, 'B' four; a leading
// invisible space half is the first of its bit's two).
std::size_t patternSlots(std::string_view pattern) {
    std::size_t slots = 0;
    for (char c : pattern)
        slots += c == 'B' ? 4 : c == 'b' ? 2 : 1;
    return slots;
}

// The fixed slots before the pattern's first bit.
std::size_t fixedOpeningSlots(std::string_view pattern) {
    return std::min(pattern.find_first_of("bB"), pattern.size());
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
    const std::size_t limit = patternSlots(form.biphaseFrame.pattern);
    const std::size_t fixedOpening = fixedOpeningSlots(form.biphaseFrame.pattern);
    for (; at < d.size(); ++at) {
        const bool mark = (at - start) % 2 == 0;
        // A silence inside the pattern may pass kFrameGapUs (RC5x); the
        // signal's last silence closes the frame however short it is.
        if (!mark &&
            (at + 1 == d.size() ||
             endsFrame(d, at, std::max(kFrameGapUs, kMaxRunSlots * form.biphaseFrame.unit))))
            break;
        const uint32_t k = std::clamp<uint32_t>(
            (score.corrected(d[at], at) + form.biphaseFrame.unit / 2) / form.biphaseFrame.unit, 1,
            kMaxRunSlots);
        if (!score.add(d[at], k * form.biphaseFrame.unit, at))
            return std::nullopt;
        const std::size_t from = slots.size();
        slots.insert(slots.end(), k, mark);
        if (slots.size() > limit)
            return std::nullopt;
        // The opening's fixed slots, checked as they come: most signals are
        // no biphase frame and fail at their first duration.
        for (std::size_t i = from; i < std::min(slots.size(), fixedOpening); ++i)
            if (slots[i] != (form.biphaseFrame.pattern[i] == '+'))
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

} // namespace

// The length of the frame frameDurations() gives, without building it.
uint32_t nominalLength(const FormDefinition& form, uint64_t payload, bool first) {
    if (form.shape == Shape::Biphase) {
        const auto nominal = frameDurations(form, payload, first);
        return durationSum(nominal);
    }
    uint32_t length = durationSum(first ? form.symbolFrame.leader : form.symbolFrame.repeatLeader) +
                      durationSum(form.symbolFrame.trailer);
    const int width = symbolBits(form);
    for (int i = 0; i < form.bits; i += width) {
        if (form.symbolFrame.separatorAfter != 0 && i == form.symbolFrame.separatorAfter)
            length += form.symbolFrame.separator.first + form.symbolFrame.separator.second;
        const std::size_t symbol = sentSymbol(form, payload, i);
        const Pair tail = symbolTail(form.symbolFrame, symbol);
        length += form.symbolFrame.symbols[symbol].first + form.symbolFrame.symbols[symbol].second +
                  tail.first + tail.second;
    }
    return length - spaceInGap(form, payload);
}

// Symbols of several bits (steps of 136 to 170 us) are read with the
// receiver's delay that all the frame's short marks tell, from the first
// symbol on: the running estimate is still rough over the first few, where
// half a step is soon lost.
std::optional<FrameRead> readFineSymbolFrame(const FormDefinition& form,
                                             const std::vector<uint32_t>& d, std::size_t start,
                                             bool first, Score& score) {
    Score rough = score;
    if (!readSymbolFrame(form, d, start, first, rough, false))
        return std::nullopt;
    if (rough.marks == score.marks)
        return readSymbolFrame(form, d, start, first, score);
    Score fitted = score;
    fitted.shift = static_cast<int>((rough.markExcess - score.markExcess) /
                                    std::max(1, rough.marks - score.marks));
    fitted.adaptive = false;
    auto frame = readSymbolFrame(form, d, start, first, fitted);
    if (frame) {
        fitted.adaptive = score.adaptive;
        score = fitted;
    }
    return frame;
}

std::optional<FrameRead> readFrame(const FormDefinition& form, const std::vector<uint32_t>& d,
                                   std::size_t start, bool first, Score& score) {
    auto frame = form.shape == Shape::Biphase ? readBiphaseFrame(form, d, start, score)
                 : symbolBits(form) > 1       ? readFineSymbolFrame(form, d, start, first, score)
                                              : readSymbolFrame(form, d, start, first, score);
    // A symbol frame's reader sets its length as it reads it.
    if (frame && form.shape == Shape::Biphase)
        frame->lengthUs = nominalLength(form, frame->payload, first);
    return frame;
}
} // namespace irform::detail
