// Cutting and encoding one capture, as the capture's end handler does it, for
// captures of three lengths: a held key of a remote with its own timing (frames
// with gap groups between them) and a capture full of short marks and spaces.
#include "bench/core/capture_inputs.h"
#include "learning/core/capture_text.h"

#include "bench/micro/spread.h"

#include <benchmark/benchmark.h>

namespace {

using CaptureMaker = std::optional<std::string> (*)(std::size_t);

void cutAndEncode(benchmark::State& state, CaptureMaker make) {
    const auto data = make(static_cast<std::size_t>(state.range(0)));
    if (!data) {
        state.SkipWithError("no capture of that length");
        return;
    }
    // The device hands over the whole buffer, zero bytes after the data.
    const std::string capture = bench::padToBuffer(*data);
    for (auto _ : state) {
        const std::string cut = learning::CutAtEndMarker(capture);
        auto encoded = learning::EncodeTimings(cut);
        benchmark::DoNotOptimize(encoded);
        if (encoded.failed) {
            state.SkipWithError("the capture did not encode");
            return;
        }
    }
    state.counters["data_chars"] = static_cast<double>(data->size());
    state.SetComplexityN(static_cast<int64_t>(data->size()));
}

void BM_CutAndEncode_HeldKey(benchmark::State& state) {
    cutAndEncode(state, bench::heldKeyCapture);
}
void BM_CutAndEncode_ShortWords(benchmark::State& state) {
    cutAndEncode(state, bench::shortWordCapture);
}

} // namespace

BENCHMARK(BM_CutAndEncode_HeldKey)
    ->Arg(2560)
    ->Arg(5120)
    ->Arg(10240)
    ->Unit(benchmark::kMicrosecond)
    ->Apply(bench::withSpread)
    ->Complexity(benchmark::oN);
BENCHMARK(BM_CutAndEncode_ShortWords)
    ->Arg(2560)
    ->Arg(5120)
    ->Arg(10240)
    ->Unit(benchmark::kMicrosecond)
    ->Apply(bench::withSpread)
    ->Complexity(benchmark::oN);
