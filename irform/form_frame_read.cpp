// Reading one frame of a form. Every duration is compared with its nominal
// value within slackFor(), after the receiver's delay estimated so far is
// taken off.
#include "irform/form_frame_read.h"

#include <algorithm>
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

namespace {

// The symbol nearest to a pair of durations and, when another also lies
// within slack, the next nearest with what it costs more.
struct SymbolChoice {
    std::size_t best = 0;
    Score bestScore;
    std::optional<std::size_t> second;
    double secondExtra = 0;
};

// Whether the durations from `at` on read as symbol i (its first pair, then
// its tail if it has one), all but its last space when `markOnly`.
bool readsAsSymbol(const FormDefinition& form, const std::vector<uint32_t>& d, std::size_t at,
                   std::size_t i, bool markOnly, Score& trial) {
    const Pair symbol = form.symbolFrame.symbols[i];
    const Pair tail = symbolTail(form.symbolFrame, i);
    const uint32_t nominal[] = {symbol.first, symbol.second, tail.first, tail.second};
    const std::size_t count = symbolLength(form.symbolFrame, i) - (markOnly ? 1 : 0);
    return readFixed(d, at, std::span<const uint32_t>(nominal, count), trial);
}

std::optional<SymbolChoice> chooseSymbol(const FormDefinition& form, const std::vector<uint32_t>& d,
                                         std::size_t at, const Score& score, bool markOnly) {
    std::optional<SymbolChoice> choice;
    double secondSum = 0;
    for (std::size_t i = 0; i < form.symbolFrame.symbols.size(); ++i) {
        Score trial;
        trial.shift = score.shift;
        if (!readsAsSymbol(form, d, at, i, markOnly, trial))
            continue;
        if (!choice) {
            choice = SymbolChoice{i, trial, std::nullopt, 0};
        } else if (trial.sum < choice->bestScore.sum) {
            choice->second = choice->best;
            secondSum = choice->bestScore.sum;
            choice->best = i;
            choice->bestScore = trial;
        } else if (!choice->second || trial.sum < secondSum) {
            choice->second = i;
            secondSum = trial.sum;
        }
    }
    if (choice && choice->second)
        choice->secondExtra = secondSum - choice->bestScore.sum;
    return choice;
}

// A runner-up this much dearer than the nearest is no close call (a
// receiver's 3 % on a space up to 2.8 ms makes at most 0.24): its symbol was
// not sent.
constexpr double kCloseCallExtra = 0.25;

bool closeCall(const FormDefinition& form, const SymbolChoice& choice) {
    return choice.second && choice.secondExtra < kCloseCallExtra &&
           symbolLength(form.symbolFrame, *choice.second) ==
               symbolLength(form.symbolFrame, choice.best);
}

void take(Score& score, const Score& symbol) {
    score.sum += symbol.sum;
    score.count += symbol.count;
    score.markExcess += symbol.markExcess;
    score.marks += symbol.marks;
    score.updateShift();
}

} // namespace

std::optional<std::size_t> nearestSymbol(const FormDefinition& form, const std::vector<uint32_t>& d,
                                         std::size_t at, Score& score, bool markOnly) {
    const auto choice = chooseSymbol(form, d, at, score, markOnly);
    if (!choice)
        return std::nullopt;
    take(score, choice->bestScore);
    return choice->best;
}

namespace {

// The payload bits of the symbol sent `index` bits into the frame.
uint64_t symbolBitsAt(const FormDefinition& form, int index, std::size_t symbol) {
    const int width = symbolBits(form);
    uint64_t payload = 0;
    for (int k = 0; k < width; ++k)
        putBit(form, payload, index + k, (symbol >> (width - 1 - k)) & 1);
    return payload;
}

bool layoutHolds(const FormDefinition& form, uint64_t payload) {
    const auto fields = form.unpack(payload);
    return fields && fields->device <= form.maxDevice && fields->command <= form.maxCommand;
}

// A symbol the layout's checks may take instead of the nearest: the bits
// that change and what it costs more.
struct Alternative {
    uint64_t flip = 0;
    double extra = 0;
};

// The payloads that keep the layout's checks when up to the row's
// repairableSymbols symbols are read as their runner-up, cheapest first (at
// most kMaxCandidates). A symbol table of fine steps (XMP's 136 us on spaces
// up to 2.8 ms) lets a receiver's few percent of jitter carry a long space
// past half a step; the checks tell which close calls were wrong, and the
// frames after the first tell apart candidates that all pass them.
// Adds the payloads `changes` more runner-ups (from alternative `from` on)
// make of `payload` that pass the checks.
void addCandidates(const FormDefinition& form, uint64_t payload, double extra,
                   const std::vector<Alternative>& alternatives, std::size_t from, int changes,
                   std::vector<Candidate>& found) {
    for (std::size_t i = from; i < alternatives.size(); ++i) {
        const uint64_t changed = payload ^ alternatives[i].flip;
        const double cost = extra + alternatives[i].extra;
        if (changes == 1) {
            if (layoutHolds(form, changed))
                found.push_back({changed, cost});
        } else {
            addCandidates(form, changed, cost, alternatives, i + 1, changes - 1, found);
        }
    }
}

std::vector<Candidate> candidatesFor(const FormDefinition& form, uint64_t payload,
                                     std::vector<Alternative> alternatives) {
    // The closest calls only, so that a frame costs a few dozen checks and
    // its repeats are read for a few candidates.
    constexpr std::size_t kMaxAlternatives = 6;
    constexpr std::size_t kMaxCandidates = 4;
    std::sort(alternatives.begin(), alternatives.end(),
              [](const Alternative& a, const Alternative& b) { return a.extra < b.extra; });
    if (alternatives.size() > kMaxAlternatives)
        alternatives.resize(kMaxAlternatives);
    std::vector<Candidate> found;
    if (layoutHolds(form, payload))
        found.push_back({payload, 0});
    // Up to two changes always (two close calls may cancel in a checksum);
    // more only when fewer found nothing.
    for (int changes = 1; changes <= form.repairableSymbols && (changes <= 2 || found.empty());
         ++changes)
        addCandidates(form, payload, 0, alternatives, 0, changes, found);
    std::sort(found.begin(), found.end(),
              [](const Candidate& a, const Candidate& b) { return a.extra < b.extra; });
    if (found.size() > kMaxCandidates)
        found.resize(kMaxCandidates);
    return found;
}

// checked: whether a form with repairable symbols keeps only payloads that
// pass its layout's checks.
std::optional<FrameRead> readSymbolFrame(const FormDefinition& form, const std::vector<uint32_t>& d,
                                         std::size_t start, bool first, Score& score,
                                         bool checked = true) {
    std::size_t at = start;
    if (!readFixed(d, at, first ? form.symbolFrame.leader : form.symbolFrame.repeatLeader, score))
        return std::nullopt;
    FrameRead frame;
    std::vector<Alternative> alternatives;
    const int width = symbolBits(form);
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
        const auto choice = chooseSymbol(form, d, at, score, markOnly);
        if (!choice)
            return std::nullopt;
        take(score, choice->bestScore);
        frame.payload |= symbolBitsAt(form, i, choice->best);
        if (form.repairableSymbols > 0 && closeCall(form, *choice))
            alternatives.push_back(
                {symbolBitsAt(form, i, choice->best) ^ symbolBitsAt(form, i, *choice->second),
                 choice->secondExtra});
        at += symbolLength(form.symbolFrame, choice->best);
    }
    if (form.symbolFrame.lastSpaceInGap)
        --at; // back to the gap that holds the last space
    if (!readFixed(d, at, form.symbolFrame.trailer, score) || !endsFrame(d, at))
        return std::nullopt;
    if (form.repairableSymbols > 0 && checked) {
        frame.candidates = candidatesFor(form, frame.payload, alternatives);
        if (frame.candidates.empty())
            return std::nullopt;
        frame.payload = frame.candidates.front().payload;
        score.sum += frame.candidates.front().extra;
    }
    frame.spaceInGapUs = spaceInGap(form, frame.payload);
    frame.end = at;
    return frame;
}

uint32_t nominalLength(const FormDefinition& form, uint64_t payload, bool first);

} // namespace

std::optional<FrameRead> readExpectedFrame(const FormDefinition& form,
                                           const std::vector<uint32_t>& d, std::size_t start,
                                           bool first, uint64_t expected, Score& score) {
    std::size_t at = start;
    if (!readFixed(d, at, first ? form.symbolFrame.leader : form.symbolFrame.repeatLeader, score))
        return std::nullopt;
    const int width = symbolBits(form);
    int runnersUp = 0;
    for (int i = 0; i < form.bits; i += width) {
        if (form.symbolFrame.separatorAfter != 0 && i == form.symbolFrame.separatorAfter) {
            const uint32_t separator[] = {form.symbolFrame.separator.first,
                                          form.symbolFrame.separator.second};
            if (!readFixed(d, at, separator, score))
                return std::nullopt;
        }
        const bool markOnly = form.symbolFrame.lastSpaceInGap && i + width >= form.bits;
        if (at + (markOnly ? 0 : 1) >= d.size())
            return std::nullopt;
        const auto choice = chooseSymbol(form, d, at, score, markOnly);
        if (!choice)
            return std::nullopt;
        take(score, choice->bestScore);
        const uint64_t want = expected & symbolBitsAt(form, i, (std::size_t{1} << width) - 1);
        if (symbolBitsAt(form, i, choice->best) != want) {
            if (!closeCall(form, *choice) || symbolBitsAt(form, i, *choice->second) != want ||
                ++runnersUp > form.repairableSymbols)
                return std::nullopt;
            score.sum += choice->secondExtra;
        }
        at += symbolLength(form.symbolFrame, choice->best);
    }
    if (form.symbolFrame.lastSpaceInGap)
        --at; // back to the gap that holds the last space
    if (!readFixed(d, at, form.symbolFrame.trailer, score) || !endsFrame(d, at))
        return std::nullopt;
    FrameRead frame;
    frame.payload = expected;
    frame.end = at;
    frame.lengthUs = nominalLength(form, expected, first);
    frame.spaceInGapUs = spaceInGap(form, expected);
    return frame;
}

namespace {

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

} // namespace

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
    if (frame) {
        frame->lengthUs = nominalLength(form, frame->payload, first);
    }
    return frame;
}
} // namespace irform::detail
