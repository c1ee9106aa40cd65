#include "urctool/storable_signal.h"

#include "learning/core/capture_text.h"
#include "irform/protocols.h"
#include "irform/signal_limits.h"
#include "irform/timing_body.h"
#include "urctool/errors.h"

#include <optional>

namespace urctool {
namespace {

// Past this many characters, learning's cut keeps an odd number of capture
// words before the end marker, and the last word of an even count is lost.
constexpr std::size_t kLongCapture = 3000;

// The signal as the conversion library receives it from learning's path.
std::optional<irform::Signal> asLearned(const irform::Signal& signal) {
    const std::string cut = learning::CutAtEndMarker(irform::renderCapture(signal));
    const learning::EncodeResult timing = learning::EncodeTimings(cut);
    if (timing.failed)
        return std::nullopt;
    return irform::parseTimingBody(std::string_view(timing.text).substr(timing.headerLength));
}

} // namespace

void requireStorable(const irform::Signal& signal, const std::string& what) {
    if (const auto problem = irform::captureLimitProblem(signal))
        throw ToolError(what + ": " + *problem + "; nothing was written");
    const auto learned = asLearned(signal);
    if (!learned || learned->durations.size() != signal.durations.size())
        throw ToolError(what + ": its capture of " + std::to_string(irform::captureLength(signal)) +
                        " characters would lose its last word (past " +
                        std::to_string(kLongCapture) +
                        " characters, learning keeps an odd number of capture words, and this "
                        "capture has an even number); nothing was written");
    if (irform::decode(*learned))
        return;
    if (const auto problem = irform::rawFormLimitProblem(*learned))
        throw ToolError(what + ": " + *problem + "; nothing was written");
}

} // namespace urctool
