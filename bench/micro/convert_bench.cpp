// The conversion library's ConvertCode on the timing texts the program hands
// it: a key press of each built-in protocol and raw codes of no protocol; and
// ConvertCodeAtCarrier, which the program calls with the measured carrier.
#include "learning/core/capture_text.h"
#include "irform/capture_render.h"
#include "irform/form_definition.h"
#include "irform/protocols.h"
#include "irform/raw_example.h"

#include "bench/micro/spread.h"

#include <benchmark/benchmark.h>
#include <cstdint>
#include <string>

// The conversion library's exports.
extern "C" const char* ConvertCode(const char* text, int32_t mode);
extern "C" const char* ConvertCodeAtCarrier(const char* text, int32_t mode, int32_t carrierHz);

namespace {

// The program passes the timing text without its first five characters.
std::string timingBody(const std::string& capture) {
    const auto encoded = learning::EncodeTimings(learning::CutAtEndMarker(capture));
    return encoded.failed || encoded.text.size() <= 5 ? std::string() : encoded.text.substr(5);
}

std::string pressBody(const char* protocol, uint32_t device, uint32_t command) {
    const auto capture = irform::pressCapture(protocol, device, command);
    return capture ? timingBody(*capture) : std::string();
}

// carrierHz < 0: ConvertCode, which is given no carrier.
void convert(benchmark::State& state, const std::string& body, int carrierHz = -1) {
    if (body.empty()) {
        state.SkipWithError("no timing text");
        return;
    }
    for (auto _ : state) {
        const char* converted = carrierHz < 0 ? ConvertCode(body.c_str(), 2)
                                              : ConvertCodeAtCarrier(body.c_str(), 2, carrierHz);
        benchmark::DoNotOptimize(converted);
        if (!converted || !*converted) {
            state.SkipWithError("ConvertCode gave an empty result");
            return;
        }
    }
    state.counters["timing_chars"] = static_cast<double>(body.size());
}

void BM_ConvertCode_Nec(benchmark::State& state) {
    convert(state, pressBody("nec", 0x04, 0x08));
}
void BM_ConvertCode_NecExtended(benchmark::State& state) {
    convert(state, pressBody("necx", 0x1234, 0x56));
}
void BM_ConvertCode_Rc5(benchmark::State& state) {
    convert(state, pressBody("rc5", 0x05, 0x0C));
}
void BM_ConvertCode_Sirc12(benchmark::State& state) {
    convert(state, pressBody("sirc12", 0x01, 0x15));
}
void BM_ConvertCode_Sirc20(benchmark::State& state) {
    convert(state, pressBody("sirc20", 0x1A, 0x2B));
}
// Every protocol form, captured through a typical receiver (delay, jitter).
void BM_ConvertCode_Form(benchmark::State& state) {
    const irform::Protocol protocol = irform::kAllProtocols[state.range(0)];
    const uint32_t device = irform::maxDevice(protocol) / 3;
    const uint32_t command = irform::maxCommand(protocol) / 5;
    const auto capture = irform::pressCapture(irform::protocolName(protocol), device, command,
                                              irform::kTypicalReceiver);
    state.SetLabel(std::string(irform::protocolName(protocol)));
    convert(state, capture ? timingBody(*capture) : std::string());
}

// The same presses with the carrier the URC measured beside the body.
void BM_ConvertCodeAtCarrier_Form(benchmark::State& state) {
    const irform::Protocol protocol = irform::kAllProtocols[state.range(0)];
    const auto capture =
        irform::pressCapture(irform::protocolName(protocol), irform::maxDevice(protocol) / 3,
                             irform::maxCommand(protocol) / 5, irform::kTypicalReceiver);
    state.SetLabel(std::string(irform::protocolName(protocol)));
    convert(state, capture ? timingBody(*capture) : std::string(),
            irform::protocolCarrierHz(protocol) / 1000 * 1000);
}

// A key held down: every repeat is read and checked, so the time grows with
// the frames the capture holds (Panasonic's 48-bit frame, state.range(0) of
// them, through the typical receiver; the capture buffer holds six).
void BM_ConvertCode_HeldPanasonic(benchmark::State& state) {
    const auto& form = irform::detail::formDefinition(irform::Protocol::Panasonic);
    const uint64_t payload = form.pack({form.maxDevice / 3, form.maxCommand / 5});
    const auto signal = irform::asReceived(
        irform::detail::renderPress(form, payload, static_cast<int>(state.range(0))),
        irform::kTypicalReceiver);
    convert(state, timingBody(irform::renderCapture(signal)));
}

void BM_ConvertCode_Raw(benchmark::State& state) {
    convert(state, timingBody(irform::renderCapture(
                       irform::rawExampleSignal(static_cast<uint32_t>(state.range(0))))));
}

} // namespace

BENCHMARK(BM_ConvertCode_Nec)->Unit(benchmark::kMicrosecond)->Apply(bench::withSpread);
BENCHMARK(BM_ConvertCode_NecExtended)->Unit(benchmark::kMicrosecond)->Apply(bench::withSpread);
BENCHMARK(BM_ConvertCode_Rc5)->Unit(benchmark::kMicrosecond)->Apply(bench::withSpread);
BENCHMARK(BM_ConvertCode_Sirc12)->Unit(benchmark::kMicrosecond)->Apply(bench::withSpread);
BENCHMARK(BM_ConvertCode_Sirc20)->Unit(benchmark::kMicrosecond)->Apply(bench::withSpread);
BENCHMARK(BM_ConvertCode_Form)
    ->DenseRange(0, static_cast<int>(std::size(irform::kAllProtocols)) - 1)
    ->Unit(benchmark::kMicrosecond)
    ->Apply(bench::withSpread);
BENCHMARK(BM_ConvertCodeAtCarrier_Form)
    ->DenseRange(0, static_cast<int>(std::size(irform::kAllProtocols)) - 1)
    ->Unit(benchmark::kMicrosecond)
    ->Apply(bench::withSpread);
BENCHMARK(BM_ConvertCode_HeldPanasonic)
    ->Arg(2)
    ->Arg(4)
    ->Arg(6)
    ->Unit(benchmark::kMicrosecond)
    ->Apply(bench::withSpread);
// Seeds give one-frame and two-frame raw codes of different lengths.
BENCHMARK(BM_ConvertCode_Raw)
    ->Arg(1)
    ->Arg(2)
    ->Arg(3)
    ->Unit(benchmark::kMicrosecond)
    ->Apply(bench::withSpread);
