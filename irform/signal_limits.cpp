#include "irform/signal_limits.h"

#include "irform/capture_text.h"
#include "irform/compact_raw.h"

namespace irform {
namespace {

// The capture words of a duration count as four characters each; the end
// marker and the carrier words come on top.
constexpr std::size_t kTailCharacters = capturetext::kTailDigits;
// Durations of one word each, the most a capture holds.
constexpr std::size_t kMostCapturedDurations = (kCaptureCapacity - kTailCharacters) / capturetext::kWordDigits;

std::string us(uint32_t value) {
    return std::to_string(value) + " us";
}

} // namespace

std::optional<std::string> captureLimitProblem(const Signal& signal) {
    const auto& d = signal.durations;
    for (std::size_t i = 0; i < d.size(); ++i) {
        const bool mark = i % 2 == 0;
        if (mark && d[i] > kLongestStoredDurationUs)
            return "mark " + us(d[i]) + ": the URC stores marks up to " +
                   us(kLongestStoredDurationUs);
        if (mark || i + 1 == d.size())
            continue;
        if (d[i] < kShortestInnerSpaceUs)
            return "space " + us(d[i]) + ": the URC's receiver sees spaces of " +
                   us(kShortestInnerSpaceUs) + " or more (a shorter one joins the marks around it)";
        if (d[i] > kLongestInnerSpaceUs)
            return "space " + us(d[i]) + " (duration " + std::to_string(i + 1) + " of " +
                   std::to_string(d.size()) +
                   "): the URC ends its capture at a silence longer than " +
                   us(kLongestInnerSpaceUs) + ", so spaces inside a signal go up to that";
    }
    const std::size_t length = captureLength(signal);
    if (length > kCaptureCapacity)
        return std::to_string(d.size()) + " durations need " + std::to_string(length) +
               " characters of capture text: the URC captures at most " +
               std::to_string(kCaptureCapacity) + " (at most " +
               std::to_string(kMostCapturedDurations) + " durations)";
    return std::nullopt;
}

std::optional<std::string> rawFormLimitProblem(const Signal& signal) {
    const auto& d = signal.durations;
    for (std::size_t i = 0; i < d.size(); ++i)
        if (d[i] > kLongestStoredDurationUs)
            return std::string(i % 2 == 0 ? "mark " : "space ") + us(d[i]) +
                   ": the URC stores durations up to " + us(kLongestStoredDurationUs);
    if (d.size() <= kMaxRawDurations)
        return std::nullopt;
    const auto compact = compactRawData(d);
    if (!compact)
        return std::to_string(d.size()) + " durations of more than " +
               std::to_string(kMaxCompactEntries) + " different lengths: the URC stores at most " +
               std::to_string(kMaxRawDurations) + " varied durations (more only when at most " +
               std::to_string(kMaxCompactEntries) + " lengths recur)";
    const std::size_t blocks = (compact->size() + kBlockDigits - 1) / kBlockDigits;
    if (blocks > kMaxBlocks)
        return std::to_string(d.size()) + " durations take " + std::to_string(blocks) +
               " blocks: a code of the URC has at most " + std::to_string(kMaxBlocks);
    return std::nullopt;
}

} // namespace irform
