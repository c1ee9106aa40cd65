// The start-up reading of the URC's whole memory map (version, identity,
// layout, header, key codes, key records, allocation area, code identifiers)
// from a factory image, with the device answering at memory speed.
#include "bench/core/memory_urc.h"
#include "device/core/urc_reading.h"
#include "platform/urcsim/factory_keys.h"
#include "urcmem/factory_image.h"

#include "bench/micro/spread.h"

#include <benchmark/benchmark.h>

namespace {

void BM_ReadUrcMemoryMap(benchmark::State& state) {
    const urcmem::Profile& profile = urcmem::defaultProfile();
    bench::MemoryUrc urc(urcsim::factoryImageFor(profile), std::string(profile.versionText));
    for (auto _ : state) {
        device::UrcTables tables;
        const device::StartupResult result = device::readUrc(urc, tables);
        benchmark::DoNotOptimize(tables);
        if (result.failure != device::StartupFailure::None) {
            state.SkipWithError("the factory image did not read");
            return;
        }
    }
    const auto perReading = [&state](double total) {
        return total / static_cast<double>(state.iterations());
    };
    state.counters["device_reads"] = perReading(urc.reads());
    state.counters["bytes_read"] = perReading(static_cast<double>(urc.bytesRead()));
}

} // namespace

BENCHMARK(BM_ReadUrcMemoryMap)->Unit(benchmark::kMicrosecond)->Apply(bench::withSpread);
