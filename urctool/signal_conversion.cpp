#include "urctool/signal_conversion.h"

#include "irform/capture_render.h"
#include "irform/code_form.h"
#include "learning/code_converter.h"
#include "learning/core/capture_text.h"
#include "urctool/errors.h"

namespace urctool {
namespace {

// Learning hands the conversion library the timing text without its first
// five characters (count, carrier and tag).
constexpr std::size_t kTimingHeaderLength = 5;

} // namespace

// The carrier goes to the library as it was given, to the nearest kHz (what a
// raw code keeps), rather than as the capture's carrier words hold it: those
// are exact only from 12 to 94 kHz.
std::string convertLikeLearning(const irform::Signal& signal) {
    const int carrierKhz = (signal.carrierHz + 500) / 1000;
    if (carrierKhz < 1 || carrierKhz > irform::kMaxRawCarrierKhz)
        throw ToolError("carrier " + std::to_string(signal.carrierHz) +
                        " Hz: the URC keeps carriers of 1 to " +
                        std::to_string(irform::kMaxRawCarrierKhz) + " kHz");
    const std::string cut = learning::CutAtEndMarker(irform::renderCapture(signal));
    const learning::EncodeResult timing = learning::EncodeTimings(cut);
    if (timing.failed)
        throw ToolError("the signal's capture could not be encoded");
    const std::string converted = learning::ConvertCodeAtCarrier(
        timing.text.size() > kTimingHeaderLength ? timing.text.substr(kTimingHeaderLength) : "",
        carrierKhz);
    if (converted.empty())
        throw ToolError(std::string("the conversion library ") + learning::kConverterLibraryFile +
                        " could not be loaded or did not convert the signal");
    return converted;
}

} // namespace urctool
