// Fuzz entry: a capture text as the URC delivers it (any bytes, cut to the
// capture buffer's size and zero-filled to it, as the worker reads it) through
// the cutting and the timing encoding the program applies to every capture.
// The encoder also gets the raw input, since it must survive any text.
#include "fuzz/oracles.h"
#include "learning/core/capture_text.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

namespace {
constexpr std::size_t kCaptureBuffer = 10240;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string capture(input.substr(0, kCaptureBuffer));
    capture.resize(kCaptureBuffer, '\0');

    const std::string cut = learning::CutAtEndMarker(capture);
    fuzzcheck::stopOnProblem(fuzzcheck::checkCut(capture, cut), size);
    fuzzcheck::stopOnProblem(fuzzcheck::checkEncoded(learning::EncodeTimings(cut)), size);
    fuzzcheck::stopOnProblem(fuzzcheck::checkEncoded(learning::EncodeTimings(input)), size);
    return 0;
}
