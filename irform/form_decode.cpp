// Reading a signal as one form of the table. Every duration is compared with
// its nominal value within slackFor(); the mean of the normalised differences
// tells how well the form fits, so that the caller can pick the best form.
#include "irform/form_frame_read.h"

#include <algorithm>
#include <cmath>

namespace irform::detail {
namespace {

// A whole frame repeated where the form repeats with dittos is accepted (some
// remotes do that) but raises the mean error by this much, so that a form
// that repeats whole frames (nec2) fits such a signal better.
constexpr double kForeignRepeatPenalty = 0.1;
// Candidates of a frame whose extra costs lie closer than this are close calls.
constexpr double kCloseCall = 0.05;

// A repeat frame cut off by the end of the signal: what there is of it (all
// but the final silence) matches the start of the nominal frame.
bool partialFrame(const std::vector<uint32_t>& d, std::size_t start,
                  const std::vector<uint32_t>& nominal, Score& score) {
    // A whole frame that did not read as the form's is no cut-off one.
    const std::size_t count = d.size() - 1 - start;
    if (count >= nominal.size())
        return false;
    for (std::size_t i = 0; i < count; ++i)
        if (!score.add(d[start + i], nominal[i], start + i))
            return false;
    return true;
}

bool sameCode(const FormDefinition& form, uint64_t a, uint64_t b) {
    return ((a ^ b) & ~form.toggleMask) == 0;
}

// Whether a frame read holds the expected code: as its nearest reading, or
// as one of its candidates, whose extra cost is then counted.
bool offers(const FormDefinition& form, const FrameRead& frame, uint64_t expected, Score& score) {
    if (sameCode(form, frame.payload, expected))
        return true;
    for (const Candidate& candidate : frame.candidates) {
        if (sameCode(form, candidate.payload, expected)) {
            score.sum += candidate.extra - frame.candidates.front().extra;
            return true;
        }
    }
    return false;
}

// One repeat after the frame that ends at `gapAt`; advances gapAt past it.
enum class Next { Repeat, Partial, Foreign, Nothing };

// The frame before a repeat: its nominal length, whether it was a ditto, and
// its last space when that runs into the gap.
struct LastFrame {
    uint32_t lengthUs = 0;
    bool ditto = false;
    uint32_t spaceInGapUs = 0;
};

Next readRepeat(const FormDefinition& form, const std::vector<uint32_t>& d, std::size_t& gapAt,
                LastFrame& last, uint64_t expected, Score& score) {
    const std::size_t start = gapAt + 1;
    const uint32_t gapNominal = gapAfter(form, last.lengthUs, last.ditto) + last.spaceInGapUs;
    Score trial = score;
    if (!trial.add(d[gapAt], gapNominal, gapAt))
        return Next::Nothing;
    if (form.repeat == Repeat::Ditto) {
        std::size_t at = start;
        Score ditto = trial;
        if (readFixed(d, at, form.ditto, ditto) && endsFrame(d, at)) {
            score = ditto;
            last = {durationSum(form.ditto), true, 0};
            gapAt = at;
            return Next::Repeat;
        }
    }
    Score again = trial;
    const bool first = form.repeat == Repeat::Ditto;
    if (auto frame = readFrame(form, d, start, first, again);
        frame && offers(form, *frame, expected, again)) {
        score = again;
        if (form.repeat == Repeat::Ditto)
            score.sum += kForeignRepeatPenalty * score.count;
        last = {frame->lengthUs, false, frame->spaceInGapUs};
        gapAt = frame->end;
        return Next::Repeat;
    }
    if (Score expectedScore = trial; form.repairableSymbols > 0) {
        if (auto frame = readExpectedFrame(form, d, start, first, expected, expectedScore)) {
            score = expectedScore;
            last = {frame->lengthUs, false, frame->spaceInGapUs};
            gapAt = frame->end;
            return Next::Repeat;
        }
    }
    const std::vector<uint32_t> nominal =
        form.repeat == Repeat::Ditto ? std::vector<uint32_t>(form.ditto.begin(), form.ditto.end())
                                     : frameDurations(form, expected, false);
    if (partialFrame(d, start, nominal, trial)) {
        score = trial;
        return Next::Partial;
    }
    return Next::Foreign;
}

} // namespace
namespace {

// First frames read, for forms that share a frame's shape (the NEC family
// reads its frame once for six forms).
struct CachedFrame {
    const FormDefinition* form;
    bool adaptive; // read with the receiver's delay estimated, or as it is
    std::optional<FrameRead> frame;
    Score score;
};
using FrameCache = std::vector<CachedFrame>;

// Symbol frames compare by the tables they point at: forms that share them
// read a signal alike.
bool sameSymbolTables(const SymbolFrame& a, const SymbolFrame& b) {
    return a.leader.data() == b.leader.data() && a.leader.size() == b.leader.size() &&
           a.symbols.data() == b.symbols.data() && a.symbolTails.data() == b.symbolTails.data() &&
           a.trailer.data() == b.trailer.data() && a.separatorAfter == b.separatorAfter &&
           a.lastSpaceInGap == b.lastSpaceInGap;
}

bool sameBiphase(const BiphaseFrame& a, const BiphaseFrame& b) {
    return a.pattern == b.pattern && a.unit == b.unit && a.oneIsMarkFirst == b.oneIsMarkFirst;
}

bool sameFrameShape(const FormDefinition& a, const FormDefinition& b) {
    return a.shape == b.shape && a.bits == b.bits && a.msbFirst == b.msbFirst &&
           sameSymbolTables(a.symbolFrame, b.symbolFrame) &&
           sameBiphase(a.biphaseFrame, b.biphaseFrame);
}

std::optional<FrameRead> readFirstFrame(const FormDefinition& form, const std::vector<uint32_t>& d,
                                        Score& score, FrameCache* cache) {
    // Most forms are told apart by where the signal's gaps lie, before the
    // cache is looked through.
    if (form.shape == Shape::Symbols && !symbolFrameCanEnd(form, d, 0, true))
        return std::nullopt;
    // A repaired frame depends on the form's own checks: never shared.
    if (cache == nullptr || form.repairableSymbols > 0)
        return readFrame(form, d, 0, true, score);
    for (const auto& entry : *cache) {
        if (entry.adaptive == score.adaptive && sameFrameShape(*entry.form, form)) {
            score = entry.score;
            return entry.frame;
        }
    }
    const bool adaptive = score.adaptive;
    auto frame = readFrame(form, d, 0, true, score);
    cache->push_back({&form, adaptive, frame, score});
    return frame;
}

// The press whose first frame holds `payload`, its repeats read after it.
std::optional<FormFit> fitFrom(const FormDefinition& form, const std::vector<uint32_t>& d,
                               const FrameRead& first, uint64_t payload, Score& score) {
    const auto fields = form.unpack(payload);
    std::size_t gapAt = first.end;
    LastFrame last{first.lengthUs, false, spaceInGap(form, payload)};
    int frames = 1;
    for (int n = 1; gapAt + 1 < d.size(); ++n) {
        const uint64_t expected = form.laterFrame ? form.laterFrame(payload, n) : payload;
        const Next next = readRepeat(form, d, gapAt, last, expected, score);
        if (next == Next::Partial)
            break;
        if (next != Next::Repeat)
            return std::nullopt;
        ++frames;
    }
    const Press press{Decoded{form.protocol, fields->device, fields->command}, frames,
                      (payload & form.toggleMask) != 0};
    return FormFit{press, score.count == 0 ? 0.0 : score.sum / score.count};
}

// layoutFailed: the durations were read but the layout's checks failed.
std::optional<FormFit> fitWithShift(const FormDefinition& form, const std::vector<uint32_t>& d,
                                    Score& score, bool& layoutFailed, FrameCache* cache) {
    const auto first = readFirstFrame(form, d, score, cache);
    if (!first)
        return std::nullopt;
    const auto fields = form.unpack(first->payload);
    layoutFailed = !fields || fields->device > form.maxDevice || fields->command > form.maxCommand;
    if (layoutFailed)
        return std::nullopt;
    if (first->candidates.size() <= 1)
        return fitFrom(form, d, *first, first->payload, score);
    // Several payloads pass the checks: the one the whole press fits best.
    std::optional<FormFit> best;
    Score bestScore;
    for (const Candidate& candidate : first->candidates) {
        Score trial = score;
        trial.sum += candidate.extra - first->candidates.front().extra;
        auto fit = fitFrom(form, d, *first, candidate.payload, trial);
        if (fit && (!best || fit->error < best->error)) {
            best = fit;
            bestScore = trial;
        }
    }
    // A lone frame with another payload almost as near is a guess: kept raw.
    if (!best || (best->press.frames == 1 &&
                  first->candidates[1].extra - first->candidates[0].extra < kCloseCall))
        return std::nullopt;
    score = bestScore;
    return best;
}

std::optional<FormFit> fitForm(const FormDefinition& form, const std::vector<uint32_t>& d,
                               FrameCache* cache) {
    // Biphase half bits are far apart; symbols may lie 170 us apart (Nokia).
    Score score;
    score.adaptive = form.shape == Shape::Symbols;
    bool layoutFailed = false;
    auto fit = fitWithShift(form, d, score, layoutFailed, cache);
    // Durations skewed both ways mislead the estimate: read them as they are.
    if (fit || layoutFailed || score.shift == 0)
        return fit;
    Score plain;
    plain.adaptive = false;
    return fitWithShift(form, d, plain, layoutFailed, cache);
}

} // namespace

std::optional<FormFit> fitForm(const FormDefinition& form, const std::vector<uint32_t>& d) {
    return fitForm(form, d, nullptr);
}

std::optional<Press> bestFit(const std::vector<uint32_t>& d, std::optional<int> carrierHz) {
    return bestFit(formDefinitions(), d, carrierHz);
}

std::optional<Press> bestFit(std::span<const FormDefinition> forms, const std::vector<uint32_t>& d,
                             std::optional<int> carrierHz) {
    // Fits closer than this are equally good: the form with more checked bits,
    // then the more common form, wins.
    constexpr double kSameFit = 0.05;
    FrameCache cache;
    cache.reserve(2 * forms.size());
    std::optional<FormFit> best;
    int bestChecked = 0;
    for (const auto& form : forms) {
        // A measured carrier rules out the forms far from it before their
        // timing is read, so that timing cannot outweigh it.
        if (carrierHz && !carrierFits(form.carrierHz, *carrierHz))
            continue;
        const auto fit = fitForm(form, d, &cache);
        if (!fit)
            continue;
        const bool clearlyBetter = best && fit->error < best->error - kSameFit;
        const bool asGood = best && fit->error < best->error + kSameFit;
        if (!best || clearlyBetter || (asGood && form.checkedBits > bestChecked)) {
            best = fit;
            bestChecked = form.checkedBits;
        }
    }
    if (!best)
        return std::nullopt;
    return best->press;
}

namespace {

// The pattern's fixed opening slots, then at least `count` runs of one to
// three half bits (three: next to a double-width bit) before the first gap.
bool biphaseShaped(const FormDefinition& form, const std::vector<uint32_t>& d, Score& score,
                   std::size_t count) {
    constexpr uint32_t kLongestRun = 3;
    const BiphaseFrame& frame = form.biphaseFrame;
    std::size_t at = 0;
    for (std::size_t i = 0; i < frame.pattern.size() && frame.pattern[i] != 'b';) {
        const char level = frame.pattern[i];
        uint32_t run = 0;
        for (; i < frame.pattern.size() && frame.pattern[i] == level; ++i)
            ++run;
        if (at >= d.size() || !score.add(d[at], run * frame.unit, at))
            return false;
        ++at;
    }
    const std::size_t opening = at;
    for (; at < d.size() && !(at % 2 == 1 && d[at] >= kFrameGapUs); ++at) {
        const uint32_t k = (d[at] + frame.unit / 2) / frame.unit;
        if (k < 1 || k > kLongestRun || !score.add(d[at], k * frame.unit, at))
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
    for (const auto& form : formDefinitions()) {
        if (std::abs(form.carrierHz - kDefaultHz) < kFarFromDefaultHz)
            continue;
        Score score;
        bool fits = false;
        if (form.shape == Shape::Biphase) {
            fits = biphaseShaped(form, d, score, kBiphaseDurations);
        } else if (form.symbolFrame.leader.size() == 2) {
            std::size_t at = 0;
            fits = readFixed(d, at, form.symbolFrame.leader, score);
            for (int i = 0; fits && i < kSymbolsLooked; ++i, at += 2)
                fits = at + 1 < d.size() && nearestSymbol(form, d, at, score).has_value();
        }
        const double error = score.count == 0 ? 0 : score.sum / score.count;
        if (fits && (!best || error < bestError)) {
            best = form.carrierHz;
            bestError = error;
        }
    }
    return best;
}

} // namespace irform::detail
