#pragma once
// Reading one frame of a form from a signal, shared by the decoder's first
// frame, its repeats and the carrier guess: the comparison of durations with
// their nominal values, and the symbol and biphase frame readers.
#include "irform/form_definition.h"
#include "irform/protocols.h"

#include <algorithm>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <numeric>
#include <optional>
#include <span>
#include <vector>

namespace irform::detail {

// The comparison of durations with their nominal values. A receiver
// lengthens marks and shortens spaces by its delay: `shift` takes the
// estimate of it off again, which the short marks read so far tell (long marks
// would bring more jitter than delay).
struct Score {
    // Marks up to this long tell the delay; this many of them are enough.
    static constexpr uint32_t kShortMarkUs = 1200;
    static constexpr int kMarksForShift = 2;

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
    // What element `index` costs as `nominal` (its difference over the
    // slack), nullopt when it lies beyond the slack.
    std::optional<double> cost(uint32_t actual, uint32_t nominal, std::size_t index) const {
        actual = corrected(actual, index);
        const uint32_t slack = slackFor(nominal);
        const uint32_t off = actual > nominal ? actual - nominal : nominal - actual;
        if (off > slack)
            return std::nullopt;
        return static_cast<double>(off) / slack;
    }
    bool add(uint32_t actual, uint32_t nominal, std::size_t index) {
        noteMark(actual, nominal, index);
        const auto c = cost(actual, nominal, index);
        if (!c)
            return false;
        accept(*c);
        return true;
    }
    // Counts element `index` as `nominal` at the cost cost() gave.
    void addCosted(uint32_t actual, uint32_t nominal, std::size_t index, double c) {
        noteMark(actual, nominal, index);
        accept(c);
    }
    // The estimate once a few marks tell it.
    void updateShift() {
        if (!adaptive || marks < kMarksForShift)
            return;
        // Every symbol moves the estimate: a 32-bit division where the sum
        // allows, as it does for any capture (a 64-bit one costs several times
        // as long), the same quotient either way.
        if (markExcess >= INT32_MIN && markExcess <= INT32_MAX)
            shift = static_cast<int32_t>(markExcess) / marks;
        else
            shift = static_cast<int>(markExcess / marks);
    }

private:
    void noteMark(uint32_t actual, uint32_t nominal, std::size_t index) {
        if (index % 2 == 0 && nominal <= kShortMarkUs) {
            markExcess += int64_t{actual} - nominal;
            ++marks;
        }
    }
    void accept(double c) {
        sum += c;
        ++count;
        updateShift();
    }
};

// A payload a frame may hold and what it costs more than the nearest reading.
struct Candidate {
    uint64_t payload = 0;
    double extra = 0;
};

struct FrameRead {
    uint64_t payload = 0;
    // Forms with repairable symbols: the payloads that keep the layout's
    // checks within them, cheapest first (payload is the first).
    std::vector<Candidate> candidates;
    std::size_t end = 0;       // index of the gap after the frame (or the size)
    uint32_t lengthUs = 0;     // nominal: the gap after it is judged by the form's timing
    uint32_t spaceInGapUs = 0; // the last symbol's space, when it runs into the gap
};

// Whether the frame ends at `index`: the signal ends or a gap starts there.
inline bool endsFrame(const std::vector<uint32_t>& d, std::size_t index,
                      uint32_t shortestGap = kFrameGapUs) {
    return index >= d.size() || d[index] >= shortestGap;
}

// Reads the fixed durations `nominal` from `at` on; advances `at` past them.
inline bool readFixed(const std::vector<uint32_t>& d, std::size_t& at,
                      std::span<const uint32_t> nominal, Score& score) {
    for (uint32_t n : nominal) {
        if (at >= d.size() || !score.add(d[at], n, at))
            return false;
        ++at;
    }
    return true;
}

// The symbol nearest to a pair of durations, if both lie within slack (the
// mark alone when `markOnly`).
std::optional<std::size_t> nearestSymbol(const FormDefinition& form, const std::vector<uint32_t>& d,
                                         std::size_t at, Score& score, bool markOnly = false);

// A repeat of a form with repairable symbols read as the expected payload:
// at every symbol the expected one is the nearest, or the runner-up at up to
// repairableSymbols of them.
std::optional<FrameRead> readExpectedFrame(const FormDefinition& form,
                                           const std::vector<uint32_t>& d, std::size_t start,
                                           bool first, uint64_t expected, Score& score);

// Whether a symbol frame read from `start` can end where the signal has a
// gap (or ends): its reading could succeed.
bool symbolFrameCanEnd(const FormDefinition& form, const std::vector<uint32_t>& d,
                       std::size_t start, bool first);

// A symbol frame from `start`; a form with repairable symbols keeps only the
// payloads that pass its layout's checks when `checked`.
std::optional<FrameRead> readSymbolFrame(const FormDefinition& form, const std::vector<uint32_t>& d,
                                         std::size_t start, bool first, Score& score,
                                         bool checked = true);

// The durations' total, in us.
inline uint32_t durationSum(std::span<const uint32_t> durations) {
    return std::accumulate(durations.begin(), durations.end(), 0u);
}

// Sets the payload bit sent `index` bits into the frame.
inline void putBit(const FormDefinition& form, uint64_t& payload, int index, bool bit) {
    if (bit)
        payload |= uint64_t{1} << (form.msbFirst ? form.bits - 1 - index : index);
}
// The length of the frame frameDurations() gives, without building it.
uint32_t nominalLength(const FormDefinition& form, uint64_t payload, bool first);

// One frame from `start` (a first frame or a repeat), its nominal length set.
std::optional<FrameRead> readFrame(const FormDefinition& form, const std::vector<uint32_t>& d,
                                   std::size_t start, bool first, Score& score);

} // namespace irform::detail
