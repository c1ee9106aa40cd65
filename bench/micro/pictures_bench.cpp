// The 683 pictures of the show handling: 4 banks of 168 GIF key pictures and
// the ten JPEG skins, with the resource-library loads, and the decoding alone.
#include "bench/pictures/picture_loading.h"

#include "bench/micro/spread.h"

#include <benchmark/benchmark.h>

namespace {

void BM_LoadShowPictures(benchmark::State& state) {
    int pictures = 0;
    for (auto _ : state) {
        const bench::LoadedPictures loaded = bench::loadShowPictures();
        if (!loaded.complete()) {
            state.SkipWithError(("pictures missing: " + loaded.error).c_str());
            return;
        }
        pictures = loaded.bankPictures + loaded.skins;
    }
    state.counters["pictures"] = pictures;
}

void BM_DecodeShowPictures(benchmark::State& state) {
    const bench::RawPictures raw = bench::readShowPictures();
    if (!raw.error.empty()) {
        state.SkipWithError(raw.error.c_str());
        return;
    }
    for (auto _ : state) {
        if (bench::decodeAll(raw) != 0) {
            state.SkipWithError("a picture did not decode");
            return;
        }
    }
    state.counters["pictures"] = static_cast<double>(raw.gifs.size() + raw.jpegs.size());
}

} // namespace

BENCHMARK(BM_LoadShowPictures)->Unit(benchmark::kMillisecond)->Apply(bench::withSpread);
BENCHMARK(BM_DecodeShowPictures)->Unit(benchmark::kMillisecond)->Apply(bench::withSpread);
