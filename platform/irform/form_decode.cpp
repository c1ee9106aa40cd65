// Reading a signal as one form of the table. Every duration is compared with
// its nominal value within slackFor(); the mean of the normalised differences
// tells how well the form fits, so that the caller can pick the best form.
#include "platform/irform/form_spec.h"
#include "platform/irform/protocols.h"

#include <algorithm>
#include <cmath>
#include <numeric>

namespace irform::detail {
namespace {

// A whole frame repeated where the form repeats with dittos is accepted (some
// remotes do that) but raises the mean error by this much, so that a form
// that repeats whole frames (nec2) fits such a signal better.
constexpr double kForeignRepeatPenalty = 0.1;
constexpr uint32_t kShortMarkUs = 1200;
constexpr int kMarksForShift = 2;
// A biphase run longer than this many half bits belongs to no form.
constexpr uint32_t kMaxRunSlots = 8;

// The comparison of durations with their nominal values. A receiver
// lengthens marks and shortens spaces by its delay: `shift` takes the
// estimate of it off again, which the short marks read so far tell (long marks
// would bring more jitter than delay).
struct Score {
    double sum = 0;
    int count = 0;
    int shift = 0;
    bool adaptive = true; // whether the marks read move `shift`
    int64_t markExcess = 0;
    int marks = 0;

    // Element `index` of the signal: even indexes are marks.
    uint32_t corrected(uint32_t actual, std::size_t index) const {
        const int64_t value = index % 2 == 0 ? int64_t{actual} - shift : int64_t{actual} + shift;
        return static_cast<uint32_t>(std::max<int64_t>(value, 0));
    }
    bool add(uint32_t actual, uint32_t nominal, std::size_t index) {
        if (index % 2 == 0 && nominal <= kShortMarkUs) {
            markExcess += int64_t{actual} - nominal;
            ++marks;
        }
        actual = corrected(actual, index);
        const uint32_t slack = slackFor(nominal);
        const uint32_t off = actual > nominal ? actual - nominal : nominal - actual;
        if (off > slack)
            return false;
        sum += static_cast<double>(off) / slack;
        ++count;
        updateShift();
        return true;
    }
    // The estimate once a few marks tell it.
    void updateShift() {
        if (adaptive && marks >= kMarksForShift)
            shift = static_cast<int>(markExcess / marks);
    }
};

struct FrameRead {
    uint64_t payload = 0;
    std::size_t end = 0;   // index of the gap after the frame (or the size)
    uint32_t lengthUs = 0; // nominal: the gap after it is judged by the form's timing
};

bool endsFrame(const std::vector<uint32_t>& d, std::size_t index,
               uint32_t shortestGap = kFrameGapUs) {
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

void putBit(const FormSpec& spec, uint64_t& payload, int index, bool bit) {
    if (!bit)
        return;
    payload |= uint64_t{1} << (spec.msbFirst ? spec.bits - 1 - index : index);
}

// The symbol nearest to a pair of durations, if both lie within slack.
std::optional<std::size_t> nearestSymbol(const FormSpec& spec, const std::vector<uint32_t>& d,
                                         std::size_t at, Score& score) {
    std::optional<std::size_t> best;
    Score bestScore;
    for (std::size_t i = 0; i < spec.symbols.size(); ++i) {
        Score trial;
        trial.shift = score.shift;
        if (!trial.add(d[at], spec.symbols[i].first, at) ||
            !trial.add(d[at + 1], spec.symbols[i].second, at + 1))
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

std::optional<FrameRead> readSymbolFrame(const FormSpec& spec, const std::vector<uint32_t>& d,
                                         std::size_t start, bool first, Score& score) {
    std::size_t at = start;
    if (!readFixed(d, at, first ? spec.leader : spec.repeatLeader, score))
        return std::nullopt;
    FrameRead frame;
    const int width = spec.symbols.size() == 4 ? 2 : 1;
    for (int i = 0; i < spec.bits; i += width) {
        if (spec.separatorAfter != 0 && i == spec.separatorAfter) {
            const uint32_t separator[] = {spec.separator.first, spec.separator.second};
            if (!readFixed(d, at, separator, score))
                return std::nullopt;
        }
        if (at + 1 >= d.size())
            return std::nullopt;
        const auto symbol = nearestSymbol(spec, d, at, score);
        if (!symbol)
            return std::nullopt;
        if (width == 2) {
            putBit(spec, frame.payload, i, (*symbol >> 1) & 1);
            putBit(spec, frame.payload, i + 1, *symbol & 1);
        } else {
            putBit(spec, frame.payload, i, *symbol & 1);
        }
        at += 2;
    }
    if (!readFixed(d, at, spec.trailer, score) || !endsFrame(d, at))
        return std::nullopt;
    frame.end = at;
    return frame;
}

// The half-bit slots of a biphase frame as the signal shows them.
std::optional<std::vector<bool>> readSlots(const FormSpec& spec, const std::vector<uint32_t>& d,
                                           std::size_t start, std::size_t& end, Score& score) {
    std::vector<bool> slots;
    // A pattern that opens with a bit starts with an invisible space half.
    if (spec.pattern.front() == 'b' && !spec.oneIsMarkFirst)
        slots.push_back(false);
    std::size_t at = start;
    const std::size_t limit = spec.pattern.size() * 4;
    for (; at < d.size(); ++at) {
        const bool mark = (at - start) % 2 == 0;
        // A silence inside the pattern may pass kFrameGapUs (RC5x).
        if (!mark && endsFrame(d, at, std::max(kFrameGapUs, kMaxRunSlots * spec.unit)))
            break;
        const uint32_t k = std::clamp<uint32_t>(
            (score.corrected(d[at], at) + spec.unit / 2) / spec.unit, 1, kMaxRunSlots);
        if (!score.add(d[at], k * spec.unit, at))
            return std::nullopt;
        slots.insert(slots.end(), k, mark);
        if (slots.size() > limit)
            return std::nullopt;
    }
    end = at;
    return slots;
}

std::optional<FrameRead> readBiphaseFrame(const FormSpec& spec, const std::vector<uint32_t>& d,
                                          std::size_t start, Score& score) {
    FrameRead frame;
    auto slots = readSlots(spec, d, start, frame.end, score);
    if (!slots)
        return std::nullopt;
    std::size_t at = 0;
    int bit = 0;
    auto slot = [&](std::size_t i) { return i < slots->size() && (*slots)[i]; };
    for (char c : spec.pattern) {
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
        putBit(spec, frame.payload, bit++, slot(at) == spec.oneIsMarkFirst);
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
uint32_t nominalLength(const FormSpec& spec, uint64_t payload, bool first) {
    if (spec.shape == Shape::Biphase) {
        const auto nominal = frameDurations(spec, payload, first);
        return sum(nominal);
    }
    uint32_t length = sum(first ? spec.leader : spec.repeatLeader) + sum(spec.trailer);
    const int width = spec.symbols.size() == 4 ? 2 : 1;
    for (int i = 0; i < spec.bits; i += width) {
        if (spec.separatorAfter != 0 && i == spec.separatorAfter)
            length += spec.separator.first + spec.separator.second;
        std::size_t symbol = 0;
        for (int k = 0; k < width; ++k) {
            const int bit = i + k;
            symbol = symbol << 1 | ((payload >> (spec.msbFirst ? spec.bits - 1 - bit : bit)) & 1);
        }
        length += spec.symbols[symbol].first + spec.symbols[symbol].second;
    }
    return length;
}

std::optional<FrameRead> readFrame(const FormSpec& spec, const std::vector<uint32_t>& d,
                                   std::size_t start, bool first, Score& score) {
    auto frame = spec.shape == Shape::Biphase ? readBiphaseFrame(spec, d, start, score)
                                              : readSymbolFrame(spec, d, start, first, score);
    if (frame) {
        frame->lengthUs = nominalLength(spec, frame->payload, first);
    }
    return frame;
}

// A repeat frame cut off by the end of the signal: what there is of it (all
// but the final silence) matches the start of the nominal frame.
bool partialFrame(const std::vector<uint32_t>& d, std::size_t start,
                  const std::vector<uint32_t>& nominal, Score& score) {
    const std::size_t count = d.size() - 1 - start;
    if (count > nominal.size())
        return false;
    for (std::size_t i = 0; i < count; ++i)
        if (!score.add(d[start + i], nominal[i], start + i))
            return false;
    return true;
}

bool sameCode(const FormSpec& spec, uint64_t a, uint64_t b) {
    return ((a ^ b) & ~spec.toggleMask) == 0;
}

// One repeat after the frame that ends at `gapAt`; advances gapAt past it.
enum class Next { Repeat, Partial, Foreign, Nothing };

Next readRepeat(const FormSpec& spec, const std::vector<uint32_t>& d, std::size_t& gapAt,
                uint32_t& lastLength, uint64_t expected, Score& score) {
    const std::size_t start = gapAt + 1;
    const uint32_t gapNominal = gapAfter(spec, lastLength);
    Score trial = score;
    if (!trial.add(d[gapAt], gapNominal, gapAt))
        return Next::Nothing;
    if (spec.repeat == Repeat::Ditto) {
        std::size_t at = start;
        Score ditto = trial;
        if (readFixed(d, at, spec.ditto, ditto) && endsFrame(d, at)) {
            score = ditto;
            lastLength = std::accumulate(spec.ditto.begin(), spec.ditto.end(), 0u);
            gapAt = at;
            return Next::Repeat;
        }
    }
    Score again = trial;
    const bool first = spec.repeat == Repeat::Ditto;
    if (auto frame = readFrame(spec, d, start, first, again);
        frame && sameCode(spec, frame->payload, expected)) {
        score = again;
        if (spec.repeat == Repeat::Ditto)
            score.sum += kForeignRepeatPenalty * score.count;
        lastLength = frame->lengthUs;
        gapAt = frame->end;
        return Next::Repeat;
    }
    const std::vector<uint32_t> nominal =
        spec.repeat == Repeat::Ditto ? std::vector<uint32_t>(spec.ditto.begin(), spec.ditto.end())
                                     : frameDurations(spec, expected, false);
    if (partialFrame(d, start, nominal, trial)) {
        score = trial;
        return Next::Partial;
    }
    return Next::Foreign;
}

} // namespace

uint32_t slackFor(uint32_t nominal) {
    return std::max<uint32_t>(nominal / 4, 150);
}

namespace {

// First frames read, for forms that share a frame's shape (the NEC family
// reads its frame once for six forms).
struct CachedFrame {
    const FormSpec* spec;
    std::optional<FrameRead> frame;
    Score score;
};
using FrameCache = std::vector<CachedFrame>;

bool sameFrameShape(const FormSpec& a, const FormSpec& b) {
    return a.shape == b.shape && a.bits == b.bits && a.msbFirst == b.msbFirst &&
           a.leader.data() == b.leader.data() && a.leader.size() == b.leader.size() &&
           a.symbols.data() == b.symbols.data() && a.trailer.data() == b.trailer.data() &&
           a.separatorAfter == b.separatorAfter && a.pattern == b.pattern && a.unit == b.unit &&
           a.oneIsMarkFirst == b.oneIsMarkFirst;
}

std::optional<FrameRead> readFirstFrame(const FormSpec& spec, const std::vector<uint32_t>& d,
                                        Score& score, FrameCache* cache) {
    if (cache == nullptr || !score.adaptive)
        return readFrame(spec, d, 0, true, score);
    for (const auto& entry : *cache) {
        if (sameFrameShape(*entry.spec, spec)) {
            score = entry.score;
            return entry.frame;
        }
    }
    auto frame = readFrame(spec, d, 0, true, score);
    cache->push_back({&spec, frame, score});
    return frame;
}

// layoutFailed: the durations were read but the layout's checks failed.
std::optional<FormFit> fitWithShift(const FormSpec& spec, const std::vector<uint32_t>& d,
                                    Score& score, bool& layoutFailed, FrameCache* cache) {
    const auto first = readFirstFrame(spec, d, score, cache);
    if (!first)
        return std::nullopt;
    const auto fields = spec.unpack(first->payload);
    layoutFailed = !fields || fields->device > spec.maxDevice || fields->command > spec.maxCommand;
    if (layoutFailed)
        return std::nullopt;
    std::size_t gapAt = first->end;
    uint32_t lastLength = first->lengthUs;
    for (int n = 1; gapAt + 1 < d.size(); ++n) {
        const uint64_t expected =
            spec.laterFrame ? spec.laterFrame(first->payload, n) : first->payload;
        const Next next = readRepeat(spec, d, gapAt, lastLength, expected, score);
        if (next == Next::Partial)
            break;
        if (next != Next::Repeat)
            return std::nullopt;
    }
    return FormFit{Decoded{spec.protocol, fields->device, fields->command},
                   score.count == 0 ? 0.0 : score.sum / score.count};
}

std::optional<FormFit> fitForm(const FormSpec& spec, const std::vector<uint32_t>& d,
                               FrameCache* cache) {
    // Biphase half bits are far apart; symbols may lie 170 us apart (Nokia).
    Score score;
    score.adaptive = spec.shape == Shape::Symbols;
    bool layoutFailed = false;
    auto fit = fitWithShift(spec, d, score, layoutFailed, cache);
    // Durations skewed both ways mislead the estimate: read them as they are.
    if (fit || layoutFailed || score.shift == 0)
        return fit;
    Score plain;
    plain.adaptive = false;
    return fitWithShift(spec, d, plain, layoutFailed, nullptr);
}

} // namespace

std::optional<FormFit> fitForm(const FormSpec& spec, const std::vector<uint32_t>& d) {
    return fitForm(spec, d, nullptr);
}

std::optional<Decoded> bestFit(const std::vector<uint32_t>& d) {
    // Fits closer than this are equally good: the form with more checked bits,
    // then the more common form, wins.
    constexpr double kSameFit = 0.05;
    FrameCache cache;
    cache.reserve(formSpecs().size());
    std::optional<FormFit> best;
    int bestChecked = 0;
    for (const auto& spec : formSpecs()) {
        const auto fit = fitForm(spec, d, &cache);
        if (!fit)
            continue;
        const bool clearlyBetter = best && fit->error < best->error - kSameFit;
        const bool asGood = best && fit->error < best->error + kSameFit;
        if (!best || clearlyBetter || (asGood && spec.checkedBits > bestChecked)) {
            best = fit;
            bestChecked = spec.checkedBits;
        }
    }
    if (!best)
        return std::nullopt;
    return best->decoded;
}

namespace {

// The pattern's fixed opening slots, then at least `count` runs of one to
// three half bits (three: next to a double-width bit) before the first gap.
bool biphaseShaped(const FormSpec& spec, const std::vector<uint32_t>& d, Score& score,
                   std::size_t count) {
    constexpr uint32_t kLongestRun = 3;
    std::size_t at = 0;
    for (std::size_t i = 0; i < spec.pattern.size() && spec.pattern[i] != 'b';) {
        const char level = spec.pattern[i];
        uint32_t run = 0;
        for (; i < spec.pattern.size() && spec.pattern[i] == level; ++i)
            ++run;
        if (at >= d.size() || !score.add(d[at], run * spec.unit, at))
            return false;
        ++at;
    }
    const std::size_t opening = at;
    for (; at < d.size() && !(at % 2 == 1 && d[at] >= kFrameGapUs); ++at) {
        const uint32_t k = (d[at] + spec.unit / 2) / spec.unit;
        if (k < 1 || k > kLongestRun || !score.add(d[at], k * spec.unit, at))
            return false;
    }
    return at - opening >= count;
}

} // namespace

std::optional<int> shapeCarrierHz(const std::vector<uint32_t>& d) {
    // Carriers this close to 38 kHz replay well enough at 38 kHz.
    constexpr int kDefaultHz = 38000;
    constexpr int kFarFromDefaultHz = 2000;
    constexpr int kSymbolsLooked = 4;
    constexpr std::size_t kBiphaseDurations = 10;
    std::optional<int> best;
    double bestError = 0;
    for (const auto& spec : formSpecs()) {
        if (std::abs(spec.carrierHz - kDefaultHz) < kFarFromDefaultHz)
            continue;
        Score score;
        bool fits = false;
        if (spec.shape == Shape::Biphase) {
            fits = biphaseShaped(spec, d, score, kBiphaseDurations);
        } else if (spec.leader.size() == 2) {
            std::size_t at = 0;
            fits = readFixed(d, at, spec.leader, score);
            for (int i = 0; fits && i < kSymbolsLooked; ++i, at += 2)
                fits = at + 1 < d.size() && nearestSymbol(spec, d, at, score).has_value();
        }
        const double error = score.count == 0 ? 0 : score.sum / score.count;
        if (fits && (!best || error < bestError)) {
            best = spec.carrierHz;
            bestError = error;
        }
    }
    return best;
}

} // namespace irform::detail
